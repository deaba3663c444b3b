#!/bin/sh
# Installs what is missing, builds, and runs Velmora's main job.
set -eu
cd "$(dirname "$0")"
sh scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
exec sh scripts/main-job.sh build "$@"
