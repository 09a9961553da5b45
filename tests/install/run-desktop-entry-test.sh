#!/usr/bin/env bash
# run-desktop-entry-test.sh BUILD_DIR
# The installed desktop entry names the program where `cmake --install` put it: for a prefix given at
# install time (other than the configured one), for a prefix whose path needs quoting on a command line,
# and for a staged install (DESTDIR), whose entry names the final place, not the staging folder.
set -euo pipefail
build="$(cd "$1" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# exec_of ENTRY: the Exec= value of a desktop entry.
exec_of() { sed -n 's/^Exec=//p' "$1"; }

# A prefix given only at install time.
prefix="$work/opt/kx"
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
entry="$prefix/share/applications/KXMediaPlayer.desktop"
[ -f "$entry" ] || fail "no desktop entry under $prefix"
[ "$(exec_of "$entry")" = "$prefix/bin/KXMediaPlayer %F" ] || fail "Exec=$(exec_of "$entry") for prefix $prefix"
[ -x "$prefix/bin/KXMediaPlayer" ] || fail "the program the entry names is not installed"
grep -qxF -- "-- Installing: $entry" "$work/install.log" || fail "the install does not list the entry"

# Blanks, a quote and a dollar sign: quoted, with the command line's escapes, each backslash doubled.
odd="$work/my \"kx\" \$player"
cmake --install "$build" --prefix "$odd" >/dev/null
entry="$odd/share/applications/KXMediaPlayer.desktop"
expected="\"$work/my \\\\\"kx\\\\\" \\\\\$player/bin/KXMediaPlayer\" %F"
[ "$(exec_of "$entry")" = "$expected" ] || fail "Exec=$(exec_of "$entry"), expected $expected"
# Undone as a launcher does (the value's escapes, then the command line's quoting), it names the program.
unescaped="$(exec_of "$entry" | sed 's/\\\\/\\/g')"
eval "set -- $unescaped"
[ "$1" = "$odd/bin/KXMediaPlayer" ] && [ "$2" = "%F" ] || fail "Exec= reads back as '$1' '$2'"
[ -x "$1" ] || fail "the quoted program is not installed"

# Staged: the file lies under DESTDIR, and names the program at the prefix.
DESTDIR="$work/stage" cmake --install "$build" --prefix /opt/kxstaged >/dev/null
entry="$work/stage/opt/kxstaged/share/applications/KXMediaPlayer.desktop"
[ -f "$entry" ] || fail "no staged desktop entry"
[ "$(exec_of "$entry")" = "/opt/kxstaged/bin/KXMediaPlayer %F" ] || fail "staged Exec=$(exec_of "$entry")"
[ ! -e /opt/kxstaged ] || fail "a staged install wrote outside its staging folder"
echo "desktop entry: passed"
