#!/usr/bin/env bash
# Installs the Debian 12 packages Tavrin needs to build, test and run.  Idempotent:
# only missing packages are installed, and apt is not touched when nothing is missing.
set -euo pipefail

PACKAGES=(
  # toolchain
  g++ cmake ninja-build pkg-config clang
  # desktop program: widgets, printing, plots
  qt6-base-dev qt6-svg-dev libqcustomplot-dev fonts-liberation
  # command line: JSON output and argument parsing
  nlohmann-json3-dev libcli11-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev ngspice xvfb xauth jq
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#PACKAGES[@]} packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
  else
    echo "install-deps: missing packages (${missing[*]}) and not root; install them as root" >&2
    exit 1
  fi
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
