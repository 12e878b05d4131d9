#!/usr/bin/env bash
# The program as a user installs it: builds the Debian package with cpack,
# checks what it holds and that apt would install it here, unpacks it into a
# throwaway root (no container, nothing installed on this machine), then
# starts the installed program under a virtual X server against the
# installed console simulator and checks that it shows its window, finds its
# library and settings and collects; the installed program's --export gives
# the collected data. Also installs with `cmake --install` into a prefix and
# checks the desktop entry names the program there.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
. "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/lib/session.sh"
session_begin
fail() { echo "FAIL: $*" >&2; exit 1; }

# --- The package -------------------------------------------------------------
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.out" 2>&1 \
  || { cat "$work/cpack.out" >&2; fail "cpack"; }
deb=$(ls "$work"/pkg/teskaro-ventaro_*.deb)
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for d in libqt6widgets6 libpng16-16 libstdc++6 qt6-qpa-plugins; do
  grep -q "$d" <<<"$depends" || fail "Depends lacks $d"
done
dpkg-deb -c "$deb" | awk '{print $6}' >"$work/contents"
for f in ./usr/bin/teskaro-ventaro ./usr/bin/vantage-simulator \
  ./usr/lib/teskaro-ventaro/teskaro-ventaro ./usr/lib/teskaro-ventaro/libvantagepro.so \
  ./usr/lib/teskaro-ventaro/tsk_vnt.ini ./usr/lib/teskaro-ventaro/tsk_vnt.ini.example \
  ./usr/lib/teskaro-ventaro/langue.pack ./usr/lib/teskaro-ventaro/vantage-simulator \
  ./usr/share/applications/teskaro-ventaro.desktop \
  ./usr/share/teskaro-ventaro/autostart/teskaro-ventaro.desktop \
  ./usr/share/icons/hicolor/48x48/apps/teskaro-ventaro.png \
  ./usr/share/icons/hicolor/scalable/apps/teskaro-ventaro.svg \
  ./usr/lib/udev/rules.d/70-teskaro-ventaro.rules; do
  grep -qx "$f" "$work/contents" || fail "the package lacks $f"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -qx /usr/lib/teskaro-ventaro/tsk_vnt.ini \
  || fail "the settings are not a conffile"
if command -v apt-get >/dev/null; then
  # What `apt-get install ./package.deb` would do here, without doing it.
  apt-get install -s "$deb" >"$work/apt.out" 2>&1 || { cat "$work/apt.out" >&2; fail "apt-get install -s"; }
  grep -q '^Inst teskaro-ventaro' "$work/apt.out" || { cat "$work/apt.out" >&2; fail "apt would not install it"; }
  echo "apt-get install -s: $(grep -c '^Inst' "$work/apt.out") package(s) to install"
fi

root="$work/root"
dpkg-deb -x "$deb" "$root"
app="$root/usr/lib/teskaro-ventaro"
entry="$root/usr/share/applications/teskaro-ventaro.desktop"
grep -qx 'Exec=/usr/bin/teskaro-ventaro' "$entry" || fail "desktop entry: $(grep Exec "$entry")"
grep -qx 'Exec=/usr/bin/teskaro-ventaro --hidden' "$root/usr/share/teskaro-ventaro/autostart/teskaro-ventaro.desktop" \
  || fail "the autostart entry does not start hidden"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" "$root/usr/share/teskaro-ventaro/autostart/teskaro-ventaro.desktop" \
    || fail "desktop-file-validate"
fi

# --- The installed program against the installed simulator ---------------------
"$root/usr/bin/vantage-simulator" --tcp 127.0.0.1:0 >"$work/sim.out" 2>&1 &
pids+=($!)
wait_for 100 grep -q '^ready' "$work/sim.out" || fail "the installed simulator did not start"
port=$(sed -n 's/^tcp 127.0.0.1://p' "$work/sim.out")
control=$(sed -n 's/^control 127.0.0.1://p' "$work/sim.out")
stats() {
  exec 5<>"/dev/tcp/127.0.0.1/$control"
  printf 'STATS\n' >&5
  local reply
  read -r -t 5 reply <&5 || true
  exec 5>&-
  sed -n 's/.*commands=\([0-9]*\).*/\1/p' <<<"$reply"
}
# The installed settings, pointed at this simulator (the program reads only
# the file beside itself).
sed -i "s/^adresse=.*/adresse=127.0.0.1@$port/; s/^RefreshServices=.*/RefreshServices=1/" \
  "$app/tsk_vnt.ini"

start_xvfb install || fail "no virtual X server answers"
before=$(stats)
# Started as its menu entry says, inside the unpacked root.
command=$(sed -n 's/^Exec=//p' "$entry")
(cd / && exec "$root$command") >"$work/app.out" 2>&1 &
program=$!
pids+=($program)
wait_for 300 sh -c 'xwininfo -name "Teskaro Ventaro v1.0" | grep -q IsViewable' \
  || { cat "$work/app.out" >&2; fail "the installed program showed no window"; }
collected() { [ "$(stats)" -gt $((before + 10)) ]; }
wait_for 300 collected || { cat "$work/app.out" >&2; fail "the installed program did not collect"; }
sleep 2  # a few more cycles
if grep -E "Erreur d'ouverture de la librairie|Impossible de se connecter|Impossible de charger" \
  "$work/app.out" >&2; then
  fail "the installed program did not find its library, settings or console"
fi
kill -TERM "$program"
code=0
wait "$program" || code=$?
[ "$code" -eq 0 ] || fail "SIGTERM: exit code $code"
echo "installed program under Xvfb: window shown, $(( $(stats) - before )) console commands, exit code $code"

# The same installed program, for scripts: the collected data as JSON.
unset DISPLAY
(cd "$work" && timeout 60 "$root/usr/bin/teskaro-ventaro" --export collected.json) >"$work/export.out" 2>&1 \
  || { cat "$work/export.out" >&2; fail "--export"; }
# The outside temperature is a number, the firmware version a text.
grep -A1 '"OutsideTemp": {' "$work/collected.json" | grep -Eq '"value": -?[0-9]+\.[0-9]+,' \
  || fail "no outside temperature in the export"
grep -A1 '"FirmwareVersion": {' "$work/collected.json" | grep -q '"value": "3\.' \
  || fail "no firmware version in the export"
echo "installed program --export: $(grep -c '"value"' "$work/collected.json") values"

# --- cmake --install into a prefix ---------------------------------------------
cmake --install "$build" --prefix "$work/prefix" >"$work/install.out" 2>&1 \
  || { cat "$work/install.out" >&2; fail "cmake --install"; }
grep -qx "Exec=$work/prefix/bin/teskaro-ventaro" "$work/prefix/share/applications/teskaro-ventaro.desktop" \
  || fail "the prefix's desktop entry: $(grep Exec "$work/prefix/share/applications/teskaro-ventaro.desktop")"
"$work/prefix/bin/teskaro-ventaro" --settings | grep -q "Fichier de configuration : $work/prefix/lib/teskaro-ventaro/tsk_vnt.ini" \
  || fail "the prefix's program does not read the settings beside itself"
echo "cmake --install: $(find "$work/prefix" -type f | wc -l) files"
