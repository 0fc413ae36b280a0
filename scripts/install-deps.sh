#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages Orlavo needs, only those that are missing.
#   scripts/install-deps.sh build   what building and running the program needs
#   scripts/install-deps.sh test    also what the tests, benchmarks and fuzzing need
set -euo pipefail

build_packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-qpa-plugins libgl-dev libxcb1-dev
    libespeak-ng-dev espeak-ng-data
    libpulse-dev
    libuchardet-dev libcld2-dev libcld2-0
    libspeechd-dev
    libgtest-dev libbenchmark-dev
    dpkg-dev file
)
test_packages=(
    pulseaudio pulseaudio-utils
    xvfb xauth openbox xdotool x11-utils imagemagick
    dbus dbus-x11 at-spi2-core python3 python3-pyatspi gir1.2-atspi-2.0
    sox espeak-ng bible-kjv
    clang libclang-rt-dev clang-format
    locales speech-dispatcher speech-dispatcher-flite speech-dispatcher-espeak-ng
    appstream desktop-file-utils lintian
    playerctl python3-gi gir1.2-glib-2.0
)

wanted=("${build_packages[@]}")
if [[ "${1:-build}" == test ]]; then
    wanted+=("${test_packages[@]}")
fi

missing=()
for package in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
    as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
