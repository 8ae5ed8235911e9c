#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the run command need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build make g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64 wixl msitools osslsigncode openssl
  xvfb xserver-xorg-core xserver-xorg-video-dummy xdotool x11-utils x11-apps x11-xserver-utils imagemagick
  locales
  googletest libgtest-dev libbenchmark-dev libjpeg62-turbo-dev nasm dpkg-dev
  python3 python3-pil python3-xlib
  fonts-ipafont-gothic fonts-liberation
)
# Real photos (a package of wallpapers, 20 to 24 MP, one progressive): the
# tests compare their scaled decoding with the whole picture, the
# benchmarks and the viewer's measurement run on them.
packages+=(lomiri-wallpapers-20.04)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The Japanese edition is tested under ja_JP.UTF-8, which Wine maps to language 1041.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "install-deps: generating ja_JP.UTF-8"
  if ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  if ! grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'en_US.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
