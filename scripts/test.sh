#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test inside a private network
# namespace with only loopback up, so no datagram can leave the machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec unshare -n sh -c 'ip link set lo up && ctest --preset dev -j "$(nproc)" --timeout 600'
