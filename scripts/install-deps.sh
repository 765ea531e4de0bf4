#!/usr/bin/env bash
# Installs everything Wren needs to build, run and test, from Debian's packages.
set -euo pipefail

packages=(
    build-essential cmake pkg-config clang-format clang-tidy
    qt6-base-dev qt6-webengine-dev libqt6svg6 libqt6sql6-sqlite libsqlite3-dev sqlite3
    libcurl4-openssl-dev libhunspell-dev hunspell-en-us libmythes-dev mythes-en-us
    libmd4c-dev libmd4c-html0-dev
    googletest libgtest-dev
    xvfb xauth xdotool
    # checks of the installed layout and the Debian package
    desktop-file-utils appstream lintian man-db
    # servers the transfer tests start on 127.0.0.1, and curl for the benchmark
    vsftpd python3-pyftpdlib dante-server microsocks openssh-server openssl curl util-linux
    # the feed tests read the published Atom feeds with a real feed parser, and
    # the whole-site test checks every link of a published site with linkchecker
    python3-feedparser linkchecker
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "All build dependencies are installed."
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
# Installing packages must never start system services on this machine.
if [ ! -e /usr/sbin/policy-rc.d ]; then
    printf '#!/bin/sh\nexit 101\n' | $sudo tee /usr/sbin/policy-rc.d >/dev/null
    $sudo chmod 755 /usr/sbin/policy-rc.d
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
