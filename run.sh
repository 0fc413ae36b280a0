#!/usr/bin/env bash
# Installs what Orlavo needs, builds it and opens it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" --target orlavo
exec ./build/release/orlavo "$@"
