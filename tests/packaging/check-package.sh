#!/usr/bin/env bash
# Builds the Debian package from an already built tree and checks what it holds: the files in their
# places, the control fields, the licence and changelog, the manual pages, the desktop and AppStream
# entries, the icon sizes, lintian's verdict, the upgrade from 0.1.0, and that the installed program
# starts with its data in the per-user folder.
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
id=io.github.tamberlo.tamberlo
desktop=/usr/share/applications/$id.desktop
metainfo=/usr/share/metainfo/$id.metainfo.xml
for f in /usr/bin/tamberlo /usr/bin/kopira /usr/share/tamberlo/help/index.htm "$desktop" "$metainfo" \
  /usr/share/icons/hicolor/scalable/apps/tamberlo.svg /usr/share/doc/tamberlo/copyright \
  /usr/share/doc/tamberlo/changelog.gz /usr/share/man/man1/tamberlo.1.gz /usr/share/man/man1/kopira.1.gz \
  /usr/share/man/zh_CN/man1/tamberlo.1.gz /usr/share/man/zh_CN/man1/kopira.1.gz; do
  grep -qx "$f" "$work/files" || fail "$f missing from the package"
done
# The names of 0.1.0 are gone: one menu entry, one AppStream entry.
grep -e '/tamberlo\.desktop$' -e 'Tamberlo\.metainfo' "$work/files" && fail "0.1.0's desktop or AppStream name still packaged"
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
for p in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libzip4 libofx7 \
  libqt6sql6-sqlite qt6-qpa-plugins fonts-wqy-microhei; do
  grep -qxF "$p" "$work/depends" || fail "Depends lacks $p: $depends"
done
# Faces for emoji and CJK Extension B in remarks, Qt's Chinese button texts, and fcitx5's Qt 6 front end.
recommends=$(dpkg-deb -f "$deb" Recommends)
for p in fonts-noto-color-emoji fonts-hanazono qt6-translations-l10n fcitx5-frontend-qt6; do
  grep -qw -- "$p" <<<"$recommends" || fail "Recommends lacks $p: $recommends"
done

# The unpacked files: the programs stripped, the entries valid, the icons of their stated sizes.
dpkg-deb -x "$deb" "$work/root"
for p in tamberlo kopira; do
  readelf -S "$work/root/usr/bin/$p" | grep -q '\.debug_info' && fail "$p not stripped"
done
desktop-file-validate "$work/root$desktop" || fail "desktop entry"
# --pedantic also reports the id's capital letters that 0.1.0 had.
appstreamcli validate --no-net --pedantic "$work/root$metainfo" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "AppStream entry"; }
grep -q "<release version=\"$version\"" "$work/root$metainfo" || fail "AppStream release is not $version"
grep -q "<id>$id</id>" "$work/root$metainfo" || fail "AppStream id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$work/root$metainfo" ||
  fail "AppStream entry does not launch $id.desktop"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$work/root$metainfo" || fail "AppStream licence"

# The licence in Debian's machine-readable form, the changelog of this version beside it.
copyright="$work/root/usr/share/doc/tamberlo/copyright"
head -1 "$copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright is not in the machine-readable format"
grep -qx 'License: GPL-3+' "$copyright" || fail "copyright names no GPL-3+"
grep -q '/usr/share/common-licenses/GPL-3' "$copyright" || fail "copyright does not point to the GPL's text"
zcat "$work/root/usr/share/doc/tamberlo/changelog.gz" | head -1 | grep -q "^tamberlo ($version) " ||
  fail "changelog.gz does not start with $version"

# The manual pages render without a groff warning, and man shows the Chinese one under zh_CN (the
# locale is compiled into the work folder; the system need not have it).
for page in man1/tamberlo man1/kopira zh_CN/man1/tamberlo zh_CN/man1/kopira; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done
# Chinese sentences run on without the blank a line end makes in the source.
for page in zh_CN/man1/tamberlo zh_CN/man1/kopira; do
  blanks=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$work/root/usr/share/man/$page.1.gz" 2>/dev/null | grep '[。，；：、！？] ' || true)
  [ -z "$blanks" ] || fail "$page: a blank after a Chinese mark: $blanks"
done
mkdir -p "$work/locale"
if localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" >/dev/null 2>&1; then
  # man looks beside each bin folder on the PATH for share/man and its language folders.
  zh=$(env -u LC_ALL -u LANGUAGE LOCPATH="$work/locale" LANG=zh_CN.UTF-8 PATH="$work/root/usr/bin:$PATH" MANWIDTH=80 \
    man tamberlo 2>&1)
  grep -q '^名称' <<<"$zh" || fail "man tamberlo under zh_CN: $(head -3 <<<"$zh")"
  en=$(env -u LC_ALL -u LANGUAGE LANG=C.UTF-8 PATH="$work/root/usr/bin:$PATH" MANWIDTH=80 man tamberlo 2>&1)
  grep -q '^NAME' <<<"$en" || fail "man tamberlo under C: $(head -3 <<<"$en")"
else
  fail "cannot compile the zh_CN.UTF-8 locale (package locales)"
fi
for s in 16 22 24 32 48 64 128 256; do
  png="$work/root/usr/share/icons/hicolor/${s}x${s}/apps/tamberlo.png"
  # The PNG header's width and height, big-endian, at bytes 16..23.
  size=$(od -An -tu1 -j16 -N8 "$png" | awk '{printf "%dx%d", $3*256+$4, $7*256+$8}')
  [ "$size" = "${s}x${s}" ] || fail "icon ${s}px is $size"
done

# lintian: no error, and every other tag is one overridden with its reason in the package's overrides.
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning --display-info "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian"; }
  cp "$work/lintian.log" "$build/lintian.log"
else
  fail "lintian is not installed (bash scripts/setup)"
fi

# The upgrade from 0.1.0, in a dpkg database of its own: a package with 0.1.0's file names (the menu
# entry tamberlo.desktop, the mixed-case AppStream id) is replaced by this one; afterwards dpkg knows
# only the new names, the old files are gone from the disk and the menu entry starts the program.
old="$work/old"
mkdir -p "$old/DEBIAN" "$old/usr/bin" "$old/usr/share/applications" "$old/usr/share/metainfo"
cp "$work/root/usr/bin/tamberlo" "$work/root/usr/bin/kopira" "$old/usr/bin/"
cp "$work/root$desktop" "$old/usr/share/applications/tamberlo.desktop"
sed "s/$id/io.github.tamberlo.Tamberlo/" "$work/root$metainfo" \
  >"$old/usr/share/metainfo/io.github.tamberlo.Tamberlo.metainfo.xml"
printf 'Package: tamberlo\nVersion: 0.1.0\nArchitecture: %s\nMaintainer: Quorvane <support@quorvane.com>\nDescription: household money keeper\n' \
  "$arch" >"$old/DEBIAN/control"
dpkg-deb --root-owner-group -b "$old" "$work/tamberlo_0.1.0.deb" >/dev/null
sys="$work/sys"
mkdir -p "$sys/var/lib/dpkg/info" "$sys/var/lib/dpkg/updates" "$sys/var/lib/dpkg/triggers"
touch "$sys/var/lib/dpkg/status"
dpkgroot() { dpkg --root="$sys" --force-depends --force-not-root --force-script-chrootless "$@"; }
dpkgroot -i "$work/tamberlo_0.1.0.deb" >"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "installing 0.1.0"; }
dpkgroot -i "$deb" >>"$work/dpkg.log" 2>&1 || { cat "$work/dpkg.log" >&2; fail "upgrading to $version"; }
[ "$(dpkg-query --admindir="$sys/var/lib/dpkg" -W -f='${Version} ${Status}' tamberlo)" = "$version install ok installed" ] ||
  fail "after the upgrade: $(dpkg-query --admindir="$sys/var/lib/dpkg" -W tamberlo)"
for gone in /usr/share/applications/tamberlo.desktop /usr/share/metainfo/io.github.tamberlo.Tamberlo.metainfo.xml; do
  [ ! -e "$sys$gone" ] || fail "$gone left on the disk after the upgrade"
  dpkg-query --admindir="$sys/var/lib/dpkg" -L tamberlo | grep -qx "$gone" && fail "$gone still listed by dpkg"
done
exec_line=$(grep '^Exec=' "$sys$desktop" | cut -d= -f2 | cut -d' ' -f1)
[ -x "$sys/usr/bin/$exec_line" ] || fail "the menu entry runs $exec_line, which the package does not hold"
grep -qx "Icon=tamberlo" "$sys$desktop" && [ -f "$sys/usr/share/icons/hicolor/scalable/apps/tamberlo.svg" ] ||
  fail "the menu entry's icon"

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
