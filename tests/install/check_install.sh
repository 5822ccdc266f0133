#!/usr/bin/env bash
# Installs the built programs into a scratch folder as the package does (prefix /usr, stripped),
# checks that every file is in place, and runs the installed programs.
#   check_install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build=$(realpath "${1:?usage: $0 BUILD_DIR SOURCE_DIR}")
source=$(realpath "${2:?usage: $0 BUILD_DIR SOURCE_DIR}")
stage=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-install.XXXXXX")
trap 'rm -rf "$stage"' EXIT
stage=$(realpath "$stage")
prefix=$stage/usr
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Runs a program with no display at all: it must not need one.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 20 "$@"; }
# Runs a program on Qt's offscreen platform, with a settings folder of its own.
offscreen() { env XDG_CONFIG_HOME="$stage/config" QT_QPA_PLATFORM=offscreen timeout 20 "$@"; }

DESTDIR=$stage cmake --install "$build" --prefix /usr --strip >"$stage/install.log" || {
  cat "$stage/install.log" >&2
  fail "cmake --install failed"
}

# Every file a user, the desktop and the package rely on.
for file in bin/kestrix bin/kestrix-receiver-sim bin/kestrix-monitor \
            share/kestrix/grafana/kestrix-dashboard.json \
            share/man/man1/kestrix-monitor.1.gz \
            share/applications/kestrix.desktop \
            share/icons/hicolor/scalable/apps/kestrix.svg \
            share/icons/hicolor/48x48/apps/kestrix.png share/icons/hicolor/256x256/apps/kestrix.png \
            share/man/man1/kestrix.1.gz share/man/man1/kestrix-receiver-sim.1.gz \
            share/doc/kestrix/copyright share/doc/kestrix/changelog.gz; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
while IFS= read -r page; do
  cmp -s "$source/docs/help/$page" "$prefix/share/kestrix/help/$page" || fail "the manual's $page is not installed"
done < <(cd "$source/docs/help" && find . -type f -printf '%P\n')
for program in kestrix kestrix-receiver-sim kestrix-monitor; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not executable"
  gzip -t "$prefix/share/man/man1/$program.1.gz" || fail "the manual page of $program is not a gzip file"
done

# --version and --help print and end without a display.
version=$(sed -n 's/^#define KESTRIX_VERSION "\(.*\)"$/\1/p' "$build/generated/kestrix_version.h")
[ -n "$version" ] || fail "no version in $build/generated/kestrix_version.h"
out=$(headless "$prefix/bin/kestrix" --version) || fail "kestrix --version failed"
[ "$out" = "kestrix $version" ] || fail "kestrix --version printed '$out'"
out=$(headless "$prefix/bin/kestrix" --help) || fail "kestrix --help failed"
[[ $out == "usage: kestrix "* ]] || fail "kestrix --help printed '$out'"
out=$(headless "$prefix/bin/kestrix-receiver-sim" --version) || fail "kestrix-receiver-sim --version failed"
[ "$out" = "kestrix-receiver-sim $version" ] || fail "kestrix-receiver-sim --version printed '$out'"
out=$(headless "$prefix/bin/kestrix-receiver-sim" --help) || fail "kestrix-receiver-sim --help failed"
[[ $out == "usage: kestrix-receiver-sim "* ]] || fail "kestrix-receiver-sim --help printed '$out'"
out=$(headless "$prefix/bin/kestrix-monitor" --version) || fail "kestrix-monitor --version failed"
[ "$out" = "kestrix-monitor $version" ] || fail "kestrix-monitor --version printed '$out'"
out=$(headless "$prefix/bin/kestrix-monitor" --help) || fail "kestrix-monitor --help failed"
[[ $out == "usage: kestrix-monitor "* ]] || fail "kestrix-monitor --help printed '$out'"
headless "$prefix/bin/kestrix-monitor" --check --config "$prefix/share/doc/kestrix/examples/monitor.ini" >/dev/null ||
  fail "the example monitor.ini does not pass --check"
grep -q "^ExecStart=/usr/bin/kestrix-monitor " "$stage/lib/systemd/system/kestrix-monitor.service" ||
  fail "the service does not start the installed kestrix-monitor"
# The unit as systemd itself reads it, in a root of its own with the host's targets and slices
# beside it: a key it would ignore fails here, and so does hardening that slips (systemd's own
# exposure rating, 0 to 10; the unit rates 1.9 today).
unit_root=$stage/unit-root
mkdir -p "$unit_root/usr/bin" "$unit_root/lib/systemd/system"
cp "$prefix/bin/kestrix-monitor" "$unit_root/usr/bin/"
cp "$stage/lib/systemd/system/kestrix-monitor.service" /lib/systemd/system/*.target /lib/systemd/system/*.slice \
  "$unit_root/lib/systemd/system/"
systemd-analyze verify --man=no --root="$unit_root" kestrix-monitor.service >"$stage/verify" 2>&1 ||
  fail "systemd-analyze verify refused the service: $(cat "$stage/verify")"
[ ! -s "$stage/verify" ] || fail "systemd-analyze verify found fault with the service: $(cat "$stage/verify")"
systemd-analyze security --offline=yes --root="$unit_root" --threshold=30 kestrix-monitor.service \
  >"$stage/exposure" 2>&1 || fail "the service is exposed above 3.0: $(tail -n 1 "$stage/exposure")"

# An argument the program does not know is refused, not ignored.
status=0
offscreen "$prefix/bin/kestrix" --no-such-option >/dev/null 2>"$stage/refused" || status=$?
[ "$status" -eq 2 ] || fail "kestrix --no-such-option ended with status $status"
grep -q -- "--no-such-option" "$stage/refused" || fail "kestrix did not name the refused argument"
# Refused as well with no display at all, before the window system would give up.
status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$prefix/bin/kestrix" --bogus >/dev/null \
  2>"$stage/refused" || status=$?
[ "$status" -eq 2 ] || fail "kestrix --bogus without a display ended with status $status"
grep -q "^usage: kestrix " "$stage/refused" || fail "kestrix --bogus without a display printed no usage"

# Started from another folder, the installed program finds the installed manual; asked on its
# own, it says so without a display, and after a window-system option as well.
out=$(cd / && headless "$prefix/bin/kestrix" --print-help-path) || fail "the installed kestrix found no manual"
[ "$out" = "$prefix/share/kestrix/help/kestrix.html" ] || fail "the installed kestrix reads the manual at '$out'"
out=$(cd / && offscreen "$prefix/bin/kestrix" -platform offscreen --print-help-path) ||
  fail "kestrix -platform offscreen --print-help-path failed"
[ "$out" = "$prefix/share/kestrix/help/kestrix.html" ] || fail "after -platform, kestrix reads the manual at '$out'"

# A lone copy of the program finds no manual, and says where it looked.
mkdir -p "$stage/lone/bin"
cp "$prefix/bin/kestrix" "$stage/lone/bin/"
status=0
offscreen "$stage/lone/bin/kestrix" --print-help-path >"$stage/lone.out" 2>"$stage/lone.err" || status=$?
[ "$status" -eq 1 ] || fail "a lone kestrix --print-help-path ended with status $status"
grep -qF "$stage/lone/share/kestrix/help/kestrix.html" "$stage/lone.err" || fail "a lone kestrix did not say where it looked"

# Run from its build folder, the program reads the manual in the source tree.
out=$(cd / && offscreen "$build/kestrix" --print-help-path) || fail "kestrix in its build folder found no manual"
[ "$(realpath "$out")" = "$source/docs/help/kestrix.html" ] || fail "kestrix in its build folder reads '$out'"

# No path of the source tree is compiled into a release build.
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
if [ "$build_type" != "Debug" ]; then
  for program in kestrix kestrix-receiver-sim kestrix-monitor; do
    if grep -qF "$source" "$prefix/bin/$program"; then
      fail "bin/$program holds the source path: $(strings "$prefix/bin/$program" | grep -F "$source" | head -3)"
    fi
  done
fi

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/kestrix.desktop" || fail "desktop-file-validate found errors"
else
  echo "desktop-file-validate is not installed: the desktop entry was not validated"
fi
echo "installed tree complete under $prefix"
