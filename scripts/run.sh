#!/usr/bin/env bash
# Installs, builds and starts Kelvane. Without a Config.dat it starts on the built-in
# simulated supply "SIM"; the Config button picks a real serial port.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ ! -f build/Config.dat ]; then
    build/data/kelvane-mkconfig build/Config.dat SIM
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Kelvane under Xvfb (screenshots with: import -display \$DISPLAY -window root shot.png)" >&2
    exec xvfb-run -a -s "-screen 0 1920x1080x24" build/kelvane
fi
exec build/kelvane
