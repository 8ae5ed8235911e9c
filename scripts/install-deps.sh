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

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
# The 32-bit Wine beside the 64-bit one (Debian's i386 multiarch): the i686
# programs are tested in WoW64 prefixes, which Wine makes once both
# loaders are installed.
wine32=(wine32:i386 libwine:i386 libwine:amd64 wine64)
for p in "${wine32[@]}"; do
  if ! installed "$p"; then
    missing+=("${wine32[@]}")
    break
  fi
done

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

# The newest version of a package that both architectures' archives offer.
common_version() {
  local arch
  for arch in amd64 i386; do
    apt-cache madison "$1:$arch" | awk -F'|' '$3 ~ / Packages/ { gsub(/ /, "", $2); print $2 }' | sort -u
  done | sort | uniq -d | sort -V | tail -n 1
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # A mirror half-way through a sync may fail one index (seen: the security
  # archive's i386 index); apt goes on without it, and so does this script:
  # what cannot be installed then fails below.
  $SUDO apt-get update -qq || echo "install-deps: some package indexes could not be fetched; going on without them"
  # Every library both architectures need must be of one version in both.
  # The release's own archive has each in both; a security update may come
  # for one architecture first. So the release's versions are preferred
  # (-t), and the libraries that Wine needs in both architectures and that
  # may be installed already at a version without its twin are pinned to
  # the newest version both have (which may go back one update).
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  pins=()
  for lib in libgstreamer-plugins-base1.0-0; do
    version=$(common_version "$lib")
    [ -n "$version" ] && pins+=("$lib:amd64=$version" "$lib:i386=$version")
  done
  $SUDO apt-get install -y -qq --no-install-recommends --allow-downgrades -t "$codename" "${missing[@]}" "${pins[@]}" \
    >/dev/null
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
