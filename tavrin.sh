#!/usr/bin/env bash
# Installs what Tavrin needs, builds it and starts the desktop program.
#   ./tavrin.sh               start Tavrin
#   ./tavrin.sh cli ARGS...   run tavrin-cli ARGS... instead
#   ./tavrin.sh ARGS...       pass ARGS to tavrin (for example --screenshot main.png)
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh
BUILD=${TAVRIN_BUILD_DIR:-build}
[ -f "$BUILD/build.ninja" ] || cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j"$(nproc)" >/dev/null || cmake --build "$BUILD" -j1

if [ "${1:-}" = "cli" ]; then
  shift
  exec "$BUILD/bin/tavrin-cli" "$@"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  cat >&2 <<MSG
tavrin: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set).
  Without a display you can
    - use the command-line program:   ./tavrin.sh cli --help
    - run the window on a virtual X:  xvfb-run -a ./tavrin.sh
    - take a picture of the window:   QT_QPA_PLATFORM=offscreen ./tavrin.sh --screenshot main.png
MSG
  exit 1
fi
exec "$BUILD/bin/tavrin" "$@"
