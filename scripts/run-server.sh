#!/usr/bin/env bash
# Sets everything up and runs the PC server headless on its defaults.
# The login id and password are asked for on the terminal, or come from
# --id and QUILLON_PASSWORD. Further arguments go to quillon.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh"
"$top/scripts/build.sh" Release "$top/build/release"
exec "$top/build/release/apps/quillon/quillon" --headless --start "$@"
