#!/usr/bin/env bash
# zurasn1's commands, exit statuses and messages, and that the C it writes on
# this target is the C the build wrote with the build machine's zurasn1.
# Usage: zurasn1_cases.sh <work dir> <generated C dir> <own module> <Debian
#        module dir> <eldap module dir> [emulator...] <zurasn1>
set -euo pipefail
dir=$1 generated=$2 own=$3 pkix=$4 ldap=$5
shift 5
run=("$@")
run[-1]=$(realpath "${run[-1]}")
source "$(dirname "${BASH_SOURCE[0]}")/cases.sh"
rm -rf "$dir" && mkdir -p "$dir" && cd "$dir"
cp "$own" own.asn1
printf 'Broken DEFINITIONS ::= BEGIN\n  T ::= SEQUENCE { a Missing }\nEND\n' > broken.asn1
: > afile
debian=("$pkix/PKIX1Explicit88.asn1" "$pkix/PKIX1Implicit88.asn1" "$pkix/PKIX1Algorithms88.asn1"
        "$pkix/PKCS-8.asn1" "$pkix/InformationFramework.asn1" "$ldap/ELDAPv3.asn1")

# check <name> <status> <stdout (ERE, whole first line; empty: none)> <stderr (ERE, whole text; empty: none)> <arguments...>
check() {
  local name=$1 want=$2 out=$3 err=$4 ok=1
  shift 4
  capture "${run[@]}" "$@"
  [ "$status" = "$want" ] || ok=0
  if [ -n "$out" ]; then head -n 1 out.txt | grep -Eqx -- "$out" || ok=0; else [ ! -s out.txt ] || ok=0; fi
  if [ -n "$err" ]; then [ "$(wc -l < err.txt)" -eq 1 ] && grep -Eqx -- "$err" err.txt || ok=0; else [ ! -s err.txt ] || ok=0; fi
  verdict "$name" $ok "status $status (want $want), stdout: $(head -n 3 out.txt), stderr: $(head -n 3 err.txt)"
}
usage='zurasn1: %s \(try zurasn1 --help\)'

check "version" 0 'zurasn1 [0-9]+\.[0-9]+\.[0-9]+' "" --version
check "help" 0 'usage: zurasn1 COMMAND \[options\] MODULE\.\.\.' "" --help
check "no command" 2 "" "$(printf "$usage" 'no command')"
check "unknown command" 2 "" "$(printf "$usage" 'unknown command frob')" frob own.asn1
check "check without a module" 2 "" "$(printf "$usage" 'no module given')" check
check "unknown option" 2 "" "$(printf "$usage" 'unknown option -x')" check -x own.asn1
check "-o without a directory" 2 "" "$(printf "$usage" '-o needs a directory')" c own.asn1 -o
check "-p without a prefix" 2 "" "$(printf "$usage" '-p needs a prefix')" c own.asn1 -p
check "a prefix that is no C identifier" 2 "" \
  "$(printf "$usage" "prefix '9x' is not a C identifier \\(letters, digits and _, not starting with a digit\\)")" \
  c -p 9x own.asn1
check "a prefix of reserved names" 2 "" \
  "$(printf "$usage" "prefix '_x' would give names that C or C\\+\\+ reserve \\(a leading _ or a __\\)")" \
  c --prefix=_x own.asn1
check "own module" 0 '1 module, [0-9]+ PDUs' "" check own.asn1
check "Debian modules" 0 '6 modules, [0-9]+ PDUs' '.*: warning: .*' check "${debian[@]}"
check "missing file" 1 "" 'missing\.asn1: error: cannot read the file: .*' check missing.asn1
mkdir -p adir
check "a directory for a module" 1 "" 'adir: error: cannot read the file: .*' check adir
check "a directory for an input" 2 "" 'zurasn1: adir: error: cannot read the file: .*' \
  decode -m "$pkix/PKIX1Algorithms88.asn1" -t ECPoint adir
check "unknown reference" 1 "" 'broken\.asn1:2:[0-9]+: error: .*Missing.*' check broken.asn1
check "directory that cannot be made" 1 "" 'afile/sub: error: cannot make the directory: .*' c -o afile/sub own.asn1
check "C of a module whose types are all left out" 0 "" '.*: warning: 10 assignments left out .*' \
  c -o pkcs10 "$pkix/PKCS-10.asn1"
check "C of the own module" 0 "" "" c -o own own.asn1
# -p app and --prefix app_ join alike.
check "C with a prefix" 0 "" "" c -o pre1 -p app own.asn1
check "C with a prefix ending in _" 0 "" "" c -o pre2 --prefix app_ own.asn1
expect "C with a prefix" diff -r pre1 pre2
expect "C with a prefix" grep -q 'app_ZurLayouts_tables' pre1/app_ZurLayouts.c
for f in "$generated"/*; do
  if ! cmp -s "$f" "own/$(basename "$f")"; then
    verdict "C of the own module" 0 "$(basename "$f") differs from the build's"
  fi
done

finish
