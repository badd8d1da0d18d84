#!/bin/sh
# Installs the Debian packages and the Japanese locale that the build, Wine and
# the tests need. Idempotent: quick when everything is already there.
set -eu

PACKAGES="cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
wine wine64 g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
xvfb xdotool x11-utils fonts-ipafont-gothic locales imagemagick liblnk-utils valgrind python3 nsis"

missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ -n "$missing" ]; then
    echo "install-deps: installing$missing"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$'; then
    echo "install-deps: generating ja_JP.UTF-8"
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
        echo "ja_JP.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
