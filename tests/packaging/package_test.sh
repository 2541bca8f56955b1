#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it: what it holds,
# the dependencies dpkg-shlibdeps found plus the Qt plugins, the maintainer
# scripts, and lintian without errors.
# Usage: package_test.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || fail "$(cat "$out/cpack.log")"
deb=$(ls "$out"/*.deb)

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }')
for file in ./usr/bin/rfid-setup ./usr/lib/rfid-setup/libreaderhid.so \
  ./usr/lib/rfid-setup/sim/libreaderhid.so ./usr/lib/rfid-setup/sim/reader-sim-serial \
  ./usr/lib/udev/rules.d/70-rfid-setup.rules \
  ./usr/share/applications/rfid-setup.desktop ./usr/share/icons/hicolor/scalable/apps/rfid-setup.svg \
  ./usr/share/man/man1/rfid-setup.1.gz ./usr/share/doc/rfid-setup/copyright \
  ./usr/share/rfid-setup/translations/rfid-setup-core_en.qm \
  ./usr/share/rfid-setup/translations/rfid-setup_en.qm; do
  grep -qx -- "$file" <<<"$files" || fail "package lacks $file"
done

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6svg6 qt6-qpa-plugins libqt6widgets6 libhidapi-hidraw0; do
  grep -q "\b$package\b" <<<"$depends" || fail "Depends lacks $package: $depends"
done
dpkg-deb -I "$deb" postinst | grep -q 'udevadm control --reload-rules' || fail "postinst"

lintian --fail-on error "$deb" 2>/dev/null || fail "lintian errors"
echo "package ok"
