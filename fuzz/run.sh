#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan, and fuzzes one for
# SECONDS (default 300): `ber` (default), the BER trace decoder seeded with
# the personnel record, a few certificates and a small CRL; `codec`, the
# BER/DER codec on the PKIX modules and CodecKinds, seeded with the CA
# certificates and a CRL under both rules; or `modules`, the module
# compiler's front end seeded with the project's test modules and, when
# erlang-src is installed, the real modules it ships; or `per`, the PER
# codec on the X.691 Annex A records and PerKinds, seeded with the records
# as Erlang's asn1 encodes them under per and uper.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
which=${2:-ber}
# libFuzzer's run-time lives in libclang-rt-14-dev; the codec fuzzer compiles
# the PKIX modules of erlang-src.
if ! command -v clang++ >/dev/null || ! dpkg-query -W libclang-rt-14-dev >/dev/null 2>&1 ||
   ! ls /usr/lib/erlang/lib/public_key-*/asn1/PKIX1Explicit88.asn1 >/dev/null 2>&1; then
  apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang \
    libclang-rt-14-dev erlang-src >/dev/null
fi
build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B $build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZURBASE_FUZZ=ON -DZURBASE_TESTS=OFF >/dev/null

corpus=$build/corpus-$which
options=()
mkdir -p $corpus $build/artifacts
case $which in
  ber)
    target=ber_trace_decoder_fuzz
    printf '\x30\x80\x02\x01\x05\xa1\x80\x05\x00\x00\x00\x00\x00' > $corpus/indefinite
    printf '\x7f\x81\x00\x82\x00\x03\x04\x01\xab' > $corpus/long_tag
    n=0
    for c in /usr/share/ca-certificates/mozilla/*.crt; do
      openssl x509 -in "$c" -outform DER -out $corpus/cert$n.der 2>/dev/null || true
      n=$((n + 1))
      [ $n -ge 5 ] && break
    done
    tests/data/make_crl.sh $build/crl 20 >/dev/null && cp $build/crl/crl.der $corpus/
    ;;
  codec)
    # The first octet picks the rules (bit 0: DER) and the PDU (the rest:
    # 0 Certificate, 1 CertificateList, 2 Everything, then every other).
    target=ber_codec_fuzz
    n=0
    for c in /usr/share/ca-certificates/mozilla/*.crt; do
      openssl x509 -in "$c" -outform DER -out $build/cert.der 2>/dev/null || continue
      { printf '\x00'; cat $build/cert.der; } > $corpus/cert$n.ber
      { printf '\x01'; cat $build/cert.der; } > $corpus/cert$n.der
      n=$((n + 1))
    done
    tests/data/make_crl.sh $build/crl 20 >/dev/null
    { printf '\x03'; cat $build/crl/crl.der; } > $corpus/crl.der
    ;;
  modules)
    target=module_reader_fuzz
    options=(-max_len=65536)
    cp tests/data/asn1/*.asn1 $corpus/
    for m in /usr/lib/erlang/lib/*/asn1/*.asn1; do
      [ -f "$m" ] && cp "$m" $corpus/
    done
    ;;
  per)
    # The first octet picks the variant (bit 0: ALIGNED) and the PDU (the
    # rest; the records' PersonnelRecord types come first).
    target=per_codec_fuzz
    record="PersonnelRecord {'PersonnelRecord',{'Name',\"John\",\"P\",\"Smith\"},\"Director\",51,\"19710917\",{'Name',\"Mary\",\"T\",\"Smith\"},[{'ChildInformation',{'Name',\"Ralph\",\"T\",\"Smith\"},\"19571111\"},{'ChildInformation',{'Name',\"Susan\",\"B\",\"Jones\"},\"19590717\"}]}"
    pdu=0
    for module in unconstrained constrained; do
      for rules in uper per; do
        hex=$(echo "$record" | escript tests/support/asn1_encode_term.escript $rules $build/erlang-$rules-$module \
                tests/data/asn1/personnel_$module.asn1 | tail -1)
        bit=0
        [ $rules = per ] && bit=1
        first=$((pdu * 2 + bit))
        { printf "\\x$(printf %02x $first)"; echo "$hex" | xxd -r -p; } > $corpus/$module-$rules
      done
      pdu=$((pdu + 5))  # the five types of a personnel module
    done
    ;;
  *) echo "fuzz/run.sh: no fuzz target '$which' (ber, codec, modules, per)" >&2; exit 2 ;;
esac
cmake --build $build --target $target >/dev/null
exec $build/bin/$target $corpus -max_total_time="$seconds" "${options[@]}" -print_final_stats=1 \
  -artifact_prefix=$build/artifacts/
