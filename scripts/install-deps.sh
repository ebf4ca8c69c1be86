#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing TESK need, when any is missing.
# `install-deps.sh lint` also installs clang-tidy and clang-format (make tidy, git clang-format).
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ make pkg-config
  # tests and benchmarks
  libgtest-dev libbenchmark-dev
  # fuzz harnesses: clang with libFuzzer and the sanitizer runtimes, llvm-symbolizer for their reports
  clang libclang-rt-14-dev llvm
  # GUI
  qt6-base-dev qt6-svg-dev libgl-dev
  # a locale with a decimal comma, to test that number text ignores the user's locale
  locales
  # reference tools for the oracle tests and the R plots
  r-base-core r-cran-vegan r-cran-ade4 r-cran-ape r-cran-phangorn r-cran-adegenet
  # PHYLIP's own programs read the exported distance matrices
  phylip
)
if [ "${1:-}" = lint ]; then
  packages+=(clang-tidy clang-format)
fi

# Generates the decimal-comma locale the number-text tests switch to (once).
ensure_locale() {
  locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$' && return 0
  [ -f /etc/locale.gen ] || return 0
  $sudo sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
}

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 && sudo="sudo"
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ] && [ -z "$sudo" ]; then
    echo "Please install as root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
ensure_locale || echo "Could not generate the de_DE.UTF-8 locale; the locale test will be skipped." >&2
