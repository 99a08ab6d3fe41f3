#!/usr/bin/env bash
# Installs the Debian packages ZELK needs to build, test and run, when missing.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config lld
      qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev libgl-dev
      libgtest-dev libgmock-dev libbenchmark-dev
      binutils-m68hc1x xvfb xauth poppler-utils desktop-file-utils appstream
      clang valgrind)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
fi
