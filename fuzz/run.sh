#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan, and fuzzes one for
# SECONDS (default 300): `ber` (default), the BER trace decoder seeded with
# the personnel record, a few certificates and a small CRL; `modules`, the
# module compiler's front end seeded with the project's test modules and,
# when erlang-src is installed, the real modules it ships; or `compile`,
# the whole compiler (layout, tables, C) with the same seeds.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
which=${2:-ber}
command -v clang++ >/dev/null || {
  apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang \
    libclang-rt-14-dev >/dev/null
}
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
  modules | compile)
    target=module_reader_fuzz
    [ $which = compile ] && target=module_compile_fuzz
    options=(-max_len=65536)
    cp tests/data/asn1/*.asn1 tests/compiler/data/*.asn1 $corpus/
    for m in /usr/lib/erlang/lib/*/asn1/*.asn1; do
      [ -f "$m" ] && cp "$m" $corpus/
    done
    ;;
  *) echo "fuzz/run.sh: no fuzz target '$which' (ber, modules, compile)" >&2; exit 2 ;;
esac
cmake --build $build --target $target >/dev/null
exec $build/bin/$target $corpus -max_total_time="$seconds" "${options[@]}" -print_final_stats=1 \
  -artifact_prefix=$build/artifacts/
