#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run. Safe to run again.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libisal-dev zlib1g-dev
  qt6-base-dev libgcab-dev cabextract gcab
  xvfb desktop-file-utils
  p7zip-full time
  fonts-dejavu-core
  clang libfuzzer-14-dev libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
# Through env: sudo resets the environment, and a package asking a question would then wait.
APT=($SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600)
"${APT[@]}" update -qq
"${APT[@]}" install -y -qq --no-install-recommends "${missing[@]}"
