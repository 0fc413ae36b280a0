#!/usr/bin/env bash
# Installs what the tests need, checks the formatting, builds Orlavo and runs every test: the unit
# and end-to-end suites, the unit suite again under AddressSanitizer and UndefinedBehaviorSanitizer,
# the threaded tests under ThreadSanitizer, a short fuzzing run over the book decoder, the item
# reader and the index of items, and the
# Debian package with its desktop entry and AppStream metadata checked. Exits non-zero on any
# failure.
#   ORLAVO_FUZZ_SECONDS   how long the fuzzing run lasts (default 60; 0 skips it)
#   ORLAVO_SKIP_ASAN=1    skips the Address/UndefinedBehavior sanitizer build
#   ORLAVO_SKIP_TSAN=1    skips the ThreadSanitizer build
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test

jobs=$(nproc)
fuzz_seconds=${ORLAVO_FUZZ_SECONDS:-60}

step() { printf '\n=== %s\n' "$*"; }

step "Formatting (clang-format)"
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' |
    xargs -0 clang-format --dry-run --Werror

step "Building the dev preset"
cmake --preset dev >/dev/null
cmake --build --preset dev -j"$jobs"

step "The desktop entry, the AppStream metadata and the Debian package"
desktop-file-validate data/io.github.orlavo.Orlavo.desktop
appstreamcli validate --no-net data/io.github.orlavo.Orlavo.metainfo.xml
cmake --preset release >/dev/null
cmake --build --preset release -j"$jobs" --target package
lintian --fail-on error build/release/orlavo_*.deb

# One end-to-end scenario runs under a German locale, where numbers take a decimal comma.
if ! locale -a | grep -qix 'de_DE.utf-\?8'; then
    step "Generating the de_DE.UTF-8 locale"
    as_root=()
    [[ $(id -u) -eq 0 ]] || as_root=(sudo)
    "${as_root[@]}" localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

# Every test that needs a sound server or a display starts its own through tests/session.sh.
step "Unit and end-to-end tests"
ctest --test-dir build/dev --output-on-failure -j"$jobs"

if [[ "${ORLAVO_SKIP_ASAN:-0}" != 1 ]]; then
    step "Unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j"$jobs"
    ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0 \
    UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --test-dir build/asan -L unit --output-on-failure -j"$jobs"
fi

if [[ "${ORLAVO_SKIP_TSAN:-0}" != 1 ]]; then
    # Three threads meet in the voice: the worker, the sound server's loop and speech-dispatcher's
    # event callbacks; the loader adds one. Their tests run again under ThreadSanitizer.
    step "Voice and thread tests under ThreadSanitizer"
    cmake --preset tsan >/dev/null
    cmake --build --preset tsan -j"$jobs"
    TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/sanitizer/tsan.supp \
        ctest --test-dir build/tsan -L 'speech|audio|qt' --output-on-failure -j"$jobs"
fi

if ((fuzz_seconds > 0)); then
    step "Fuzzing the book decoder, the item reader and the items' index for ${fuzz_seconds} s"
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz -j"$jobs"
    corpus=$(mktemp -d /tmp/orlavo-fuzz.XXXXXX)
    cp tests/fuzz/corpus/* "$corpus"/
    ./build/fuzz/book_text_fuzzer -max_total_time="$fuzz_seconds" -max_len=65536 \
        -rss_limit_mb=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
    rm -rf "$corpus"
fi

step "All tests passed"
