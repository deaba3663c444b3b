#!/bin/sh
# Installs the Debian 12 packages that building and testing need, asking apt-get
# only for those that are missing, so that a second run costs a few milliseconds.
set -eu
PACKAGES="cmake make g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev \
qt6-base-dev libgl-dev lrzsz socat xvfb xauth fonts-dejavu-core \
clang-format gkermit ckermit"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
