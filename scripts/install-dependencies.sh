#!/usr/bin/env bash
# Installs what building the driver needs; with --tests, also what the tests need.
# Debian packages only; run as root (or with sudo available).
set -euo pipefail

packages=(cmake ninja-build g++)
if [[ "${1:-}" == "--tests" ]]; then
  # googletest and gmock for the tests, GMP for exact reference arithmetic, util-linux for
  # setpriv (runs the hardware programs without port privilege), locales for a French locale.
  packages+=(libgtest-dev libgmock-dev libgmp-dev util-linux locales)
  # The Windows programs: mingw-w64 cross compilers, and Wine (64-bit only) to run them.
  packages+=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine64)
  # An emulated PC with parallel ports for the hardware programs.
  packages+=(qemu-system-x86 busybox-static cpio libcap2-bin)
  # Fuzzing with libFuzzer.
  packages+=(clang libclang-rt-14-dev)
fi

sudo_if_needed() { if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi; }

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if (( ${#missing[@]} > 0 )); then
  sudo_if_needed apt-get update -qq
  DEBIAN_FRONTEND=noninteractive sudo_if_needed apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [[ "${1:-}" == "--tests" ]] && ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  sudo_if_needed localedef -i fr_FR -f UTF-8 fr_FR.UTF-8
fi
