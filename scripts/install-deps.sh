#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Kestrix need, only those missing.
# Non-interactive: CI has no terminal and no standard input.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-liberation ccache srecord poppler-utils
  dpkg-dev file desktop-file-utils lintian systemd
  clang libclang-rt-14-dev clang-tidy clang-format cppcheck
  ser2net prometheus prometheus-cpp-dev
  dbus-daemon dbus-session-bus-common
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q </dev/null
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
