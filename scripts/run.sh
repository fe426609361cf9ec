#!/usr/bin/env bash
# Installs what is missing, builds, and starts SonoDesk: on the meter when one is attached
# (a USB serial adapter), else on the built-in simulated meter. Extra arguments go to SonoDesk.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
args=("$@")
if ! ls /dev/ttyUSB* /dev/ttyACM* >/dev/null 2>&1; then args=(--demo "${args[@]}"); fi
exec build/sonodesk "${args[@]}"
