#!/usr/bin/env bash
# zurtrace's exit statuses, messages and bounded output, on inputs made here.
# Usage: zurtrace_cases.sh <work dir> [emulator...] <zurtrace>
# ZURTRACE_POINTER_SIZE (default 8) is the target's pointer size in octets.
set -euo pipefail
dir=$1
shift
run=("$@")
run[-1]=$(realpath "${run[-1]}")
source "$(dirname "${BASH_SOURCE[0]}")/cases.sh"
rm -rf "$dir" && mkdir -p "$dir/adir" && cd "$dir"

certs=(/usr/share/ca-certificates/mozilla/*.crt)
for i in 0 1 2; do openssl x509 -in "${certs[$((i * 40))]}" -outform DER -out "cert$i.der"; done
cat "${certs[0]}" "${certs[40]}" "${certs[80]}" > bundle.pem
head -c 500 cert0.der > truncated.der
: > empty.der
printf '\x30' > one.der
head -c 4096 /dev/urandom > random.der
printf '\x30\x84\xFF\xFF\xFF\xFF' > claims4g.der
# 100,000 nested indefinite lengths, closed properly.
nested() { awk -v n="$1" 'BEGIN { for (i = 0; i < n; i++) printf "0\x80"; for (i = 0; i < 2 * n; i++) printf "%c", 0 }'; }
nested 100000 > deep.ber
label=$(printf 'L%.0s' $(seq 600))
{ echo "-----BEGIN $label-----"; base64 cert0.der; echo "-----END $label-----"; } > longlabel.pem

# check <name> <status> <stderr (ERE, a whole line of it; empty: none)> <arguments...>
check() {
  local name=$1 want=$2 pattern=$3 ok=1
  shift 3
  capture "${run[@]}" "$@"
  [ "$status" = "$want" ] || ok=0
  if [ -n "$pattern" ]; then grep -Eqx -- "$pattern" err.txt || ok=0; else [ ! -s err.txt ] || ok=0; fi
  verdict "$name" $ok "status $status (want $want), stderr: $(cat err.txt)"
}
lines() { wc -l < out.txt; }

malformed='zurtrace: %s: malformed at offset %s: D0055S: Premature end of input buffer\.'
check "well formed" 0 "" cert0.der
cp out.txt cert0.trace
expect "values shown" grep -Eq '^ +\{ 2 5 4 [0-9]+ \}$' cert0.trace
check "missing file" 2 'zurtrace: missing\.der: No such file or directory' missing.der
check "directory" 2 'zurtrace: adir: Is a directory' adir
check "empty file" 1 "$(printf "$malformed" empty.der 0)" empty.der
check "one octet" 1 "$(printf "$malformed" one.der 0)" one.der
check "random octets" 1 'zurtrace: random\.der: malformed at offset [0-9]+: D[0-9]{4}[SE]: .*' random.der
check "truncated certificate" 1 "$(printf "$malformed" truncated.der '[0-9]+')" truncated.der
expect "tree up to the cut" test "$(grep -c 'tag = ' out.txt)" -gt 20
expect "report row after the tree" test "$(tail -n 1 out.txt)" = "D0055S: Premature end of input buffer."
printf '\x30\x06\x01\x02\xFF\xFF\x05\x00' > contents.der
check "malformed contents" 1 \
  'zurtrace: contents\.der: malformed at offset 2: D0037E: Value misencoded or length wrong for value \(BOOLEAN of more than one octet\)\.' \
  contents.der
expect "shown, and the rest traced" test "$(sed -n '3,4p' out.txt | tr -s ' \n' ' ')" = \
  " malformed (BOOLEAN of more than one octet): FFFF #2 NULL: tag = [UNIVERSAL 5] primitive; length = 0 "
check "4 GB length in 6 octets" 1 "$(printf "$malformed" claims4g.der 6)" claims4g.der
expect "long length shown" grep -qx '#1 SEQUENCE: tag = \[UNIVERSAL 16\] constructed; length = 4294967295' out.txt
# Depths 0 to 64 traced, one report, 65 EOC lines.
check "100,000 nested indefinite lengths" 0 "" deep.ber
expect "depth limit bounds the output" test "$(lines)" -eq 131
expect "depth limit reported once" test "$(grep -c 'depth limit 64 passed at offset 130' out.txt)" -eq 1
check "smaller depth limit" 0 "" --max-depth 3 deep.ber
expect "depth 3 output" test "$(lines)" -eq 9
# Lines stop indenting at depth 100: the manual's 300 octets of trace per
# octet of input hold for two-octet elements past it, the most any input
# needs.
awk 'BEGIN { for (i = 0; i < 200; i++) printf "0\x80"; for (i = 0; i < 20000; i++) printf "&%c", 0;
             for (i = 0; i < 400; i++) printf "%c", 0 }' > deep-oids.ber
bound=$((300 * $(wc -c < deep-oids.ber)))
size=$( ("${run[@]}" --max-depth 100000 --offsets deep-oids.ber 2> /dev/null || true) | head -c "$bound" | wc -c)
expect "output linear in the input at --max-depth 100000 ($size octets)" test "$size" -lt "$bound"
check "PEM label of 600 characters" 0 "" longlabel.pem
expect "label line whole, trace on the next" \
  test "$(head -n 2 out.txt | tr '\n' '|')" = "PEM block 1: $label|#1 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = $(($(wc -c < cert0.der) - 4))|"
{ echo "-----BEGIN CERTIFICATE-----"; base64 cert0.der; echo "-----END X509 CRL-----"; } > mismatched.pem
check "PEM END line of another label" 1 'zurtrace: mismatched\.pem: PEM block 1 \(CERTIFICATE\): the END line [0-9]+ closes no CERTIFICATE block' mismatched.pem
check "PEM bundle of 3 certificates" 0 "" bundle.pem
expect "blocks introduced by label and number" \
  test "$(grep '^PEM block' out.txt | tr '\n' '|')" = \
  "PEM block 1: CERTIFICATE|PEM block 2: CERTIFICATE|PEM block 3: CERTIFICATE|"
grep -v '^PEM block' out.txt > bundle.trace
"${run[@]}" cert0.der cert1.der cert2.der | grep -v '^file ' > ders.trace
expect "PEM blocks traced as their DER" cmp -s bundle.trace ders.trace
# PEM after a byte-order mark, or after comment lines in UTF-8 as in
# curl's cacert.pem.
printf '\xEF\xBB\xBF' | cat - "${certs[0]}" > marked.pem
printf 'NetLock Arany (Class Gold) F\xC5\x91tan\xC3\xBAs\xC3\xADtv\xC3\xA1ny\n' | cat - "${certs[0]}" > utf8.pem
for pem in marked.pem utf8.pem; do
  check "PEM recognised in $pem" 0 "" "$pem"
  expect "$pem traced as its DER" cmp -s <(grep -v '^PEM block' out.txt) cert0.trace
done
check "standard input from a file" 0 "" - < cert0.der
expect "same trace as the named file" cmp -s out.txt cert0.trace
check "standard input from a pipe" 0 "" < <(cat cert0.der)
expect "same trace through a pipe" cmp -s out.txt cert0.trace
# Wine cannot open the names bash gives pipes and devices.
if [[ "${run[0]}" != *wine* ]]; then
  check "a pipe named as a file" 0 "" <(cat cert0.der)
  expect "same trace through a named pipe" cmp -s out.txt cert0.trace
  check "/dev/stdin from a pipe" 0 "" /dev/stdin < <(cat cert0.der)
  expect "same trace through /dev/stdin" cmp -s out.txt cert0.trace
  check "a device without end" 2 \
    'zurtrace: /dev/zero: a pipe or device is read whole, up to 268435456 octets, and this one is longer' \
    /dev/zero
fi
check "no values" 0 "" --no-values cert0.der
expect "only tag lines" test "$(grep -vc 'tag = ' out.txt)" -eq 0
check "hex dump before the trace" 0 "" --hex cert0.der
expect "hex lines" grep -Eqx '3082[0-9A-F]{4}( [0-9A-F]{8}){7}' <(head -n 1 out.txt)
check "one file missing of three" 2 'zurtrace: missing\.der: .*' cert0.der missing.der cert1.der
expect "the others traced" test "$(grep -c '^#1 SEQUENCE' out.txt)" -eq 2
check "malformed beside well formed" 1 "$(printf "$malformed" one.der 0)" cert0.der one.der
# An OCTET STRING of 4 GiB + 3 octets in a sparse file: traced on 64-bit
# targets, refused where the address space cannot hold it.
printf '\x04\x85\x01\x00\x00\x00\x03' > huge.der
truncate -s $((7 + 4294967299)) huge.der
if [ "${ZURTRACE_POINTER_SIZE:-8}" = 8 ]; then
  check "4 GiB + 10 octets" 0 "" huge.der
  expect "whole length shown" \
    grep -qx '#1 OCTET STRING: tag = \[UNIVERSAL 4\] primitive; length = 4294967299' out.txt
else
  check "4 GiB + 10 octets refused" 2 \
    'zurtrace: huge\.der: 4294967306 octets do not fit the address space of this 32-bit program' huge.der
fi
rm huge.der
# Pages behind the walk are given back: a 64 MiB file of small elements
# traces in far less memory than its size (peak RSS measured by python).
if [ ${#run[@]} -eq 1 ]; then
  python3 -c '
import sys
element = b"\x04\x60" + bytes(96)
n = (64 << 20) // len(element)
sys.stdout.buffer.write(b"\x30\x84" + (n * len(element)).to_bytes(4, "big") + element * n)' > big.der
  peak() {
    python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, check=True)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "${run[@]}" --no-values "$1"
  }
  grown=$(($(peak big.der) - $(peak cert0.der)))
  expect "memory grew by $grown KiB tracing 64 MiB" test "$grown" -lt 16384
  rm big.der
fi
check "help" 0 "" --help
expect "usage first" grep -q '^usage: zurtrace \[options\] \[FILE\.\.\.\]$' <(head -n 1 out.txt)
check "-h" 0 "" -h
check "version" 0 "" --version
expect "version line, the project's" grep -Eqx 'zurtrace [0-9]+\.[0-9]+\.[0-9]+' out.txt
# Output that cannot be written fails help and version as it fails a trace
# (a native run only: /dev/full is the full disk).
if [ ${#run[@]} -eq 1 ] && [ -w /dev/full ]; then
  for args in --help --version cert0.der; do
    got=0
    "${run[@]}" "$args" > /dev/full 2> err.txt || got=$?
    expect "$args to a full disk" test "$got: $(cat err.txt)" = "2: zurtrace: writing the trace: No space left on device"
  done
fi
check "unknown option" 2 'zurtrace: unknown option --frobnicate \(try zurtrace --help\)' --frobnicate x
for bad in 0 100001 x ""; do
  check "--max-depth '$bad'" 2 'zurtrace: --max-depth takes a number from 1 to 100000 .*' --max-depth "$bad" cert0.der
done
check "--max-depth without a number" 2 'zurtrace: --max-depth takes .*' --max-depth
# --offsets and -m: each element's place, OBJECT IDENTIFIERs named after a
# module's value assignments.
printf 'Broken DEFINITIONS ::= BEGIN\n' > broken.asn1
printf 'Names DEFINITIONS ::= BEGIN\nid-at OBJECT IDENTIFIER ::= { 2 5 4 }\nid-cn OBJECT IDENTIFIER ::= { id-at 3 }\nEND\n' > names.asn1
printf '\x30\x07\x06\x03\x55\x04\x03\x05\x00' > named.der
check "offsets and names" 0 "" --offsets -m names.asn1 named.der
expect "offset lines and the name" diff out.txt <(printf '%s\n' \
  '#1 @0 hl=2 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = 7' \
  '  #1 @2 hl=2 OBJECT IDENTIFIER: tag = [UNIVERSAL 6] primitive; length = 3' \
  '    { 2 5 4 3 } (id-cn)' \
  '  #2 @7 hl=2 NULL: tag = [UNIVERSAL 5] primitive; length = 0')
printf '\x30\x80\x05\x00\x00\x00' > indefinite.ber
check "offsets of EOC octets" 0 "" --offsets indefinite.ber
expect "EOC line with its offset" diff out.txt <(printf '%s\n' \
  '#1 @0 hl=2 SEQUENCE: tag = [UNIVERSAL 16] constructed; length = indef' \
  '  #1 @2 hl=2 NULL: tag = [UNIVERSAL 5] primitive; length = 0' \
  '  @4 hl=2 EOC')
check "-m without a module" 2 'zurtrace: -m needs a module file \(try zurtrace --help\)' -m
check "-m with a broken module" 2 'broken\.asn1:2:1: error: expected END at the end of module Broken' -m broken.asn1 named.der

finish
