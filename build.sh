#!/usr/bin/env bash
# Installs what is missing from Debian's archive, builds, and then either
# starts the applet (run) or runs every test (test).
#
#   ./build.sh run        build and start Dayvane
#   ./build.sh test       build and run the whole test suite
#   ./build.sh sanitize   the same suite built with ASan and UBSan
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-}
case $mode in
run | test | sanitize) ;;
*)
    echo "usage: $0 run|test|sanitize" >&2
    exit 2
    ;;
esac

build_packages=(cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins libxcb1-dev libfontconfig-dev pkg-config
    fonts-dejavu-core)
test_packages=(xvfb xauth xdotool x11-utils xclip faketime dbus dbus-x11 at-spi2-core
    python3-pyatspi python3-xlib desktop-file-utils appstream binutils-mingw-w64-x86-64
    fonts-wqy-microhei fonts-tlwg-loma-ttf)

packages=("${build_packages[@]}")
[ "$mode" = run ] || packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

preset=default
[ "$mode" = sanitize ] && preset=sanitize
cmake --preset "$preset"
cmake --build --preset "$preset"

if [ "$mode" = run ]; then
    exec ./build/dayvane
fi
ctest --preset "$preset"
