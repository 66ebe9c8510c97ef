#!/usr/bin/env bash
# Test fixture: DER files and what `openssl asn1parse` makes of them, all made
# here with openssl so that every machine tests the same kinds of input:
# three certificates (RSA with extensions, EC CA, EC leaf signed by that CA
# with a long DN), a CRL and a streamed (indefinite-length BER) CMS signed
# message, into <dir>.
set -euo pipefail
dir=$1
rm -rf "$dir" && mkdir -p "$dir"
"$(dirname "$0")/../data/make_crl.sh" "$dir/crl" 40 >/dev/null
cp "$dir/crl/crl.der" "$dir/crl.der"
openssl x509 -in "$dir/crl/ca.crt" -outform DER -out "$dir/cert_ec_ca.der"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$dir/rsa.key" -days 30 -outform DER \
  -out "$dir/cert_rsa.der" -subj "/C=FR/O=zurbase/OU=tests/CN=rsa.example.test" \
  -addext "subjectAltName=DNS:rsa.example.test,DNS:*.example.test,IP:192.0.2.1,email:t@example.test" \
  -addext "keyUsage=critical,digitalSignature,keyEncipherment" \
  -addext "extendedKeyUsage=serverAuth,clientAuth" 2>/dev/null

openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-384 -nodes -keyout "$dir/leaf.key" \
  -out "$dir/leaf.csr" \
  -subj "/C=DE/ST=Berlin/L=Berlin/O=zurbase test leaf/OU=one/OU=two/CN=leaf.example.test" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nsubjectKeyIdentifier=hash\nauthorityKeyIdentifier=keyid\n' \
  > "$dir/leaf.ext"
openssl x509 -req -in "$dir/leaf.csr" -CA "$dir/crl/ca.crt" -CAkey "$dir/crl/ca.key" \
  -set_serial 0x0123456789ABCDEF -days 30 -extfile "$dir/leaf.ext" -outform DER \
  -out "$dir/cert_ec_leaf.der" 2>/dev/null

# One line of content: asn1parse shows it as text.
printf 'zurbase trace: indefinite lengths' > "$dir/crl/content.txt"
openssl cms -sign -stream -nodetach -in "$dir/crl/content.txt" -signer "$dir/crl/ca.crt" \
  -inkey "$dir/crl/ca.key" -outform DER -out "$dir/streamed.ber"
for f in "$dir"/*.der "$dir"/*.ber; do
  openssl asn1parse -inform DER -in "$f" > "$f.asn1parse"
done
