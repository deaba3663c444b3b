#!/bin/sh
# Velmora's main job: start the IDE from the build. Arguments go to velmora (a project
# or source file to open). Without a display (a server, CI) the window cannot come up:
# the job says so and runs the console tools on the bundled samples instead.
set -eu
BUILD="$1"
shift
BIN="$(cd "$BUILD/bin" && pwd)"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$BIN/velmora" "$@"
fi

echo "No display: Velmora's window needs a graphical session (DISPLAY is not set)."
echo "Start it there with:  $BIN/velmora"
echo "or on a virtual display:  xvfb-run -a $BIN/velmora"
echo "Meanwhile, the console tools on the bundled samples:"
OUT="$(cd "$BUILD" && pwd)/samples"
mkdir -p "$OUT"
HERE="$(cd "$(dirname "$0")/.." && pwd)"
if [ -x "$BIN/wendrix" ]; then
    (cd "$HERE/samples" && "$BIN/wendrix" -in dir/index.lst -out "$OUT/sample.dir" -v)
fi
if [ -x "$BIN/tavrel" ]; then
    "$BIN/tavrel" "$HERE/samples/grob/sample.grob" "$OUT/sample.cgrob"
fi
