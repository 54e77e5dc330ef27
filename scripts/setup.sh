#!/usr/bin/env bash
# Installs the Debian packages the project builds and runs with, when any is missing.
# Idempotent and quiet when everything is already there. Needs root (or sudo) for apt-get.
set -euo pipefail

PACKAGES=(
  cmake g++ ninja-build make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-qpa-plugins libgl1-mesa-dev
  libpng-dev libxml2-dev libsqlite3-dev libopencc-dev libopencc-data opencc
  libcurl4-openssl-dev libzip-dev
  fonts-wqy-zenhei
  locales tzdata
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "setup: these packages are missing and sudo is not available: ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
