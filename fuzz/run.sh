#!/usr/bin/env bash
# Builds the fuzz targets with clang, ASan and UBSan, and fuzzes the BER
# trace decoder for SECONDS (default 300), seeded with the personnel record,
# a few certificates and a small CRL.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
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
cmake --build $build --target ber_trace_decoder_fuzz >/dev/null

corpus=$build/corpus
mkdir -p $corpus
printf '\x30\x80\x02\x01\x05\xa1\x80\x05\x00\x00\x00\x00\x00' > $corpus/indefinite
printf '\x7f\x81\x00\x82\x00\x03\x04\x01\xab' > $corpus/long_tag
n=0
for c in /usr/share/ca-certificates/mozilla/*.crt; do
  openssl x509 -in "$c" -outform DER -out $corpus/cert$n.der 2>/dev/null || true
  n=$((n + 1))
  [ $n -ge 5 ] && break
done
tests/data/make_crl.sh $build/crl 20 >/dev/null && cp $build/crl/crl.der $corpus/
mkdir -p $build/artifacts
exec $build/bin/ber_trace_decoder_fuzz $corpus -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix=$build/artifacts/
