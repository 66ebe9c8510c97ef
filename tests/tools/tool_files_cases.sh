#!/usr/bin/env bash
# zurasn1 and zurtrace with the system around them: the octets of standard
# output and error, names outside ASCII, directories, long paths, pipes and
# files past what a 32-bit program or the decoder's lengths hold, broken
# pipes and full disks; under wine, Windows' reserved device names.
# Usage: tool_files_cases.sh <work dir> [emulator...] <zurasn1> <zurtrace>
# ZURTRACE_POINTER_SIZE (default 8) is the target's pointer size in octets.
set -euo pipefail
dir=$1
shift
run=("${@:1:$#-2}")
zurasn1=("${run[@]}" "$(realpath "${@: -2:1}")")
zurtrace=("${run[@]}" "$(realpath "${@: -1}")")
wine=0
[[ "${run[0]:-}" == *wine* ]] && wine=1
pointer=${ZURTRACE_POINTER_SIZE:-8}
source "$(dirname "${BASH_SOURCE[0]}")/cases.sh"
# Names reach the programs as UTF-8 (wine takes the command line in the
# locale's code page).
export LC_ALL=C.UTF-8
rm -rf "$dir" && mkdir -p "$dir" && cd "$dir"

cat > text.asn1 <<'ASN1'
Text DEFINITIONS ::= BEGIN
Line ::= UTF8String
Blob ::= OCTET STRING
END
ASN1
# "Syntax\r\nerror": a value with a line break of its own.
printf '\x0c\x0dSyntax\r\nerror' > crlf.der
printf 'value Line ::= "Syntax\r\nerror"\n' > crlf.txt
printf '\x04\x02\xab\xcd' > blob.der

# check <name> <status> <stderr (exact octets; empty: none)> <command...>
check() {
  local name=$1 want=$2 err=$3 ok=1
  shift 3
  capture "$@"
  [ "$status" = "$want" ] || ok=0
  [ "$(cat err.txt)" = "$err" ] || ok=0
  [ -n "$err" ] || [ ! -s err.txt ] || ok=0
  verdict "$name" $ok "status $status (want $want), stderr: $(head -c 300 err.txt | od -c | head -n 4)"
}
decode=("${zurasn1[@]}" decode -m text.asn1)
# tool zurasn1|zurtrace <arguments...>
tool() { if [ "$1" = zurasn1 ]; then "${zurasn1[@]}" "${@:2}"; else "${zurtrace[@]}" "${@:2}"; fi; }
# sparse <file> <size>: an OCTET STRING header of 4 length octets, then zeros
# to size octets, which take no disk.
sparse() {
  local length
  length=$(printf '%08x' $(($2 - 6)) | sed 's/../\\x&/g')
  printf "\\x04\\x84$length" > "$1"
  truncate -s "$2" "$1"
}

# Standard output and error as octets: no CR added before a line feed.
check "a value's own CR LF" 0 "" "${decode[@]}" -t Line crlf.der
expect "printed as it is" cmp -s out.txt crlf.txt
check "help lines end in LF" 0 "" "${zurtrace[@]}" --help
expect "no CR in the help" test "$(tr -cd '\r' < out.txt | wc -c)" -eq 0
check "a message ends in LF" 2 "zurtrace: missing.der: No such file or directory" "${zurtrace[@]}" missing.der
expect "no CR in the message" test "$(tr -cd '\r' < err.txt | wc -c)" -eq 0

# Standard output leaves in large writes, also to a character device, and
# the values and a fault after them keep their order.
for i in $(seq 10000); do cat blob.der; done > many.der
if command -v strace > /dev/null; then
  # LeakSanitizer cannot run under a tracer; the runs without one check leaks.
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 \
    strace -f -qq -e trace=write -o writes.txt "${decode[@]}" -t Blob many.der > /dev/null 2>&1
  # Writes of the values (wine's own are many): those that start a value,
  # and those of one octet.
  writes=$(grep -cE 'write\([0-9]+, "(value Blob|([^"\\]|\\.)", 1\))' writes.txt || true)
  expect "10000 values in $writes writes" test "$writes" -ge 1 -a "$writes" -lt 100
fi
{ cat blob.der blob.der; printf '\x05'; } > blobcut.der
"${decode[@]}" -t Blob blobcut.der > both.txt 2>&1 || true
expect "values, then the fault" diff both.txt <(printf '%s\n' "value Blob ::= 'ABCD'H" "value Blob ::= 'ABCD'H" \
  "zurasn1: blobcut.der (value at offset 8): D0055S: Premature end of input buffer at offset 1.")

# Names outside ASCII (and outside any ANSI code page) round-trip.
mkdir -p 目录
cp blob.der 日本語.der
cp text.asn1 模块.asn1
check "zurtrace of a Japanese name" 0 "" "${zurtrace[@]}" 日本語.der
check "decode of a Japanese name" 0 "" "${decode[@]}" -t Blob 日本語.der
check "check of a Chinese name" 0 "" "${zurasn1[@]}" check 模块.asn1
check "convert to a Japanese name" 0 "" "${zurasn1[@]}" convert -m 模块.asn1 -t Blob -i ber -o der 日本語.der 出力.der
expect "the file written" cmp -s 出力.der blob.der
check "C into a Chinese directory" 0 "" "${zurasn1[@]}" c -o 目录/子 模块.asn1
expect "the C written" test -s 目录/子/Text.c -a -s 目录/子/Text.h
check "a missing name echoed in UTF-8" 2 "zurtrace: é.der: No such file or directory" "${zurtrace[@]}" é.der

# A directory named as a file says so, everywhere.
mkdir -p adir
isdir="error: cannot read the file: Is a directory"
check "zurtrace of a directory" 2 "zurtrace: adir: Is a directory" "${zurtrace[@]}" adir
check "decode of a directory" 2 "zurasn1: adir: $isdir" "${decode[@]}" -t Blob adir
check "check of a directory" 1 "adir: $isdir" "${zurasn1[@]}" check adir
check "a directory as module" 2 "adir: $isdir" "${zurasn1[@]}" decode -m adir -t Blob blob.der
check "convert to a directory" 2 "zurasn1: adir: error: cannot write the file: Is a directory" \
  "${zurasn1[@]}" convert -m text.asn1 -t Blob -i ber -o der blob.der adir

# Paths of more than 260 characters.
long=$PWD
for i in 1 2 3 4 5 6; do long+=/$(printf "d$i%.0s" $(seq 25)); done
mkdir -p "$long"
cp blob.der text.asn1 "$long/"
check "zurtrace of a long path" 0 "" "${zurtrace[@]}" "$long/blob.der"
check "decode of a long path" 0 "" "${zurasn1[@]}" decode -m "$long/text.asn1" -t Blob "$long/blob.der"
check "convert to a long path" 0 "" "${zurasn1[@]}" convert -m "$long/text.asn1" -t Blob -i ber -o der \
  blob.der "$long/out.der"
expect "the long path written" cmp -s "$long/out.der" blob.der
check "check of a long path" 0 "" "${zurasn1[@]}" check "$long/text.asn1"
check "C of a long path" 0 "" "${zurasn1[@]}" c -o cdir "$long/text.asn1"
check "C into a long path" 0 "" "${zurasn1[@]}" c -o "$long/gen/c" text.asn1
expect "the C in the long path" test -s "$long/gen/c/Text.c" -a -s "$long/gen/c/Text.h"
# The C's directory and files are made as the other outputs are, and said
# alike when they cannot be.
mkdir -p cover/Text.h
check "C over a directory" 1 "cover/Text.h: error: cannot write the file: Is a directory" \
  "${zurasn1[@]}" c -o cover text.asn1
check "C below a file" 1 "blob.der/c: error: cannot make the directory: Not a directory" \
  "${zurasn1[@]}" c -o blob.der/c text.asn1
check "zurtrace -m of a long path" 0 "" "${zurtrace[@]}" -m "$long/text.asn1" blob.der

# A pipe is read whole up to 256 MiB; a longer one is refused, not died of.
pipe="a pipe or device is read whole, up to 268435456 octets, and this one is longer"
over() { head -c $((268435456 + 1)) /dev/zero | "$@"; }
check "zurtrace of a pipe over 256 MiB" 2 "zurtrace: standard input: $pipe" over "${zurtrace[@]}"
check "decode of a pipe over 256 MiB" 2 "zurasn1: standard input: error: cannot read the file: $pipe" \
  over "${decode[@]}" -t Blob

# Sparse files beyond 2 GiB and 4 GiB whose first value is 8 octets: the
# rest is decoded too (its zeros are no value), never silently left out.
for size in 2147483649 4294967306; do
  printf '\x04\x08ABCDEFGH' > sparse.der
  truncate -s $size sparse.der
  if [ "$pointer" = 8 ]; then
    check "$size octets: every value decoded" 1 \
      "zurasn1: sparse.der (value at offset 10): D0034E: PDU and input tags do not match: [UNIVERSAL 0] at offset 0." \
      "${decode[@]}" -t Blob sparse.der
    expect "$size octets: the first value printed" test "$(cat out.txt)" = "value Blob ::= '4142434445464748'H"
  elif [ $size -gt 4294967295 ]; then
    check "$size octets refused" 2 \
      "zurasn1: sparse.der: error: cannot read the file: $size octets do not fit the address space of this 32-bit program" \
      "${decode[@]}" -t Blob sparse.der
  fi
  rm sparse.der
done
# A 32-bit Windows program maps 1.5 GB: it has 4 GB of address space on
# 64-bit Windows (large-address-aware), not 2 GB.
if [ $wine = 1 ] && [ "$pointer" = 4 ]; then
  sparse big.der 1572864000
  check "1.5 GB mapped" 0 "" "${zurtrace[@]}" --no-values big.der
  rm big.der
fi

# Output that does not all arrive is an error, for every command.
if [ -w /dev/full ]; then
  for c in "zurasn1|standard output|--help" "zurasn1|standard output|--version" \
           "zurasn1|standard output|check text.asn1" "zurasn1|standard output|decode -m text.asn1 -t Blob blob.der" \
           "zurtrace|the trace|--version"; do
    IFS='|' read -r name what args <<< "$c"
    got=0
    # shellcheck disable=SC2086
    tool "$name" $args > /dev/full 2> err.txt || got=$?
    expect "$name $args to a full disk: $got, $(cat err.txt)" \
      test "$got: $(cat err.txt)" = "2: $name: writing $what: No space left on device"
  done
fi
# A reader that goes early: Linux ends the tool quietly by SIGPIPE, Windows
# reports the broken pipe (it said Invalid argument).
for i in $(seq 2); do cat many.der; done > more.der
for c in "zurasn1|standard output|decode -m text.asn1 -t Blob more.der" "zurtrace|the trace|more.der"; do
  IFS='|' read -r name what args <<< "$c"
  # shellcheck disable=SC2086
  { tool "$name" $args 2> err.txt || true; } | head -c 1 > /dev/null || true
  expect "$name into a closed pipe: $(cat err.txt)" \
    test ! -s err.txt -o "$(cat err.txt)" = "$name: writing $what: Broken pipe"
done
# Without SIGPIPE (ignored on Linux; Windows has none) the tool stops at the
# failed write, within a megabyte of zurtrace's input: the cut value at the
# end, past three strings of 1 MiB, is never reached.
{
  cat more.der
  for i in 1 2 3; do printf '\x04\x83\x10\x00\x00' && head -c 1048576 /dev/zero; done
  printf '\x05'
} > gone.der
for c in "zurasn1|standard output|decode -m text.asn1 -t Blob gone.der" "zurtrace|the trace|gone.der"; do
  IFS='|' read -r name what args <<< "$c"
  # shellcheck disable=SC2086
  { (trap '' PIPE && got=0 && tool "$name" $args 2> err.txt || got=$? && echo $got > got.txt); } |
    head -c 1 > /dev/null || true
  expect "$name stops at a closed pipe: $(cat got.txt), $(cat err.txt)" \
    test "$(cat got.txt): $(cat err.txt)" = "2: $name: writing $what: Broken pipe"
done

# A console (wine's, on a terminal) shows names in UTF-8 as characters, not
# as their octets in the console's code page (├⌐ for é under 437), on
# standard output and error.
if [ $wine = 1 ] && command -v script > /dev/null; then
  # console <command...>: what a terminal shows, without its control codes.
  console() {
    printf '%q ' "$@" > console.sh
    timeout 120 script -qec "bash console.sh" /dev/null < /dev/null | sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g' | tr -d '\r' || true
  }
  cp blob.der é.der
  expect "é in a console's trace" grep -q "file é\.der:" <(console "${zurtrace[@]}" é.der blob.der)
  expect "é in a console's message" grep -q "^é\.asn1: error" <(console "${zurasn1[@]}" check é.asn1)
fi

# Windows' reserved device names are refused, not read (AUX waits forever)
# or written (NUL keeps nothing).
if [ $wine = 1 ]; then
  device="a device name that Windows reserves, not a file"
  for name in aux.der NUL Com1.txt lpt9; do
    check "zurtrace $name" 2 "zurtrace: $name: $device" timeout 60 "${zurtrace[@]}" $name
  done
  check "convert to nul.der" 2 "zurasn1: nul.der: error: cannot write the file: $device" \
    timeout 60 "${zurasn1[@]}" convert -m text.asn1 -t Blob -i ber -o der blob.der nul.der
  # Module files are opened as the other inputs are.
  check "check aux.asn1" 1 "aux.asn1: error: cannot read the file: $device" timeout 60 "${zurasn1[@]}" check aux.asn1
  check "decode -m NUL" 2 "NUL: error: cannot read the file: $device" \
    timeout 60 "${zurasn1[@]}" decode -m text.asn1 -m NUL -t Blob blob.der
  check "zurtrace -m con.asn1" 2 "con.asn1: error: cannot read the file: $device" \
    timeout 60 "${zurtrace[@]}" -m con.asn1 blob.der
  # As the C's directory, or one above it, or as a file of the C.
  check "C into NUL" 1 "NUL: error: cannot make the directory: $device" \
    timeout 60 "${zurasn1[@]}" c -o NUL text.asn1
  check "C into com1/c" 1 "cdev/com1/c: error: cannot make the directory: $device" \
    timeout 60 "${zurasn1[@]}" c -o cdev/com1/c text.asn1
  echo 'AUX DEFINITIONS ::= BEGIN X ::= NULL END' > aux-module.asn1
  check "C of a module AUX" 1 "cdev/AUX.h: error: cannot write the file: $device" \
    timeout 60 "${zurasn1[@]}" c -o cdev aux-module.asn1
fi

finish
