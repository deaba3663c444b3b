#!/bin/sh
# The main job until the IDE exists: run the console tools on the bundled samples.
set -eu
BUILD="$1"
BIN="$BUILD/bin"
OUT="$BUILD/samples"
mkdir -p "$OUT"
HERE="$(cd "$(dirname "$0")/.." && pwd)"
if [ -x "$BIN/wendrix" ]; then
    (cd "$HERE/samples" && "$OLDPWD/$BIN/wendrix" -in dir/index.lst -out "$OLDPWD/$OUT/sample.dir" -v)
fi
if [ -x "$BIN/tavrel" ]; then
    "$BIN/tavrel" "$HERE/samples/grob/sample.grob" "$OUT/sample.cgrob"
fi
