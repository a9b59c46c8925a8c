#!/usr/bin/env bash
# Installs what is needed, builds everything and runs every test: once in the normal
# build, then the engine again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
JOBS=$(nproc)
export QT_QPA_PLATFORM=offscreen
TAVRIN_HOME=$(mktemp -d)
export TAVRIN_HOME
trap 'rm -rf "$TAVRIN_HOME"' EXIT

echo "== build (RelWithDebInfo)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$JOBS"
echo "== tests"
(cd build && ctest --output-on-failure -j"$JOBS")

echo "== build (engine with address and undefined-behaviour sanitizers)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVRIN_SANITIZE=ON -DTAVRIN_BUILD_UI=OFF >/dev/null
cmake --build build-asan -j"$JOBS"
echo "== tests (sanitized engine)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build-asan && ctest --output-on-failure -j"$JOBS")
