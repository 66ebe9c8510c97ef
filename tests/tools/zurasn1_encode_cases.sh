#!/usr/bin/env bash
# zurasn1 encode run as its users run it: what decode prints, edited or not,
# encoded back; errors in the text at their line and column; usage errors;
# and, where ZUR_ENCODE_CORPUS names Erlang's public_key asn1 folder (the
# host build), the system's CA certificates decoded, printed and encoded
# back to the same octets.
# Usage: zurasn1_encode_cases.sh <work dir> <test data dir> [emulator...] <zurasn1>
set -euo pipefail
dir=$1
data=$(realpath "$2")
shift 2
run=("$@")
run[-1]=$(realpath "${run[-1]}")
source "$(dirname "${BASH_SOURCE[0]}")/cases.sh"
rm -rf "$dir" && mkdir -p "$dir" && cd "$dir"
cat > rec.asn1 <<'ASN1'
Recs DEFINITIONS IMPLICIT TAGS ::= BEGIN
Rec ::= SEQUENCE { id INTEGER (0..1000), name UTF8String, tags SET OF IA5String, when [0] UTCTime OPTIONAL }
max-id INTEGER ::= 1000
END
ASN1
hex() { xxd -r -p > "$1"; }
echo '3010 020105 0C037A7572 3106 160161 160162' | tr -d ' ' | hex der.bin
m=(-m rec.asn1 -t Rec)

# same <name> <file> <wanted file>
same() {
  local ok=0
  cmp -s "$2" "$3" && ok=1
  verdict "$1" $ok "$(head -c 300 "$2" | xxd -p | head -n 3)"
}

"${run[@]}" decode "${m[@]}" -r der der.bin > printed.txt
cat printed.txt printed.txt > printed2.txt
cat der.bin der.bin > two.bin
check_exact "what decode prints, to DER" 0 der.bin "" encode "${m[@]}" -o der printed.txt -
check_exact "two values, one after the other" 0 two.bin "" encode "${m[@]}" -o der printed2.txt -
check_exact "standard input for IN" 0 der.bin "" encode "${m[@]}" -o der - < printed.txt
# Written as a module would write it: names of the module's values, any
# order of SET OF elements, comments.
cat > written.txt <<'TEXT'
-- edited by hand
first Rec ::= { id 5, name "zur", tags { "b", "a" } }
second Rec ::= { id max-id, name "z", tags {}, when "2601020304Z" }
TEXT
"${run[@]}" encode "${m[@]}" -o der written.txt written.der
"${run[@]}" decode "${m[@]}" -r der written.der > written.out
{ cat printed.txt
  printf 'value Rec ::= \n{\n  id 1000,\n  name "z",\n  tags \n  {\n  },\n  when "260102030400Z"\n}\n'; } > written.want
same "value references, a SET OF in DER's order" written.out written.want
for rules in per uper; do
  "${run[@]}" convert "${m[@]}" -i der -o $rules der.bin want.$rules
  check_exact "to $rules" 0 want.$rules "" encode "${m[@]}" -o $rules printed.txt -
done

# Failures: nothing written, OUT left as it was.
printf 'kept' > out.bin
printf 'value Rec ::= {\n  id 5,\n  name "zur" tags {}\n}\n' > syntax.txt
check_exact "syntax error at its line and column" 1 "" "syntax.txt:3:14: error: expected '}', found 'tags'" \
  encode "${m[@]}" syntax.txt out.bin
printf 'value Rec ::= { id 5, name "zur", tags {} }\nvalue Rec ::= { id 1001, name "zur", tags {} }\n' > range.txt
check_exact "a value outside its range" 1 "" "range.txt:2:20: error: value 1001 is outside the type's range 0..1000" \
  encode "${m[@]}" range.txt out.bin
printf 'value Rec ::= { id 5, name 7, tags {} }\n' > wrong.txt
check_exact "a value of the wrong type" 1 "" "wrong.txt:1:28: error: expected a cstring, found '7'" \
  encode "${m[@]}" wrong.txt out.bin
printf 'value INTEGER ::= 5\n' > other.txt
check_exact "a value of another type than -t" 1 "" "other.txt:1:1: error: a value of INTEGER, not of Rec" \
  encode "${m[@]}" other.txt out.bin
# What the layout cannot hold, at the component's value, not at its assignment.
cat > open.asn1 <<'ASN1'
Open DEFINITIONS ::= BEGIN
KIND ::= CLASS { &id OBJECT IDENTIFIER UNIQUE, &Type }
Kinds KIND ::= { { &id { 1 2 3 }, &Type INTEGER } }
Msg ::= SEQUENCE { id KIND.&id ({Kinds}), body KIND.&Type ({Kinds}{@id}), extra ANY OPTIONAL }
flag ANY ::= BOOLEAN : TRUE
END
ASN1
printf 'first Msg ::= { id { 1 2 3 }, body INTEGER : 5 }\nsecond Msg ::= {\n  id { 1 2 4 },\n  body INTEGER : 5\n}\n' > id.txt
check_exact "an id that no object of the set has" 1 "" \
  "id.txt:4:8: error: cannot lay out an open type's value whose id no object of its set has" \
  encode -m open.asn1 -t Msg id.txt out.bin
printf 'value Msg ::= { id { 1 2 3 }, body INTEGER : 5,\n  extra BOOLEAN : TRUE }\n' > any.txt
printf 'value Msg ::= { id { 1 2 3 }, body INTEGER : 5, extra flag }\n' >> any.txt
lay_any="error: cannot lay out a value of an open type that no object set selects other than as its encoding ('..'H)"
check_exact "Type : value for an ANY, given or referenced" 1 "" "any.txt:2:9: $lay_any
any.txt:3:55: $lay_any" encode -m open.asn1 -t Msg any.txt out.bin
printf 'value Rec ::= { id nope, name "", tags {} }\n' > unknown.txt
check_exact "an unknown reference" 1 "" "unknown.txt:1:20: error: unknown reference nope" encode "${m[@]}" unknown.txt out.bin
printf -- '-- nothing\n' > none.txt
check_exact "no value" 1 "" "none.txt:1:1: error: no value assignment in the input" encode "${m[@]}" none.txt out.bin
# After a syntax error only that error: the assignment it broke says nothing more.
printf 'value Rec ::= { id 5, name "zur", tags {} } garbage\n' > garbage.txt
check_exact "garbage after a value" 1 "" "garbage.txt:2:1: error: expected a type, found 'end of file'" \
  encode "${m[@]}" garbage.txt out.bin
printf 'T ::= INTEGER\n' > typeassignment.txt
check_exact "a type assignment" 1 "" \
  "typeassignment.txt:1:1: error: expected a value assignment (name Type ::= value), found 'T'" \
  encode "${m[@]}" typeassignment.txt out.bin
printf 'kept' > kept.bin
same "OUT untouched after the failures" out.bin kept.bin
check_exact "unknown type" 2 "" "zurasn1: error: no type assignment named Nope in the modules" \
  encode -m rec.asn1 -t Nope printed.txt out.bin
check_exact "no OUT" 2 "" "zurasn1: encode takes OUT, or IN and OUT (try zurasn1 --help)" encode "${m[@]}"
check_exact "-r is decode's" 2 "" "zurasn1: unknown option -r (try zurasn1 --help)" encode "${m[@]}" -r der printed.txt -
check_exact "unknown rules" 2 "" "zurasn1: unknown rules xer (ber, der, per, uper) (try zurasn1 --help)" \
  encode "${m[@]}" -o xer printed.txt -
check_exact "unreadable input" 2 "" "zurasn1: missing.txt: error: cannot read the file: No such file or directory" \
  encode "${m[@]}" missing.txt out.bin
printf 'Broken DEFINITIONS ::= BEGIN X ::= END\n' > broken.asn1
check_exact "modules that do not compile" 2 "" "broken.asn1:1:36: error: expected a type, found 'END'" \
  encode -m broken.asn1 -t X printed.txt out.bin

# The record of X.691 A.2, as decode prints it, back to its ALIGNED PER octets.
pm=(-m "$data/asn1/personnel_constrained.asn1" -t PersonnelRecord)
echo '864A6F686E501053 6D69746801330844 69726563746F7219 7109170C4D617279 5410536D69746802 1052616C70685410
      536D697468195711 111053757361 6E42104A6F6E6573 19590717' | tr -d ' \n' | hex a2.per
"${run[@]}" decode "${pm[@]}" -r per a2.per > a2.txt
check_exact "X.691 A.2 to ALIGNED PER" 0 a2.per "" encode "${pm[@]}" -o per a2.txt -

if [ -n "${ZUR_ENCODE_CORPUS:-}" ]; then
  pkix=(-m "$ZUR_ENCODE_CORPUS/PKIX1Explicit88.asn1" -m "$ZUR_ENCODE_CORPUS/PKIX1Implicit88.asn1"
        -m "$ZUR_ENCODE_CORPUS/PKIX1Algorithms88.asn1" -t Certificate)
  : > certs.der
  n=0
  for crt in /usr/share/ca-certificates/mozilla/*.crt; do
    openssl x509 -in "$crt" -outform DER >> certs.der
    n=$((n + 1))
  done
  "${run[@]}" decode "${pkix[@]}" -r der certs.der > certs.txt 2> /dev/null
  printed=$(grep -c '^value Certificate ::=' certs.txt)
  "${run[@]}" encode "${pkix[@]}" -o der certs.txt certs.out 2> /dev/null
  ok=0
  [ "$n" -gt 100 ] && [ "$printed" = "$n" ] && cmp -s certs.der certs.out && ok=1
  verdict "$n CA certificates ($(wc -c < certs.der) octets) printed and encoded back" $ok \
    "$printed printed, $(wc -c < certs.out) octets back"
fi

finish
