#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan, and runs each for
# SECONDS (default 300): ber_trace_decoder_fuzz (the schema-less trace
# codec), zurtrace_fuzz (what zurtrace runs: PEM, values, encapsulated DER,
# the depth limit, with its output bounded) and ber_codec_fuzz (the BER/DER
# codec on the PKIX modules, CodecKinds, Megaco's module and LinkAP), seeded
# with the personnel record, the CA certificates in DER and PEM, a small CRL,
# Megaco messages and LinkAP's messages, and per_codec_fuzz (the PER codec on
# the X.691 Annex A records, PerKinds, Megaco's module and LinkAP), seeded
# with the records and the Megaco and LinkAP messages as Erlang's asn1
# encodes them; and, when named,
# module_reader_fuzz (the compiler's front end) and module_compile_fuzz (the
# whole compiler: layout, tables, C) seeded with the project's test modules
# and the real modules of erlang-src, and value_encode_fuzz (what zurasn1
# encode runs) seeded with the values of fuzz/value_seeds, printed and
# written by hand. Further arguments name the targets to run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(ber_trace_decoder_fuzz zurtrace_fuzz ber_codec_fuzz per_codec_fuzz)
# libFuzzer's run-time lives in libclang-rt-14-dev; the codec fuzzers compile
# the PKIX and Megaco modules of erlang-src.
if ! command -v clang++ >/dev/null || ! dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1 ||
   ! ls /usr/lib/erlang/lib/public_key-*/asn1/PKIX1Explicit88.asn1 >/dev/null 2>&1; then
  apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang \
    libclang-rt-14-dev erlang-src >/dev/null
fi
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZURBASE_FUZZ=ON -DZURBASE_TESTS=OFF -DZURBASE_TOOLS=OFF >/dev/null
cmake --build $build --target "${targets[@]}" >/dev/null

seeds=$build/seeds
mkdir -p $seeds
printf '\x30\x80\x02\x01\x05\xa1\x80\x05\x00\x00\x00\x00\x00' > $seeds/indefinite
printf '\x7f\x81\x00\x82\x00\x03\x04\x01\xab' > $seeds/long_tag
awk 'BEGIN { for (i = 0; i < 300; i++) printf "0\x80" }' > $seeds/nested
n=0
for c in /usr/share/ca-certificates/mozilla/*.crt; do
  openssl x509 -in "$c" -outform DER -out $seeds/cert$n.der 2>/dev/null || true
  cp "$c" $seeds/cert$n.pem
  n=$((n + 1))
done
tests/data/make_crl.sh $build/crl 20 >/dev/null && cp $build/crl/crl.der $seeds/
megaco=$(ls /usr/lib/erlang/lib/megaco-*/src/binary/MEDIA-GATEWAY-CONTROL-v3.asn)

# Writes Erlang's encodings under RULES of the messages of the file
# MESSAGES (values of MODULE) to the corpus CORPUS as NAME<n>-RULES, each
# after the octets PREFIX (printf escapes) that pick the rules and the PDU.
seed_erlang() {
  local module=$1 messages=$2 name=$3 rules=$4 prefix=$5 corpus=$6 n=0 hex
  grep -v '^%' "$messages" |
    escript tests/support/asn1_encode_term.escript $rules $build/erlang-$rules-$name "$module" |
    tail -n +2 | while read -r hex; do
      case $hex in error*) echo "$(basename "$messages") line $((n + 1)): $hex" >&2; exit 1 ;; esac
      { printf "$prefix"; echo "$hex" | xxd -r -p; } > "$corpus/$name$n-$rules"
      n=$((n + 1))
    done
}
seed_megaco() { seed_erlang "$megaco" fuzz/megaco_messages.txt megaco "$@"; }
seed_linkap() { seed_erlang tests/data/asn1/LinkAP.asn1 fuzz/linkap_messages.txt linkap "$@"; }
mkdir -p $build/artifacts
for target in "${targets[@]}"; do
  corpus=$build/corpus-$target
  options=()
  mkdir -p "$corpus"
  case $target in
    zurtrace_fuzz)
      # zurtrace_fuzz reads its options from the first octet: values with the
      # depth limits 64 and 100000.
      for seed in $seeds/*; do
        { printf '\x01'; cat "$seed"; } > "$corpus/$(basename "$seed")"
        { printf '\x05'; cat "$seed"; } > "$corpus/deep-$(basename "$seed")"
      done
      ;;
    ber_codec_fuzz)
      # The first two octets pick the rules (bit 0: DER) and the PDU (the
      # rest, low bits first: 0 Certificate, 1 CertificateList, 2
      # Everything, 3 MegacoMessage, 4 LinkPDU, then every other).
      for seed in $seeds/cert*.der; do
        { printf '\x00\x00'; cat "$seed"; } > "$corpus/ber-$(basename "$seed")"
        { printf '\x01\x00'; cat "$seed"; } > "$corpus/der-$(basename "$seed")"
      done
      { printf '\x03\x00'; cat $seeds/crl.der; } > "$corpus/crl.der"
      seed_megaco ber '\x06\x00' "$corpus"
      seed_megaco der '\x07\x00' "$corpus"
      n=0
      grep -v '^%' fuzz/linkap_ber.txt | while read -r hex; do
        { printf '\x08\x00'; echo "$hex" | xxd -r -p; } > "$corpus/linkap$n-ber"
        { printf '\x09\x00'; echo "$hex" | xxd -r -p; } > "$corpus/linkap$n-der"
        n=$((n + 1))
      done
      ;;
    per_codec_fuzz)
      # The first two octets pick the variant (bit 0: ALIGNED) and the PDU
      # (the rest, low bits first: 0 and 1 the unconstrained and constrained
      # PersonnelRecord, 3 MegacoMessage, 4 LinkPDU).
      record="PersonnelRecord {'PersonnelRecord',{'Name',\"John\",\"P\",\"Smith\"},\"Director\",51,\"19710917\",{'Name',\"Mary\",\"T\",\"Smith\"},[{'ChildInformation',{'Name',\"Ralph\",\"T\",\"Smith\"},\"19571111\"},{'ChildInformation',{'Name',\"Susan\",\"B\",\"Jones\"},\"19590717\"}]}"
      pdu=0
      for module in unconstrained constrained; do
        for rules in uper per; do
          hex=$(echo "$record" | escript tests/support/asn1_encode_term.escript $rules \
                  $build/erlang-$rules-$module tests/data/asn1/personnel_$module.asn1 | tail -1)
          bit=0
          [ $rules = per ] && bit=1
          { printf "\\x$(printf %02x $((pdu * 2 + bit)))\\x00"; echo "$hex" | xxd -r -p; } > "$corpus/$module-$rules"
        done
        pdu=$((pdu + 1))
      done
      seed_megaco uper '\x06\x00' "$corpus"
      seed_megaco per '\x07\x00' "$corpus"
      seed_linkap uper '\x08\x00' "$corpus"
      seed_linkap per '\x09\x00' "$corpus"
      ;;
    module_reader_fuzz | module_compile_fuzz)
      options=(-max_len=65536)
      cp tests/data/asn1/*.asn1 tests/compiler/data/*.asn1 "$corpus/"
      for m in /usr/lib/erlang/lib/*/asn1/*.asn1; do
        [ -f "$m" ] && cp "$m" "$corpus/"
      done
      ;;
    value_encode_fuzz)
      # The first octet picks the PDU (bits 1 to 7: 0 Everything, 1 Wide), as
      # the file's name says.
      for seed in fuzz/value_seeds/*.txt; do
        case $(basename "$seed") in Wide-*) pdu='\x02' ;; *) pdu='\x00' ;; esac
        { printf "$pdu"; cat "$seed"; } > "$corpus/$(basename "$seed")"
      done
      ;;
    *)
      cp $seeds/* "$corpus/"
      ;;
  esac
  echo "== $target: $seconds s"
  $build/bin/$target "$corpus" -max_total_time="$seconds" "${options[@]}" -print_final_stats=1 \
    -artifact_prefix=$build/artifacts/$target-
done
