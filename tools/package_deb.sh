#!/usr/bin/env bash
# Builds the Debian package from a build folder and tries it in a scratch root: dpkg --root
# installs it, the installed programs print their versions, dpkg removes it and nothing is left.
# Needs root (dpkg --root writes files owned by root) and dpkg-dev (dpkg-shlibdeps works out the
# package's dependencies). With --system it also installs the package on this machine with apt and
# removes it again, as a user would.
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

rm -f "$build"/pelliset_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; fail "cpack failed"; }
deb=$(ls "$build"/pelliset_*.deb)
echo "built $deb"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libc6 libncursesw6 libpng16-16 libstdc++6; do
  grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib"
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/pelliset-deb.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates"
touch "$scratch/var/lib/dpkg/status"
# The scratch root has no packages of its own: its dependencies are this machine's.
dpkg --root="$scratch" --force-depends --force-script-chrootless -i "$deb" >/dev/null 2>&1 ||
  fail "dpkg could not install $deb into the scratch root"
for program in deskutil pdautil printer-sim bmp2nv pelliset; do
  "$scratch/usr/bin/$program" --version || fail "the installed $program does not run"
done
for page in deskutil pelliset; do
  man -l "$scratch/usr/share/man/man1/$page.1" >/dev/null 2>&1 || fail "$page.1 does not render"
done
[ -f "$scratch/usr/share/bash-completion/completions/pelliset" ] ||
  fail "the package has no bash completion for pelliset"
dpkg --root="$scratch" --force-script-chrootless -r pelliset >/dev/null
left=$(find "$scratch/usr" -type f 2>/dev/null | head -5 || true)
[ -z "$left" ] || fail "files left after removal: $left"
echo "PASS: $(basename "$deb") installs into a scratch root, runs, and removes cleanly"

if [ "$system" = --system ]; then
  apt-get install -y -q "$deb" >/dev/null
  /usr/bin/deskutil --version
  man -w deskutil >/dev/null 2>&1 || ! command -v man >/dev/null || fail "man deskutil finds no page"
  apt-get remove -y -q pelliset >/dev/null
  [ ! -e /usr/bin/deskutil ] && [ ! -e /usr/share/pelliset/German.pack ] ||
    fail "files are still installed after apt remove"
  echo "PASS: apt install and apt remove on this machine"
fi
