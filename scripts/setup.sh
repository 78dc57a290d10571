#!/usr/bin/env bash
# Installs the Debian packages that building and testing Quillon need, when
# any of them is missing. Safe to run again; does nothing once all are there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libcurl4-openssl-dev libssl-dev fonts-nanum curl
    dovecot-core dovecot-pop3d python3-aiosmtpd
    libavahi-client-dev avahi-daemon avahi-utils dbus-daemon
    libreoffice-core libreoffice-writer libreoffice-calc libreoffice-impress poppler-utils python3-uno
    clang libclang-rt-14-dev
    desktop-file-utils appstream man-db gzip dpkg-dev mmdebstrap
)
# Extra packages a caller may need (benchmarks): scripts/setup.sh nginx-light lighttpd
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo_cmd apt-get update -qq
    $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
