#!/usr/bin/env bash
# Installs the Debian packages that building, playing and testing Zarvok need, and only
# those that are missing. Runs as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libxmp-dev libcurl4-openssl-dev
  libcairo2-dev libpango1.0-dev librsvg2-dev libespeak-ng-dev espeak-ng-data
  fonts-bebas-neue fonts-league-spartan fonts-dseg fonts-b612 fonts-dejavu-core
  libcpp-httplib-dev libsqlite3-dev libpq-dev
)
if [ "${ZARVOK_WITH_E2E:-0}" = 1 ]; then
  packages+=(xvfb xauth xdotool openbox imagemagick x11-utils libx11-dev sox)
  # The score server's tests start a scratch PostgreSQL server of their own; the cluster that the
  # package may start on installing is not used.
  packages+=(postgresql)
fi
if [ "${ZARVOK_WITH_PACKAGING:-0}" = 1 ]; then
  # Building the .deb files and checking them, the desktop entry, the metainfo, the manual pages
  # and the systemd unit.
  packages+=(dpkg-dev file lintian appstream desktop-file-utils mandoc systemd)
fi
if [ "${ZARVOK_WITH_SANITIZERS:-0}" = 1 ]; then
  packages+=(clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
