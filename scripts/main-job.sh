#!/bin/sh
# Velmora's main job: the example projects, from source to calculator objects. With a
# display, Velmora opens the library example (F5 builds it). Without one (a server, CI),
# each example is built with `velmora --build` on fresh settings, and the size and CRC
# of each result are printed. The examples are built from copies under the build
# folder, so the checkout stays as it is.
set -eu
BUILD="$1"
shift
BIN="$(cd "$BUILD/bin" && pwd)"
HERE="$(cd "$(dirname "$0")/.." && pwd)"
WORK="$(cd "$BUILD" && pwd)/examples"
mkdir -p "$WORK"

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    # A copy made earlier is kept, with whatever was changed in it.
    if [ ! -d "$WORK/library" ]; then
        cp -R "$HERE/samples/projects/library" "$WORK/library"
    fi
    if [ "$#" -eq 0 ]; then
        set -- "$WORK/library/Velmo.hpr"
    fi
    exec "$BIN/velmora" "$@"
fi

echo "No display: Velmora's window needs a graphical session (DISPLAY is not set)."
echo "Start it there with:  $BIN/velmora"
echo "or on a virtual display:  xvfb-run -a $BIN/velmora"
echo "Meanwhile, the example projects built without a window, on fresh settings:"
status=0
for example in library directory hello; do
    rm -rf "$WORK/$example"
    cp -R "$HERE/samples/projects/$example" "$WORK/$example"
    project="$(ls "$WORK/$example"/*.hpr)"
    echo
    echo "=== $example: velmora --build $project"
    if XDG_CONFIG_HOME="$WORK/.settings" "$BIN/velmora" --build "$project"; then
        case "$example" in
        library) results="$WORK/$example/Compiled/"*.lib ;;
        directory) results="$WORK/$example/Compiled/"*.dir ;;
        *) results="$WORK/$example/Compiled/"*.gx ;;
        esac
        # shellcheck disable=SC2086 # the pattern is meant to expand here
        "$BIN/objinfo" $results || status=1
    else
        echo "*** $example: the build failed"
        status=1
    fi
done
rm -rf "$WORK/.settings"
exit "$status"
