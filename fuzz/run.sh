#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan, and fuzzes one for
# SECONDS (default 300): `ber` (default), the BER trace decoder seeded with
# the personnel record, a few certificates and a small CRL; `codec`, the
# BER/DER codec on the PKIX modules and CodecKinds, seeded with the CA
# certificates and a CRL under both rules; or `modules`, the module
# compiler's front end seeded with the project's test modules and, when
# erlang-src is installed, the real modules it ships.
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
  *) echo "fuzz/run.sh: no fuzz target '$which' (ber, codec, modules)" >&2; exit 2 ;;
esac
cmake --build $build --target $target >/dev/null
exec $build/bin/$target $corpus -max_total_time="$seconds" "${options[@]}" -print_final_stats=1 \
  -artifact_prefix=$build/artifacts/
