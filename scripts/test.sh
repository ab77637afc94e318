#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Exit status is ctest's.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
orb_install_deps
orb_build build
cd build
ctest --output-on-failure -j2
