#!/usr/bin/env bash
# Builds libjpeg-turbo for Windows from Debian's source package: a static
# library with its SIMD code, for the program's scaled JPEG decoding.
# Usage: scripts/build/libjpeg-turbo.sh win64|win32
# The source is fetched once into build/third_party/ (adding a deb-src line
# for Debian's main archive when the machine has none); each architecture is
# built once into build/third_party/<tree>/ (include/ and lib/).
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
tree=$1
case $tree in
  win64) triplet=x86_64-w64-mingw32 processor=AMD64 ;;
  win32) triplet=i686-w64-mingw32 processor=i686 ;;
  *) echo "libjpeg-turbo.sh: win64 or win32" >&2; exit 2 ;;
esac
third="$root/build/third_party"
prefix="$third/$tree"
[ -f "$prefix/lib/libjpeg.a" ] && exit 0

version=2.1.5
source_dir="$third/libjpeg-turbo-$version"
if [ ! -f "$source_dir/CMakeLists.txt" ]; then
  mkdir -p "$third"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
  if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "libjpeg-turbo: adding Debian's source archive to apt"
    $SUDO tee /etc/apt/sources.list.d/k3-deb-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    $SUDO apt-get update -qq
  fi
  echo "libjpeg-turbo: fetching Debian's source package"
  (cd "$third" && apt-get source -qq --download-only "libjpeg-turbo=1:$version-2" 2>&1 | grep -v '^W: Download is performed unsandboxed' || true)
  (cd "$third" && rm -rf "libjpeg-turbo-$version" && dpkg-source -q -x libjpeg-turbo_"$version"-2.dsc "libjpeg-turbo-$version")
fi

echo "libjpeg-turbo: building for $tree"
work="$third/build-$tree"
rm -rf "$work"
cmake -S "$source_dir" -B "$work" -G Ninja -Wno-dev \
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=$processor \
  -DCMAKE_C_COMPILER=$triplet-gcc-posix -DCMAKE_RC_COMPILER=$triplet-windres \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JPEG8=OFF \
  -DREQUIRE_SIMD=ON -DWITH_CRT_DLL=ON >/dev/null
cmake --build "$work" --target jpeg-static -j "$(nproc)" >/dev/null
mkdir -p "$prefix/include" "$prefix/lib"
cp "$work/libjpeg.a" "$prefix/lib/"
cp "$source_dir/jpeglib.h" "$source_dir/jmorecfg.h" "$source_dir/jerror.h" "$work/jconfig.h" "$prefix/include/"
rm -rf "$work"
echo "libjpeg-turbo: $prefix"
