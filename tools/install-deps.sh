#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# Runs apt-get as root, or through sudo otherwise.
set -euo pipefail

packages=(
  cmake make pkg-config clang libclang-rt-14-dev lld llvm
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libimgui-dev libstb-dev libelf-dev libdw-dev
  nlohmann-json3-dev zlib1g-dev libinih-dev libzip-dev liblz4-dev
  gcc-m68k-linux-gnu binutils-m68k-linux-gnu
  xvfb xdotool evilwm libx11-dev valgrind gdb-multiarch
  retroarch retroarch-dev
  liblua5.4-dev
  dpkg-dev lintian desktop-file-utils appstream groff-base file
  emscripten chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
