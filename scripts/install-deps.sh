#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages wavPress needs to build, test and benchmark; does nothing
# when they are all present already. Run as root on Debian 12.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libogg-dev libvorbis-dev libmp3lame-dev libtag1-dev zlib1g-dev libsoxr-dev libebur128-dev
  libgtest-dev libmpg123-dev vorbis-tools eyed3
  clang libclang-rt-14-dev
  lame mpg123 sox time python3
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins qt6-translations-l10n fonts-ipafont-gothic xvfb xauth
  dbus-daemon
  dpkg-dev file desktop-file-utils appstream
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]} > 0)); then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
