#!/usr/bin/env bash
# `cmake --install` into a scratch DESTDIR, then the installed programs as a user meets them:
# deskutil finds its installed German translation (found from the program's own folder, so the scratch
# root works like /usr), every program prints the project version, the manual pages, bash
# completions and desktop entry are where the system looks for them, and pelliset's completion
# works once loaded. With the window host built (WITH_QT ON), the installed deskutil loads the
# installed module with --gui (on Qt's offscreen platform).
# Usage: install_test.sh BUILD_DIR PROJECT_VERSION [WITH_QT]
set -u
build=${1:?usage: $0 BUILD_DIR PROJECT_VERSION [WITH_QT]}
version=${2:?usage: $0 BUILD_DIR PROJECT_VERSION [WITH_QT]}
with_qt=${3:-OFF}
work=$(mktemp -d "${TMPDIR:-/tmp}/pelliset-install.XXXXXX")
gui_pid=""
trap '[ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "cmake --install failed"; }
root="$work/root/usr"

for f in bin/deskutil bin/pdautil bin/printer-sim bin/bmp2nv bin/pelliset share/pelliset/de.pack share/locale/de/LC_MESSAGES/pelliset.mo \
  share/man/man1/deskutil.1 share/man/man1/pdautil.1 share/man/man1/printer-sim.1 \
  share/man/man1/bmp2nv.1 share/man/man1/pelliset.1 share/bash-completion/completions/deskutil \
  share/bash-completion/completions/printer-sim share/bash-completion/completions/pelliset \
  share/applications/deskutil.desktop share/icons/hicolor/scalable/apps/pelliset.svg \
  share/pelliset/ansible/ansible_collections/pelliset/printers/plugins/modules/printer_settings.py; do
  [ -e "$root/$f" ] || fail "not installed: /usr/$f"
done
grep -q "@PROJECT_VERSION@" "$root"/share/man/man1/*.1 && fail "a manual page kept its version placeholder"
grep -q "Pelliset $version" "$root/share/man/man1/deskutil.1" || fail "deskutil.1 does not carry $version"

for program in deskutil pdautil printer-sim bmp2nv pelliset; do
  out=$("$root/bin/$program" --version) || fail "$program --version failed"
  [[ $out == "$program (Pelliset) $version"* ]] || fail "$program --version printed: $out"
done

# The installed completion loads in bash and offers pelliset's sub-commands; a file name with a
# blank, quoted or after a backslash, is one word, the value of --printers.
mkdir "$work/files" && touch "$work/files/fleet inv.txt"
complete_line() {
  (cd "$work/files" && bash -c 'source "$1" && COMP_LINE=$2 && COMP_POINT=${#COMP_LINE} &&
    _pelliset 2>/dev/null; echo "${COMPREPLY[*]}"' _ \
    "$root/share/bash-completion/completions/pelliset" "$1")
}
out=$(complete_line "pelliset settings ")
[ "$out" = "get set default" ] || fail "the pelliset completion offered: $out"
for line in 'pelliset --printers "fleet i' 'pelliset --printers fleet\ i'; do
  out=$(complete_line "$line")
  [ "$out" = "fleet inv.txt" ] || fail "the pelliset completion offered '$out' for: $line"
done
# Bash replaces only what follows a ':' outside quotes: a file's name is offered from there on,
# and whole in quotes.
touch "$work/files/10:30.bmp"
out=$(complete_line "pelliset logo add 10:")
[ "$out" = "30.bmp" ] || fail "the pelliset completion offered '$out' for 10:"
out=$(complete_line 'pelliset logo add "10:')
[ "$out" = "10:30.bmp" ] || fail "the pelliset completion offered '$out' for \"10:"

# The installed deskutil in German (a locale this machine need not have), its catalog and layout
# found in /usr/share/locale and /usr/share/pelliset of the scratch root.
out=$(printf 'wait dialog 102\nsnapshot\nclose\n' |
  env -u LC_ALL -u LC_MESSAGES LANG=de_DE.UTF-8 XDG_CONFIG_HOME="$work/config" \
    XDG_STATE_HOME="$work/state" "$root/bin/deskutil") || fail "deskutil ended with an error: $out"
grep -qF '"caption":"TMQ-D550 Pelliset für PC V1.0.0"' <<<"$out" ||
  fail "the installed deskutil did not speak German: $out"

if [ "$with_qt" = ON ]; then
  module=$(find "$root/lib" -path '*/pelliset/pelliset-qt-host.so')
  [ -n "$module" ] || fail "the window host module is not installed under /usr/lib"
  env XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" QT_QPA_PLATFORM=offscreen \
    DISPLAY=:99 "$root/bin/deskutil" --gui </dev/null >/dev/null 2>"$work/gui.err" &
  gui_pid=$!
  for _ in $(seq 100); do
    grep -qF "$module" "/proc/$gui_pid/maps" 2>/dev/null && break
    kill -0 "$gui_pid" 2>/dev/null || break
    sleep 0.1
  done
  grep -qF "$module" "/proc/$gui_pid/maps" 2>/dev/null ||
    fail "the installed deskutil --gui did not load $module: $(cat "$work/gui.err")"
fi
echo "PASS: installed under DESTDIR; the programs print $version; deskutil finds its German translation"
