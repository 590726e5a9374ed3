#!/usr/bin/env bash
# Installs the Debian/Ubuntu packages the build, the tests, the screenshots and the
# Debian package need.
# Only packages that are missing are installed, so a prepared machine does no network
# work at all.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev qt6-qpa-plugins libqt6printsupport6 libgl-dev
  qt6-charts-dev qt6-svg-dev libqt6opengl6-dev
  libdeflate-dev libpng-dev zlib1g-dev libcli11-dev libqpdf-dev libsoxr-dev libbiosig-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3-dev pybind11-dev python3-numpy python3-pytest
  fonts-ipafont-gothic fonts-liberation
  xvfb xauth poppler-utils strace
  clang libclang-rt-14-dev
  desktop-file-utils appstream man-db groff-base dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
elif command -v sudo >/dev/null 2>&1; then
  SUDO=(sudo)
else
  echo "install-deps: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
