#!/usr/bin/env bash
# Installs the build into an empty temporary prefix and checks what a user and
# a packager get: the programs, the menu entry, the icons, the AppStream
# metadata and the licence, both validators, and the installed programs
# answering --version and --help without a display, then starting.
#   check-install.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build="$1" app_id="$2" version="$3"

work="$(mktemp -d)"
started=""
cleanup() {
  if [ -n "$started" ]; then kill "$started" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
prefix="$work/prefix"
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log" >&2; fail "install"; }

for f in bin/Vantora bin/VN \
  "share/applications/$app_id.desktop" \
  "share/metainfo/$app_id.metainfo.xml" \
  "share/icons/hicolor/scalable/apps/$app_id.svg" \
  "share/icons/hicolor/256x256/apps/$app_id.png" \
  share/doc/vantora/copyright; do
  [ -s "$prefix/$f" ] || fail "missing $f"
done
[ -x "$prefix/bin/Vantora" ] && [ -x "$prefix/bin/VN" ] || fail "programs not executable"
file -b "$prefix/share/icons/hicolor/256x256/apps/$app_id.png" | grep -q "PNG image data, 256 x 256" || fail "icon is no 256x256 PNG"
grep -q "VANTORA END-USER LICENSE AGREEMENT" "$prefix/share/doc/vantora/copyright" || fail "licence text"
grep -qx "Icon=$app_id" "$prefix/share/applications/$app_id.desktop" || fail "menu entry names another icon"

desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" 2>&1 \
  || { cat "$work/appstream.log" >&2; fail "appstreamcli validate"; }

# No display at all: a program that reached for a window would fail here.
home="$work/home"
mkdir -p "$home"
quiet=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$home" XDG_CONFIG_HOME="$home/.config"
  XDG_DATA_HOME="$home/.local/share" XDG_RUNTIME_DIR="$work")
for program in Vantora VN; do
  out="$("${quiet[@]}" "$prefix/bin/$program" --version)" || fail "$program --version exit status"
  [ "$out" = "$program $version" ] || fail "$program --version printed '$out'"
  out="$("${quiet[@]}" "$prefix/bin/$program" --help)" || fail "$program --help exit status"
  grep -q -- "--version" <<<"$out" || fail "$program --help printed '$out'"
done
[ -z "$(find "$home" -mindepth 1 -print -quit)" ] || fail "--version/--help wrote into the home folder"

# The installed program starts from the prefix and puts its screensaver in place.
"${quiet[@]}" QT_QPA_PLATFORM=offscreen "$prefix/bin/Vantora" >"$work/run.log" 2>&1 &
started=$!
saver="$home/.local/share/Vantora/drive_c/Windows/VN.scr"
# Waits for the file to appear (polled, up to two minutes on a busy machine).
for _ in $(seq 1 1200); do
  [ -x "$saver" ] && break
  kill -0 "$started" 2>/dev/null || { cat "$work/run.log" >&2; fail "Vantora ended at start"; }
  sleep 0.1
done
[ -x "$saver" ] || fail "no screensaver program after the start"
out="$("${quiet[@]}" "$saver" --version)" || fail "VN.scr --version"
[ "$out" = "VN $version" ] || fail "VN.scr --version printed '$out'"
kill -0 "$started" || fail "Vantora did not keep running"
echo "installed and checked in $prefix"
