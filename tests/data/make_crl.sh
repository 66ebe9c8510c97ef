#!/usr/bin/env bash
# Makes a DER CRL with many revoked entries: make_crl.sh <dir> <entries>.
# Writes <dir>/crl.der (and the CA it is signed with).
set -euo pipefail
dir=$1
entries=$2
mkdir -p "$dir"
cd "$dir"
rm -f index.txt index.txt.attr crlnumber crl.pem crl.der

openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -keyout ca.key \
  -out ca.crt -subj "/CN=zurbase trace test CA" -days 3650 2>/dev/null
# Revoked entries with a variety of reasons (each adds an entry extension).
awk -v n="$entries" 'BEGIN {
  split("unspecified keyCompromise CACompromise affiliationChanged superseded cessationOfOperation", r, " ");
  for (i = 1; i <= n; i++) {
    reason = (i % 7 == 0) ? "" : "," r[i % 6 + 1];
    printf "R\t351231235959Z\t%02d%02d%02d%02d%02d%02dZ%s\t%08X\tunknown\t/CN=entry %d\n",
      20 + i % 5, 1 + i % 12, 1 + i % 28, i % 24, i % 60, (i * 7) % 60, reason, i, i;
  }
}' > index.txt
echo 01 > crlnumber
cat > ca.cnf <<CNF
[ca]
default_ca = test_ca
[test_ca]
database = index.txt
crlnumber = crlnumber
default_md = sha256
default_crl_days = 30
crl_extensions = crl_ext
[crl_ext]
authorityKeyIdentifier = keyid:always
CNF
openssl ca -gencrl -config ca.cnf -keyfile ca.key -cert ca.crt -out crl.pem 2>/dev/null
openssl crl -in crl.pem -outform DER -out crl.der
