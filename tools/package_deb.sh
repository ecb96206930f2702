#!/usr/bin/env bash
# Builds the Debian packages from a build folder and tries them in a scratch root, as a server and
# then a desktop would have them: `pelliset` alone (no Qt among its dependencies) installs, every
# program prints its version, deskutil runs a script and explains that windows need pelliset-qt;
# then `pelliset-qt` (the window host module and the desktop entry) installs beside it and deskutil
# loads the module; both remove cleanly. Needs root (dpkg --root writes files owned by root) and
# dpkg-dev (dpkg-shlibdeps works out the dependencies). With --system it also installs both
# packages on this machine with apt and removes them again, as a user would.
# Usage: tools/package_deb.sh BUILD_DIR [--system]
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR [--system]}
system=${2:-}
build=$(cd "$build" && pwd)
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ "$(id -u)" = 0 ] || fail "dpkg --root needs root"
command -v dpkg-shlibdeps >/dev/null || fail "dpkg-shlibdeps is missing (apt-get install dpkg-dev)"

rm -f "$build"/pelliset_*.deb "$build"/pelliset-qt_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; fail "cpack failed"; }
deb=$(ls "$build"/pelliset_*.deb)
qt_deb=$(ls "$build"/pelliset-qt_*.deb 2>/dev/null || true)
version=$(dpkg-deb -f "$deb" Version)
echo "built $deb${qt_deb:+ and $qt_deb}"
depends=$(dpkg-deb -f "$deb" Depends)
echo "pelliset Depends: $depends"
for lib in libc6 libncursesw6 libpng16-16 libstdc++6; do
  grep -q "$lib" <<<"$depends" || fail "pelliset does not depend on $lib"
done
! grep -qi qt <<<"$depends" || fail "pelliset depends on Qt: $depends"
if [ -n "$qt_deb" ]; then
  qt_depends=$(dpkg-deb -f "$qt_deb" Depends)
  echo "pelliset-qt Depends: $qt_depends"
  grep -qF "pelliset (= $version)" <<<"$qt_depends" || fail "pelliset-qt does not depend on pelliset (= $version)"
  grep -q libqt6widgets6 <<<"$qt_depends" || fail "pelliset-qt does not depend on libqt6widgets6"
  grep -q fonts-noto-cjk <<<"$(dpkg-deb -f "$qt_deb" Recommends)" ||
    fail "pelliset-qt does not recommend a CJK font"
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/pelliset-deb.XXXXXX")
gui_pid=""
trap '[ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null; rm -rf "$scratch"' EXIT
mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates" "$scratch/home"
touch "$scratch/var/lib/dpkg/status"
dpkg_() { dpkg --root="$scratch" --force-script-chrootless "$@" >/dev/null 2>&1; }
run_env=(env -i PATH=/usr/bin:/bin HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/config"
  XDG_STATE_HOME="$scratch/home/state" LC_ALL=C DISPLAY=:99)

# pelliset alone. The scratch root has no packages of its own: its dependencies are this machine's.
dpkg_ --force-depends -i "$deb" || fail "dpkg could not install $deb into the scratch root"
for program in deskutil pdautil printer-sim bmp2nv pelliset; do
  "$scratch/usr/bin/$program" --version || fail "the installed $program does not run"
done
[ -f "$scratch/usr/share/locale/de/LC_MESSAGES/pelliset.mo" ] &&
  [ -f "$scratch/usr/share/pelliset/de.pack" ] || fail "the package has no German translation"
for page in deskutil pelliset; do
  man -l "$scratch/usr/share/man/man1/$page.1" >/dev/null 2>&1 || fail "$page.1 does not render"
done
[ -f "$scratch/usr/share/bash-completion/completions/pelliset" ] ||
  fail "the package has no bash completion for pelliset"
out=$(printf 'wait dialog 102\nclose\n' | "${run_env[@]}" "$scratch/usr/bin/deskutil") ||
  fail "the installed deskutil did not run a script: $out"
grep -qF '"event":"dialog","template":102' <<<"$out" || fail "deskutil showed no main dialog: $out"
if [ -n "$qt_deb" ]; then
  ! find "$scratch/usr" -name 'pelliset-qt-host.so' -o -name deskutil.desktop | grep -q . ||
    fail "pelliset holds what belongs to pelliset-qt"
  status=0
  err=$("${run_env[@]}" "$scratch/usr/bin/deskutil" --gui </dev/null 2>&1) || status=$?
  [ "$status" = 2 ] && grep -qF "Install the package pelliset-qt" <<<"$err" ||
    fail "deskutil --gui without pelliset-qt ended with $status: $err"

  # Then pelliset-qt: the module is found from the installed program's folder and maps Qt.
  dpkg_ --force-depends -i "$qt_deb" || fail "dpkg could not install $qt_deb into the scratch root"
  module=$(find "$scratch/usr/lib" -name pelliset-qt-host.so)
  [ -n "$module" ] || fail "pelliset-qt installed no window host module"
  [ -f "$scratch/usr/share/applications/deskutil.desktop" ] || fail "pelliset-qt has no desktop entry"
  "${run_env[@]}" QT_QPA_PLATFORM=offscreen "$scratch/usr/bin/deskutil" --gui \
    </dev/null >/dev/null 2>"$scratch/gui.err" &
  gui_pid=$!
  loaded=""
  for _ in $(seq 100); do
    grep -qF "$module" "/proc/$gui_pid/maps" 2>/dev/null && { loaded=yes; break; }
    kill -0 "$gui_pid" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$loaded" ] || fail "the installed deskutil --gui did not load $module: $(cat "$scratch/gui.err")"
  kill "$gui_pid"
  wait "$gui_pid" 2>/dev/null || true
  gui_pid=""
  dpkg_ -r pelliset-qt || fail "dpkg could not remove pelliset-qt"
fi
dpkg_ -r pelliset || fail "dpkg could not remove pelliset"
left=$(find "$scratch/usr" -type f 2>/dev/null | head -5 || true)
[ -z "$left" ] || fail "files left after removal: $left"
echo "PASS: $(basename "$deb")${qt_deb:+ and $(basename "$qt_deb")} install into a scratch root, run, and remove cleanly"

if [ "$system" = --system ]; then
  apt-get install -y -q "$deb" ${qt_deb:+"$qt_deb"} >/dev/null
  /usr/bin/deskutil --version
  man -w deskutil >/dev/null 2>&1 || ! command -v man >/dev/null || fail "man deskutil finds no page"
  apt-get remove -y -q pelliset ${qt_deb:+pelliset-qt} >/dev/null
  [ ! -e /usr/bin/deskutil ] && [ ! -e /usr/share/pelliset/de.pack ] &&
    [ ! -e /usr/share/locale/de/LC_MESSAGES/pelliset.mo ] ||
    fail "files are still installed after apt remove"
  echo "PASS: apt install and apt remove on this machine"
fi
