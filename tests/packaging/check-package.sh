#!/usr/bin/env bash
# Builds the Debian package from an already built tree and checks what it holds: the files in their
# places, the control fields, the desktop and AppStream entries, the icon sizes, and that the installed
# program starts with its data in the per-user folder.
# Usage: check-package.sh <build folder> <version> [cpack]
set -euo pipefail
build=$1
version=$2
cpack=${3:-cpack}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
  cat "$work/cpack.log" >&2
  exit 1
}
arch=$(dpkg --print-architecture)
deb="$work/out/tamberlo_${version}_${arch}.deb"
[ -f "$deb" ] || { ls "$work/out" >&2; echo "FAIL: no $deb" >&2; exit 1; }

# Files in place, and nothing outside /usr (tests, benchmarks or the icon painter must not come along).
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for f in /usr/bin/tamberlo /usr/bin/kopira /usr/share/tamberlo/help/index.htm \
  /usr/share/applications/tamberlo.desktop /usr/share/metainfo/io.github.tamberlo.Tamberlo.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/tamberlo.svg; do
  grep -qx "$f" "$work/files" || fail "$f missing from the package"
done
for s in 16 22 24 32 48 64 128 256; do
  grep -qx "/usr/share/icons/hicolor/${s}x${s}/apps/tamberlo.png" "$work/files" || fail "${s}px icon missing"
done
grep -v -e '^/$' -e '^/usr/' "$work/files" && fail "files outside /usr"
[ "$(grep -c '^/usr/bin/.' "$work/files")" -eq 2 ] || fail "bin holds more than the two programs"

# Control fields.
[ "$(dpkg-deb -f "$deb" Package)" = tamberlo ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$arch" ] || fail "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
# One package name a line, without version or alternatives.
tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/ .*//' >"$work/depends"
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 \
  libqt6sql6-sqlite qt6-qpa-plugins fonts-wqy-microhei; do
  grep -qxF "$p" "$work/depends" || fail "Depends lacks $p: $depends"
done

# The unpacked files: the programs stripped, the entries valid, the icons of their stated sizes.
dpkg-deb -x "$deb" "$work/root"
for p in tamberlo kopira; do
  readelf -S "$work/root/usr/bin/$p" | grep -q '\.debug_info' && fail "$p not stripped"
done
desktop-file-validate "$work/root/usr/share/applications/tamberlo.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/io.github.tamberlo.Tamberlo.metainfo.xml" \
  >"$work/appstream.log" 2>&1 || { cat "$work/appstream.log" >&2; fail "AppStream entry"; }
grep -q "<release version=\"$version\"" "$work/root/usr/share/metainfo/io.github.tamberlo.Tamberlo.metainfo.xml" ||
  fail "AppStream release is not $version"
for s in 16 22 24 32 48 64 128 256; do
  png="$work/root/usr/share/icons/hicolor/${s}x${s}/apps/tamberlo.png"
  # The PNG header's width and height, big-endian, at bytes 16..23.
  size=$(od -An -tu1 -j16 -N8 "$png" | awk '{printf "%dx%d", $3*256+$4, $7*256+$8}')
  [ "$size" = "${s}x${s}" ] || fail "icon ${s}px is $size"
done

# The unpacked program starts, finds no database folder beside itself and keeps its data in the
# per-user folder of the (temporary) home.
mkdir -p "$work/home"
out=$(env -u TAMBERLO_HOME -u XDG_DATA_HOME HOME="$work/home" QT_QPA_PLATFORM=offscreen \
  TAMBERLO_PROBE_LOGIN=1 timeout 60 "$work/root/usr/bin/tamberlo" 2>"$work/run.log") || true
[ "$out" = login-shown ] || { cat "$work/run.log" >&2; fail "the installed program did not show its login"; }
[ -f "$work/home/.local/share/tamberlo/database/lomu.mdb" ] || fail "no database in ~/.local/share/tamberlo"
[ ! -e "$work/root/usr/bin/database" ] || fail "a database folder was made beside the installed program"

[ "$failures" -eq 0 ] || exit 1
echo "package $(basename "$deb") checked"
