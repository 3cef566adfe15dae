#!/usr/bin/env bash
# Installs the Debian packages the build needs, and any named on the command line, once; quiet when
# everything is there.
set -euo pipefail
packages=(cmake ninja-build g++ ccache qt6-base-dev libgtest-dev libgmock-dev libbenchmark-dev
          libcli11-dev nlohmann-json3-dev libpng-dev xvfb xauth fonts-dejavu-core dpkg-dev file lintian libgensio-dev ser2net
          man-db groff-base pkg-config mosquitto mosquitto-clients libmosquitto-dev libssl-dev openssl "$@")
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
