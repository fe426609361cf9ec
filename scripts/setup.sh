#!/usr/bin/env bash
# Installs the Debian 12 packages SonoDesk needs to build, run and test; skips what is there.
set -euo pipefail
packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libqcustomplot-dev
          libqcustomplot2.1-qt6 libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth
          clang libclang-rt-14-dev poppler-utils desktop-file-utils dpkg-dev libxml2-utils
          shared-mime-info man-db)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
