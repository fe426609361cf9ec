#!/usr/bin/env bash
# The install into a temporary prefix: every file in place, the launcher and the file types valid,
# the installed programs running, the command-line tool free of widgets. With --deb, the Debian
# package built by cpack from the same tree.
set -euo pipefail
build=$1
mode=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

expected=(
  bin/sonodesk bin/sonodesk-cli bin/sonodesk-meter-sim
  share/sonodesk/NX410Help.htm
  share/applications/sonodesk.desktop
  share/mime/packages/sonodesk.xml
  share/icons/hicolor/scalable/apps/sonodesk.svg
  share/icons/hicolor/16x16/apps/sonodesk.png
  share/icons/hicolor/48x48/apps/sonodesk.png
  share/icons/hicolor/256x256/apps/sonodesk.png
  share/man/man1/sonodesk.1 share/man/man1/sonodesk-cli.1 share/man/man1/sonodesk-meter-sim.1
)

if [ "$mode" = "--deb" ]; then
  (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >/dev/null) \
    || fail "cpack -G DEB"
  deb=$(ls "$work"/out/*.deb) || fail "no package made"
  listing=$(dpkg-deb -c "$deb")
  for f in "${expected[@]}"; do
    grep -q "\./usr/$f\$" <<<"$listing" || fail "the package lacks /usr/$f"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  grep -q libqt6serialport6 <<<"$depends" || fail "Depends lacks the serial port library: $depends"
  echo "package $(basename "$deb") with ${#expected[@]} files checked; Depends: $depends"
  exit 0
fi

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install"
for f in "${expected[@]}"; do
  [ -s "$prefix/$f" ] || fail "$f was not installed"
done
desktop-file-validate "$prefix/share/applications/sonodesk.desktop" || fail "desktop-file-validate"
grep -q '^Exec=sonodesk %F$' "$prefix/share/applications/sonodesk.desktop" || fail "Exec line"
xmllint --noout "$prefix/share/mime/packages/sonodesk.xml" "$prefix/share/icons/hicolor/scalable/apps/sonodesk.svg"
update-mime-database "$prefix/share/mime" 2>/dev/null || fail "update-mime-database"
for t in graph collection capture; do
  [ -f "$prefix/share/mime/application/x-sonodesk-$t.xml" ] || fail "MIME type x-sonodesk-$t"
done
for t in graph collection capture; do
  grep -q "application/x-sonodesk-$t;" "$prefix/share/applications/sonodesk.desktop" \
    || fail "the launcher does not open x-sonodesk-$t"
done
"$prefix/bin/sonodesk-cli" --version | grep -q '^sonodesk-cli ' || fail "sonodesk-cli --version"
QT_QPA_PLATFORM=offscreen "$prefix/bin/sonodesk" --help | grep -q -- '--demo' || fail "sonodesk --help"
"$prefix/bin/sonodesk-meter-sim" --help | grep -q -- '--demo-data' || fail "sonodesk-meter-sim --help"
if ldd "$prefix/bin/sonodesk-cli" | grep -q -E 'Qt6(Widgets|Gui)'; then
  fail "sonodesk-cli links widgets"
fi
for page in sonodesk sonodesk-cli sonodesk-meter-sim; do
  man -l "$prefix/share/man/man1/$page.1" >/dev/null 2>&1 || fail "man page $page"
done
echo "installed into $prefix: ${#expected[@]} files checked"
