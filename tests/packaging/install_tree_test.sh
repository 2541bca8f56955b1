#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and checks what lands there:
# the files, the programs' RUNPATH, that the installed program finds its reader
# libraries, its command line without a display, and the desktop validators.
# The command-line tool (rfid-setup-cli and its man page) may be there or not.
# Usage: install_tree_test.sh BUILD_DIR VERSION SANITIZED(ON/OFF)
set -euo pipefail
build=$1
version=$2
sanitized=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
cd "$prefix"

expected="bin/rfid-setup
lib/rfid-setup/libreaderhid.so
lib/rfid-setup/sim/libreaderhid.so
lib/rfid-setup/sim/reader-sim-serial
lib/udev/rules.d/70-rfid-setup.rules
share/applications/rfid-setup.desktop
share/doc/rfid-setup/changelog.gz
share/doc/rfid-setup/copyright
share/icons/hicolor/scalable/apps/rfid-setup.svg
share/man/man1/rfid-setup.1.gz
share/metainfo/io.github.rfid_setup.RfidSetup.metainfo.xml
share/rfid-setup/translations/rfid-setup-core_en.qm
share/rfid-setup/translations/rfid-setup_en.qm"
actual=$(find . -type f -o -type l | sed 's|^\./||' | grep -v -e '^bin/rfid-setup-cli$' \
  -e '^share/man/man1/rfid-setup-cli\.1\.gz$' | sort)
[ "$actual" = "$expected" ] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$actual") || true)"

# Programs find the private folder; the libraries themselves search nowhere.
for program in bin/*; do
  runpath=$(readelf -d "$program" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
  [ "$runpath" = '$ORIGIN/../lib/rfid-setup' ] || fail "$program RUNPATH is '$runpath'"
done
for library in $(find lib/rfid-setup -name '*.so'); do
  ! readelf -d "$library" | grep -q -e RUNPATH -e RPATH || fail "$library has a search path"
done

# Without a display: --help and --version answer, anything else gets the one-line hint.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u LD_LIBRARY_PATH)
[ "$("${headless[@]}" bin/rfid-setup --version)" = "rfid-setup $version" ] || fail "--version"
"${headless[@]}" bin/rfid-setup --help | grep -q -- '--simulate' || fail "--help lacks --simulate"
if "${headless[@]}" bin/rfid-setup --no-such-option 2>/dev/null; then fail "unknown option accepted"; fi
hint=$("${headless[@]}" bin/rfid-setup 2>&1 || true)
[ "$(wc -l <<<"$hint")" -eq 1 ] && grep -q 'xvfb-run -a scripts/run' <<<"$hint" || fail "hint: $hint"

# The installed program loads the installed library at start: the real one
# through its RUNPATH, the simulated one with --simulate.
loads() {
  local log=$prefix/ld.log
  rm -f "$log"*
  env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen LD_DEBUG=files LD_DEBUG_OUTPUT="$log" \
    bin/rfid-setup "$@" >/dev/null 2>&1 &
  local pid=$! found=1
  for _ in $(seq 600); do
    if cat "$log"* 2>/dev/null | grep -Eq "calling init: $prefix/(bin/\.\./)?$1\$"; then
      found=0
      break
    fi
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  kill $pid 2>/dev/null || true
  wait $pid 2>/dev/null || true
  return $found
}
# (AddressSanitizer intercepts dlopen, so a name is then searched with its
# runtime's RUNPATH instead of the program's.)
if [ "$sanitized" != ON ]; then
  loads lib/rfid-setup/libreaderhid.so || fail "the installed real library is not loaded"
fi
loads lib/rfid-setup/sim/libreaderhid.so --simulate || fail "--simulate does not load the simulated library"

# --simulate also starts the simulated serial port from beside that library,
# and the port ends with the program.
env -u LD_LIBRARY_PATH -u RFID_SERIAL_PORTS QT_QPA_PLATFORM=offscreen bin/rfid-setup --simulate \
  >/dev/null 2>&1 &
pid=$!
child=
for _ in $(seq 300); do
  child=$(pgrep -P $pid | head -n 1 || true)
  [ -n "$child" ] && break
  sleep 0.1
done
started=$(readlink "/proc/${child:-0}/exe" || true)
kill $pid
wait $pid 2>/dev/null || true
[ "$started" = "$prefix/lib/rfid-setup/sim/reader-sim-serial" ] ||
  fail "--simulate does not start the installed reader-sim-serial"
for _ in $(seq 50); do kill -0 $child 2>/dev/null || break; sleep 0.1; done
! kill -0 $child 2>/dev/null || fail "reader-sim-serial outlives the program"

desktop-file-validate share/applications/rfid-setup.desktop
appstreamcli validate --no-net share/metainfo/*.metainfo.xml >/dev/null ||
  fail "$(appstreamcli validate --no-net share/metainfo/*.metainfo.xml)"
grep -q '^Exec=rfid-setup$' share/applications/rfid-setup.desktop || fail "Exec"
grep -q '<launchable type="desktop-id">rfid-setup.desktop</launchable>' share/metainfo/*.xml ||
  fail "metainfo does not launch the desktop entry"
for page in share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
echo "install tree ok"
