#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the tests and the program need
# and this machine lacks. Idempotent: with everything present it installs nothing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libcli11-dev libjsoncpp-dev libssl-dev
  iproute2 util-linux xvfb xauth fonts-noto-cjk curl
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
