#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing TESK need, when any is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ make pkg-config
  # tests and benchmarks
  libgtest-dev libbenchmark-dev
  # GUI
  qt6-base-dev qt6-svg-dev libgl-dev
  # reference tools for the oracle tests and the R plots
  r-base-core r-cran-vegan r-cran-ade4 r-cran-ape r-cran-phangorn
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "Please install as root: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
