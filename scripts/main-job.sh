#!/bin/sh
# The main job until the IDE exists: run the console tools on the bundled samples.
set -eu
BUILD="$1"
BIN="$BUILD/bin"
OUT="$BUILD/samples"
mkdir -p "$OUT"
HERE="$(cd "$(dirname "$0")/.." && pwd)"
if [ -x "$BIN/wendrix" ]; then
    # Absolute paths, so that a build folder given relative or absolute both work.
    WENDRIX="$(cd "$BIN" && pwd)/wendrix"
    SAMPLE_DIR="$(cd "$OUT" && pwd)/sample.dir"
    (cd "$HERE/samples" && "$WENDRIX" -in dir/index.lst -out "$SAMPLE_DIR" -v)
fi
if [ -x "$BIN/tavrel" ]; then
    "$BIN/tavrel" "$HERE/samples/grob/sample.grob" "$OUT/sample.cgrob"
fi
