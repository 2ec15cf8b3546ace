#!/usr/bin/env bash
# Writes PNG screenshots of the main window with a simulated fleet listed, the General
# page with a camera selected and the login dialog, one of each per UI language, under
# Xvfb (offscreen when xvfb-run is missing), and prints their folder.
#
#   bash scripts/screenshots.sh [build-dir] [out-dir]     (default build/dev, a new /tmp folder)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
out=${2:-$(mktemp -d /tmp/zarvon-screenshots.XXXXXX)}
bin=$build/tests/gui/app/zarvon_screenshots
[[ -x $bin ]] || cmake --build "$build" --target zarvon_screenshots
# The Smart Upgrade page and the manual upgrade dialog, into the same folder.
upbin=$build/tests/gui/upgrade/zarvon_screenshots_upgrade
[[ -x $upbin ]] || cmake --build "$build" --target zarvon_screenshots_upgrade

if command -v xvfb-run >/dev/null; then
  exec unshare -n env BIN="$bin" UPBIN="$upbin" OUT="$out" sh -c \
    'ip link set lo up; export QT_QPA_PLATFORM=xcb
     xvfb-run -a -s "-screen 0 1280x1024x24" "$UPBIN" "$OUT" >/dev/null &&
     xvfb-run -a -s "-screen 0 1280x1024x24" "$BIN" "$OUT"'
fi
exec unshare -n env BIN="$bin" UPBIN="$upbin" OUT="$out" sh -c \
  'ip link set lo up; export QT_QPA_PLATFORM=offscreen; "$UPBIN" "$OUT" >/dev/null && "$BIN" "$OUT"'
