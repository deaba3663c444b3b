#!/bin/sh
# Installs what is missing, builds and runs every test: first the whole tree with
# g++, then the non-GUI tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer, built with clang together with the fuzz targets,
# which run over their seed corpora as ordinary tests.
set -eu
cd "$(dirname "$0")"
sh scripts/setup.sh
jobs="$(nproc)"

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_GUI=OFF -DVELMORA_SANITIZE=ON \
    -DVELMORA_FUZZ=ON -DVELMORA_BENCH=OFF -DVELMORA_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs")
