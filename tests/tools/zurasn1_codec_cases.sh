#!/usr/bin/env bash
# zurasn1 decode and convert run as their users run them: printed values,
# the codec's trace, PEM input, re-encoding, and the exit status and message
# of every kind of failure.
# Usage: zurasn1_codec_cases.sh <work dir> [emulator...] <zurasn1>
set -euo pipefail
dir=$1
shift
run=("$@")
run[-1]=$(realpath "${run[-1]}")
source "$(dirname "${BASH_SOURCE[0]}")/cases.sh"
rm -rf "$dir" && mkdir -p "$dir" && cd "$dir"
cat > rec.asn1 <<'ASN1'
Recs DEFINITIONS IMPLICIT TAGS ::= BEGIN
Rec ::= SEQUENCE { id INTEGER (0..1000), name UTF8String, tags SET OF IA5String, when [0] UTCTime OPTIONAL }
END
ASN1
hex() { xxd -r -p > "$1"; }
# Rec { id 5, name "zur", tags { "b", "a" } } in BER: indefinite lengths, SET OF out of order.
echo '3080 020105 0C037A7572 3180 160162 160161 0000 0000' | tr -d ' ' | hex ber.bin
echo '3010 020105 0C037A7572 3106 160161 160162' | tr -d ' ' | hex der.bin
head -c 9 der.bin > cut.bin
printf '%s\n' '-----BEGIN REC-----' "$(base64 -w0 der.bin)" '-----END REC-----' > rec.pem
cat der.bin der.bin > two.bin
cat > printed.txt <<'TEXT'
value Rec ::= 
{
  id 5,
  name "zur",
  tags 
  {
    "a",
    "b"
  }
}
TEXT
{ printf 'Rec: tag = [UNIVERSAL 16] constructed; length = 16\n'
  printf '  id INTEGER: tag = [UNIVERSAL 2] primitive; length = 1\n'
  printf '  name UTF8String: tag = [UNIVERSAL 12] primitive; length = 3\n'
  printf '  tags SET OF: tag = [UNIVERSAL 17] constructed; length = 6\n'
  printf '    #1 IA5String: tag = [UNIVERSAL 22] primitive; length = 1\n'
  printf '    #2 IA5String: tag = [UNIVERSAL 22] primitive; length = 1\n'
  cat printed.txt; } > traced.txt
cat printed.txt printed.txt > printed2.txt
# The same value under ALIGNED (per) and UNALIGNED (uper) PER, worked out
# from X.691: id in 16 aligned bits or 10 bits, lengths and counts in octets.
echo '0000 0503 7A7572 02 0161 0162' | tr -d ' ' | hex rec.per
echo '00A06F4EAE404038407100' | hex rec.uper
head -c 7 rec.per > cut.per
{ printf 'Rec [fieldcount (not encoded) = 3]\n'
  printf 'preamble Rec [length (not encoded) = 0.1]\n'
  printf '  id INTEGER [length (not encoded) = 2.0]\n'
  printf '  name UTF8String [length = 3.0]\n'
  printf '  tags SET OF [count = 2]\n'
  printf '    #1 IA5String [length = 1.0]\n'
  printf '    #2 IA5String [length = 1.0]\n'
  printf 'Total PDV length = 12.0\n'
  cat printed.txt; } > traced-per.txt
# BER keeps the SET OF in the order it came.
sed '7s/"a"/"b"/; 8s/"b"/"a"/' printed.txt > printed-ber.txt
m=(-m rec.asn1 -t Rec)

check_exact "decode BER" 0 printed-ber.txt "" decode "${m[@]}" ber.bin
check_exact "decode DER" 0 printed.txt "" decode "${m[@]}" -r der der.bin
check_exact "decode PEM" 0 printed.txt "" decode "${m[@]}" -r der rec.pem
check_exact "two values, one after the other" 0 printed2.txt "" decode "${m[@]}" two.bin
check_exact "trace before the value" 0 traced.txt "" decode "${m[@]}" --trace der.bin
check_exact "BER is no DER" 1 "" \
  "zurasn1: ber.bin: D0037E: Value misencoded or length wrong for value (DER: definite length) at offset 1." \
  decode "${m[@]}" -r der ber.bin
check_exact "truncated" 1 "" "zurasn1: cut.bin: D0055S: Premature end of input buffer at offset 9." \
  decode "${m[@]}" cut.bin
check_exact "no type" 2 "" "zurasn1: no type given (-t TYPE) (try zurasn1 --help)" decode -m rec.asn1 der.bin
check_exact "unknown rules" 2 "" "zurasn1: unknown rules xer (ber, der, per, uper) (try zurasn1 --help)" \
  decode "${m[@]}" -r xer der.bin
check_exact "unknown type" 2 "" "zurasn1: error: no type assignment named Nope in the modules" \
  decode -m rec.asn1 -t Nope der.bin
check_exact "unreadable input" 2 "" "zurasn1: missing.bin: error: cannot read the file: No such file or directory" \
  decode "${m[@]}" missing.bin
check_exact "convert BER to DER" 0 "" "" convert "${m[@]}" -i ber -o der ber.bin out.der
# Output that cannot be written is an error with its reason, not a success
# (a native run only: /dev/full is the full disk).
if [ ${#run[@]} = 1 ] && [ -w /dev/full ]; then
  for c in "decode|zurasn1: writing standard output: No space left on device|decode ${m[*]} der.bin" \
           "convert|zurasn1: writing standard output: No space left on device|convert ${m[*]} -i ber -o der ber.bin -" \
           "convert to a file|zurasn1: /dev/full: error: cannot write the file: No space left on device|convert ${m[*]} -i ber -o der ber.bin /dev/full"; do
    IFS='|' read -r name err args <<< "$c"
    got=0
    # shellcheck disable=SC2086
    "${run[@]}" $args > /dev/full 2> err.txt || got=$?
    ok=0
    [ "$got" = 2 ] && [ "$(cat err.txt)" = "$err" ] && ok=1
    verdict "full disk: $name" $ok "status $got, stderr: $(head -n 3 err.txt)"
  done
fi
: > empty.bin
printf '%s\n' '-----BEGIN REC-----' '-----END REC-----' > empty.pem
check_exact "empty input" 1 "" "zurasn1: empty.bin: the input is empty" decode "${m[@]}" empty.bin
check_exact "empty PEM block" 1 "" "zurasn1: empty.pem: PEM block 1 (REC): the block is empty" decode "${m[@]}" empty.pem
cmp -s out.der der.bin || verdict "convert BER to DER" 0 "$(xxd -p out.der) (want $(xxd -p der.bin))"
for rules in per uper; do
  check_exact "convert DER to $rules" 0 "" "" convert "${m[@]}" -i der -o $rules der.bin out.$rules
  cmp -s out.$rules rec.$rules || verdict "convert DER to $rules" 0 "$(xxd -p out.$rules) (want $(xxd -p rec.$rules))"
  check_exact "decode $rules" 0 printed.txt "" decode "${m[@]}" -r $rules rec.$rules
  check_exact "convert $rules to DER" 0 "" "" convert "${m[@]}" -i $rules -o der rec.$rules out.der
  cmp -s out.der der.bin || verdict "convert $rules to DER" 0 "$(xxd -p out.der)"
done
check_exact "PER trace: one field line per item" 0 traced-per.txt "" decode "${m[@]}" -r per --trace rec.per
check_exact "truncated PER: the bit of the fault" 1 "" \
  "zurasn1: cut.per: D0055S: Premature end of input buffer at bit 56." decode "${m[@]}" -r per cut.per
check_exact "convert without output rules" 2 "" "zurasn1: no output rules given (-o RULES) (try zurasn1 --help)" \
  convert "${m[@]}" -i ber ber.bin out.der
check_exact "convert of a truncated input" 1 "" "zurasn1: cut.bin: D0055S: Premature end of input buffer at offset 9." \
  convert "${m[@]}" -i ber -o der cut.bin out.der

# A dialogue portion as TCAP carries one: EXTERNAL, by its own tags in a
# module of automatic tags, its open type kept encoded.
cat > dialogue.asn1 <<'ASN1'
Dlg DEFINITIONS AUTOMATIC TAGS ::= BEGIN
Portion ::= [APPLICATION 11] EXPLICIT EXTERNAL
END
ASN1
echo '6B0F 280D 0607 00118605010101 A002 0500' | tr -d ' ' | hex dialogue.bin
{ printf 'tag = [APPLICATION 11] constructed; length = 15\n'
  printf '  Portion: tag = [UNIVERSAL 8] constructed; length = 13\n'
  printf '    direct-reference OBJECT IDENTIFIER: tag = [UNIVERSAL 6] primitive; length = 7\n'
  printf '    encoding single-ASN1-type ANY: tag = [0] constructed; length = 2\n'
  printf '      ANY: tag = [UNIVERSAL 5] primitive; length = 0\n'
  printf 'value Portion ::= \n{\n  direct-reference { 0 0 17 773 1 1 1 },\n'
  printf "  encoding single-ASN1-type : '0500'H\n}\n"; } > dialogue.txt
check_exact "EXTERNAL" 0 dialogue.txt "" decode -m dialogue.asn1 -t Portion --trace dialogue.bin

finish
