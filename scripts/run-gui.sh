#!/usr/bin/env bash
# Starts a simulated camera fleet and the Zarvon window together in a private network
# namespace with only loopback up, so no datagram leaves the machine. There the first
# adapter is loopback, so the fleet is listed at once. Without a display (or when the
# window cannot open) it runs the command-line search instead.
#
#   bash scripts/run-gui.sh [build-dir]      (default build/dev; ZARVON_CAMERAS=12)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
count=${ZARVON_CAMERAS:-12}
camsim=$build/tools/camsim/camsim
gui=$build/src/gui/zarvon
cli=$build/src/cli/zarvon-cli

if [[ ! -x $camsim || ! ( -x $gui || -x $cli ) ]]; then
  bash scripts/setup.sh
  bash scripts/build.sh
fi

mode=cli
if [[ -x $gui && -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then mode=gui; fi

# The firmware catalogue is served on 127.0.0.80; a private /etc/hosts in the namespace's
# own mount namespace maps the program's catalogue host name there.
host=$(sed -n 's/^ZARVON_CATALOGUE_HOST:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null)
hosts=$(mktemp)
trap 'rm -f "$hosts"' EXIT
{ cat /etc/hosts; echo "127.0.0.80 ${host:-fw.zarvon.invalid}"; } >"$hosts"

unshare -n -m env HOSTS="$hosts" CAMSIM="$camsim" GUI="$gui" CLI="$cli" COUNT="$count" MODE="$mode" sh -c '
  ip link set lo up
  mount --bind "$HOSTS" /etc/hosts
  "$CAMSIM" --count "$COUNT" --quiet --catalogue 127.0.0.80 &
  fleet=$!
  trap "kill $fleet 2>/dev/null" EXIT
  sleep 0.3
  if [ "$MODE" = gui ]; then
    "$GUI" && exit 0
    echo "run-gui: the window could not run here; searching on the command line instead" >&2
  fi
  "$CLI" search --adapter 0 --seconds 5
'
