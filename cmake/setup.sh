#!/usr/bin/env bash
# Installs what building and testing the launcher needs, from Debian packages.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail
[[ ${1:-} != -h && ${1:-} != --help ]] || { sed -n '2,/^set -/{/^set -/d;s/^# \{0,1\}//;p}' "$0"; exit 0; }

packages=(
  cmake make python3 python3-pil
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64
  googletest wixl nsis xorriso genisoimage python3-pycdlib osslsigncode openssl zip unzip
  softhsm2 opensc libengine-pkcs11-openssl p11-kit p11-kit-modules gnutls-bin
  locales fonts-wqy-microhei
  clang-format-14 clang-tidy-14
  wine wine64 wine32:i386
  fonts-wine
  xvfb x11-apps x11-utils imagemagick xdotool
)
# X extensions Wine's display driver uses when present, for the 64-bit and the 32-bit processes
for lib in libxrender1 libxi6 libxrandr2 libxcursor1 libxfixes3 libxinerama1 libxcomposite1; do
  packages+=("$lib:amd64" "$lib:i386")
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}; run 'make setup' as root" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# wine32 (needed to run the i686 launcher) is offered only with the i386 architecture enabled
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
