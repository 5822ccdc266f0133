#!/usr/bin/env bash
# Builds the Debian package into a scratch folder, checks its control fields and contents, and
# runs lintian on it when lintian is installed.
#   check_package.sh BUILD_DIR
set -euo pipefail

build=$(realpath "${1:?usage: $0 BUILD_DIR}")
out=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-package.XXXXXX")
trap 'rm -rf "$out"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1 || {
  cat "$out/cpack.log" >&2
  fail "cpack failed"
}
debs=("$out"/kestrix_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no kestrix_*.deb"
deb=${debs[0]}
echo "package: $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Architecture Section Maintainer Depends

depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
[ -n "$(dpkg-deb --field "$deb" Maintainer)" ] || fail "no maintainer"
[ -n "$(dpkg-deb --field "$deb" Section)" ] || fail "no section"
# Read whole before matching: grep -q ending the pipe early would fail it under pipefail.
description=$(dpkg-deb --field "$deb" Description)
[[ $description == *dialout* ]] || fail "the description says nothing of the dialout group"

contents=$(dpkg-deb --contents "$deb")
for file in usr/bin/kestrix usr/bin/kestrix-receiver-sim usr/share/kestrix/help/kestrix.html \
            usr/bin/kestrix-monitor lib/systemd/system/kestrix-monitor.service \
            usr/share/man/man1/kestrix-monitor.1.gz usr/share/kestrix/grafana/kestrix-dashboard.json \
            usr/share/applications/kestrix.desktop usr/share/icons/hicolor/scalable/apps/kestrix.svg \
            usr/share/man/man1/kestrix.1.gz usr/share/man/man1/kestrix-receiver-sim.1.gz \
            usr/share/doc/kestrix/copyright; do
  grep -q " \./$file\$" <<<"$contents" || fail "the package lacks /$file"
done

if command -v lintian >/dev/null; then
  lintian --fail-on error --display-info "$deb" || fail "lintian found errors"
else
  echo "lintian is not installed: the package was not checked by it"
fi
