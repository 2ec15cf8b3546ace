#!/usr/bin/env bash
# Installs what is missing, builds, and runs Zarvon against a simulated camera fleet in a
# private network namespace (the window on a display, else the command-line search).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec bash scripts/run-gui.sh build/dev
