#!/usr/bin/env bash
# Installs what Kelvane needs to build, run and test on Debian 12.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
    g++ make cmake pkg-config \
    qt6-base-dev qt6-serialport-dev libqt6sql6-sqlite libqcustomplot-dev libxlsxwriter-dev \
    libgl-dev xvfb xauth imagemagick fonts-dejavu-core fonts-wqy-microhei >/dev/null
