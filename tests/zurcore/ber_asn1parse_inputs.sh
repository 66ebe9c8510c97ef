#!/usr/bin/env bash
# Test fixture: DER files and what `openssl asn1parse` makes of them.
# Three CA certificates of the system and a CRL, into <dir>.
set -euo pipefail
dir=$1
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$dir"
mkdir -p "$dir"
certs=(/usr/share/ca-certificates/mozilla/*.crt)
[ ${#certs[@]} -ge 3 ] || { echo "fewer than three certificates found" >&2; exit 1; }
for i in 0 $(( ${#certs[@]} / 2 )) $(( ${#certs[@]} - 1 )); do
  openssl x509 -in "${certs[$i]}" -outform DER -out "$dir/cert$i.der"
done
"$here/../data/make_crl.sh" "$dir/crl" 40 >/dev/null
cp "$dir/crl/crl.der" "$dir/crl.der"
for f in "$dir"/*.der; do
  openssl asn1parse -inform DER -in "$f" > "$f.asn1parse"
done
ls "$dir"/*.der
