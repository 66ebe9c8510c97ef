#!/usr/bin/env bash
# Test fixture: DER files and what `openssl asn1parse` makes of them.
# Three CA certificates of the system, a CRL and a streamed (indefinite-length
# BER) CMS signed message, into <dir>.
set -euo pipefail
dir=$1
rm -rf "$dir" && mkdir -p "$dir"
certs=(/usr/share/ca-certificates/mozilla/*.crt)
[ ${#certs[@]} -ge 3 ] || { echo "fewer than three certificates found" >&2; exit 1; }
for i in 0 $(( ${#certs[@]} / 2 )) $(( ${#certs[@]} - 1 )); do
  openssl x509 -in "${certs[$i]}" -outform DER -out "$dir/cert$i.der"
done
"$(dirname "$0")/../data/make_crl.sh" "$dir/crl" 40 >/dev/null
cp "$dir/crl/crl.der" "$dir/crl.der"
# One line of content: asn1parse shows it as text.
printf 'zurbase trace: indefinite lengths' > "$dir/crl/content.txt"
openssl cms -sign -stream -nodetach -in "$dir/crl/content.txt" -signer "$dir/crl/ca.crt" \
  -inkey "$dir/crl/ca.key" -outform DER -out "$dir/streamed.ber"
for f in "$dir"/*.der "$dir"/*.ber; do
  openssl asn1parse -inform DER -in "$f" > "$f.asn1parse"
done
