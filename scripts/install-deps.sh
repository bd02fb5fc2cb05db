#!/usr/bin/env bash
# Installs every Debian package the player needs to build, run and be tested.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  # disc images are read with the UDF reader that libbluray uses too; libbluray itself says
  # what a protected disc needs
  libudfread-dev libbluray-dev
  # the encoding of each subtitle file is found with uchardet
  libuchardet-dev
  # protected discs: the libraries libbluray loads, and AES for the disc builder's own
  # AACS-protected test discs
  libaacs0 libbdplus0 libgcrypt20-dev
  # the engine, the probe, the fonts the window asks for (Calibri's stand-in and one with
  # Chinese characters) and Qt's own translations
  mplayer ffmpeg fonts-crosextra-carlito fonts-noto-cjk qt6-translations-l10n
  # tests: a headless X server, a private session bus, the reference disc parser,
  # the DVD builder, window inspection and the fuzzer's runtime
  xvfb xauth x11-utils dbus libbluray-bin dvdauthor genisoimage clang
  libclang-rt-14-dev
  imagemagick
  # full screen as on a desktop: a small window manager for the tests that need one
  openbox
  # packaging: the Debian package's library dependencies, the desktop entry and AppStream
  # checks, and a real media-key client for the desktop-controls tests
  dpkg-dev desktop-file-utils appstream playerctl
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}"
fi
