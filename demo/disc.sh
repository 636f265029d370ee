#!/usr/bin/env bash
# The demo product's disc image, made by make-disc from one target's build:
# its installer and splash, the demo publisher's notice and the game's icon
# on the disc's launcher, a label beyond ASCII, and the launcher signed with
# a certificate made here for the demo by a test authority of its own. That
# is a test certificate, which no Windows trusts: it shows what signing
# does, not who the publisher is.
#
#   demo/disc.sh BUILD_DIR OUT.iso [MAKE_DISC]
#
# BUILD_DIR (build/i686 or build/x86_64) holds the demo's installer, splash
# and icon, and the launcher put on the disc; MAKE_DISC, an installed or
# unpacked make-disc, puts its own launcher there instead.
set -euo pipefail
[[ ${1:-} != -h && ${1:-} != --help ]] || { sed -n '2,/^set -/{/^set -/d;s/^# \{0,1\}//;p}' "$0"; exit 0; }

top=$(cd "$(dirname "$0")/.." && pwd)
build=$1 out=$2 make_disc=${3:-$top/tools/make-disc}
launcher=(--launcher "$build/autorun.exe")
[ $# -lt 3 ] || launcher=()
work="$out.work"
rm -rf "$work" && mkdir -p "$work/folder"
cp "$build/demo/setup.exe" "$build/demo/splash.bmp" "$work/folder/"

printf '[req]\ndistinguished_name=dn\n[dn]\n[ca]\nbasicConstraints=critical,CA:true\n[code]\nextendedKeyUsage=codeSigning\n' \
  >"$work/x509.cnf"
request=(openssl req -newkey rsa:2048 -nodes -config "$work/x509.cnf")
"${request[@]}" -x509 -days 3650 -subj "/CN=Talvik Demo Test Authority (trusted by no Windows)" \
  -extensions ca -keyout "$work/ca.key" -out "$work/ca.pem" 2>/dev/null
"${request[@]}" -subj "/CN=Talvik Demo Games (test certificate)" -keyout "$work/publisher.key" \
  -out "$work/publisher.csr" 2>/dev/null
openssl x509 -req -in "$work/publisher.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" -set_serial 1 -days 3650 \
  -extfile "$work/x509.cnf" -extensions code -out "$work/publisher.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/publisher.key" -in "$work/publisher.pem" -passout pass:demo \
  -out "$work/publisher.pfx"

AUTORUN_SIGN_PASSWORD=demo "$make_disc" "$work/folder" "$out" -Atalvik-demo.exe -Isetup.exe \
  '-C(Talvik Demo Disc)' -Ssplash.bmp -PTalvikDemoGame --label "Talvik Démo" \
  --notice "Copyright 2026 Talvik Demo Games" --icon "$build/demo/game.ico" \
  --sign "$work/publisher.pfx" "${launcher[@]}"
rm -rf "$work"
