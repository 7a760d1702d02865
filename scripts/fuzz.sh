#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for a bounded time over its seeds in
# tests/fuzz/corpus/<name>/: the lists decoder, the appcast reader and the instance socket's framing.
# ILVEX_FUZZ_SECONDS sets the time of each (default 30); names given as arguments run only those targets.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh >/dev/null
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(lists appcast frames)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DILVEX_FUZZ=ON -DBUILD_TESTING=OFF -DILVEX_BUILD_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j"${ILVEX_JOBS:-2}" --target "${targets[@]/%/_fuzzer}"
# New inputs go to a scratch folder, so the checked-in corpus stays as it is.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
  mkdir "$work/$target"
  echo "fuzzing ${target} for ${ILVEX_FUZZ_SECONDS:-30} s"
  build-fuzz/tests/fuzz/"${target}_fuzzer" -max_total_time="${ILVEX_FUZZ_SECONDS:-30}" -max_len=65536 \
    -print_final_stats=1 "$work/$target" "tests/fuzz/corpus/$target"
done
