#!/usr/bin/env bash
# Installs what Orlavo needs, builds it and opens it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh build
# A newer compiler than ours may warn about more; the person who wants to listen needs the program
# built, so here warnings stay warnings.
cmake --preset release -DORLAVO_WARNINGS_AS_ERRORS=OFF >/dev/null
cmake --build --preset release -j"$(nproc)" --target orlavo
exec ./build/release/orlavo "$@"
