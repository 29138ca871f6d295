#!/usr/bin/env bash
# The real program's command line: --help and --version answer on stdout without any display, a mistake
# prints the usage on stderr and ends with status 2 before anything is made, and Qt's own options still
# reach Qt.
# Usage: check-command-line.sh <tamberlo>
set -u
tamberlo=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# No display and no platform: whatever needs a window would fail here.
bare() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM TAMBERLO_HOME="$work/home" LANG=C LC_ALL=C \
  timeout 20 "$tamberlo" "$@"; }

out=$(bare --version 2>"$work/err"); code=$?
[ "$code" = 0 ] || fail "--version exited $code: $(cat "$work/err")"
[[ "$out" =~ ^tamberlo\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$out'"

out=$(bare --help 2>"$work/err"); code=$?
[ "$code" = 0 ] || fail "--help exited $code: $(cat "$work/err")"
for word in 用法 --version -platform TAMBERLO_HOME .local/share/tamberlo "$work/home"; do
  grep -qF -- "$word" <<<"$out" || fail "--help does not mention $word"
done

for wrong in --bogus -x "--platform" stray-file --platform=offscreen; do
  out=$(bare $wrong 2>"$work/err"); code=$?
  [ "$code" = 2 ] || fail "'$wrong' exited $code, not 2"
  [ -z "$out" ] || fail "'$wrong' printed on stdout: $out"
  grep -q 'tamberlo --help' "$work/err" || fail "'$wrong' gave no usage: $(cat "$work/err")"
done
[ ! -e "$work/home" ] || fail "a mistaken command line made the household folder"

# Qt's options are left to Qt: one dash or two, the program starts and shows its login.
for platform in "-platform offscreen" "--platform offscreen"; do
  out=$(env -u QT_QPA_PLATFORM TAMBERLO_HOME="$work/home" TAMBERLO_PROBE_LOGIN=1 timeout 60 "$tamberlo" \
    $platform 2>"$work/err")
  [ "$out" = login-shown ] || fail "'$platform' did not start: $(cat "$work/err")"
done

[ "$failures" -eq 0 ] || exit 1
echo "command line checked"
