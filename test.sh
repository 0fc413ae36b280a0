#!/usr/bin/env bash
# Installs what the tests need, builds Orlavo and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

export ORLAVO_WERROR=${ORLAVO_WERROR:-ON}
jobs=$(nproc)

cmake --preset dev >/dev/null
cmake --build --preset dev -j"$jobs"

source scripts/test-services.sh
orlavo_start_pulseaudio
orlavo_start_display

ctest --test-dir build/dev --output-on-failure -j"$jobs"
