#!/usr/bin/env bash
# The pelliset.printers collection driven by ansible-playbook against two virtual printers, an
# address where nothing listens and a printer whose link dies at the end of the settings write.
# Run 1 changes the settings and stores the logo, and the dead and dropping printers fail only
# their own hosts; run 2 changes nothing. check.yml then runs check mode with
# --diff, tries a forced replacement by a file that is no BMP, and reads the printer back (its own
# assertions). Before that, ansible-doc must read every
# module's documentation, and the collection carries the project's version. Skipped (77) without
# ansible-playbook. Everything Ansible writes stays in a scratch folder; no user or system
# configuration is read.
# Usage: ansible_test.sh PATH/TO/pelliset PATH/TO/printer-sim SOURCE_DIR PROJECT_VERSION
set -u
usage="usage: $0 PATH/TO/pelliset PATH/TO/printer-sim SOURCE_DIR PROJECT_VERSION"
pelliset=${1:?$usage}
sim=${2:?$usage}
source_dir=${3:?$usage}
version=${4:?$usage}
command -v ansible-playbook >/dev/null || { echo "SKIP: ansible-playbook is missing"; exit 77; }
pelliset=$(realpath "$pelliset") sim=$(realpath "$sim") source_dir=$(realpath "$source_dir")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/pelliset-ansible.XXXXXX")
sim_pids=()
cleanup() {
  local pid
  for pid in "${sim_pids[@]}"; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A printer-sim in the background on a free port, with ARGS; sets $port.
start_sim() {
  local pid
  pid=$("$sim" --port 0 --background "$@" 2>"$work/sim.err") ||
    fail "printer-sim: $(cat "$work/sim.err")"
  sim_pids+=("$pid")
  port=$(sed -n 's/^printer-sim listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/sim.err")
  [ -n "$port" ] || fail "printer-sim reported no port: $(cat "$work/sim.err")"
}
start_sim
counter=$port
start_sim
office=$port
# Its link dies at the end of the settings write, after every item went out.
start_sim --drop-after 70
dropping=$port
# A port that was just free: nothing listens there.
dead=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])')

cat >"$work/inventory.ini" <<INI
[printers]
counter printer_address=tcp://127.0.0.1:$counter
office printer_address=tcp://127.0.0.1:$office
dead printer_address=tcp://127.0.0.1:$dead
dropping printer_address=tcp://127.0.0.1:$dropping
INI
touch "$work/ansible.cfg"
mkdir -p "$work/home/bin"
# A pelliset that lists no logos and fails every other command as a link lost after the image went
# out (the printer may hold it); it keeps its arguments.
cat >"$work/home/bin/pelliset" <<'SH'
#!/bin/sh
echo "$*" >"$HOME/stub-arguments"
case "$*" in
*"logo list"*) echo '{"result":"ok","key_codes":[]}' ;;
*) echo '{"result":"failed","changed":null,"message":"the link was lost"}' && exit 1 ;;
esac
SH
chmod +x "$work/home/bin/pelliset"
# Its first bytes are those of a BMP file: only reading it as pelliset does finds it broken.
echo "BM but not a bitmap" >"$work/not-a-bmp.bmp"
export HOME="$work/home" ANSIBLE_HOME="$work/home/.ansible" ANSIBLE_CONFIG="$work/ansible.cfg"
export ANSIBLE_LOCAL_TEMP="$work/tmp" ANSIBLE_REMOTE_TEMP="$work/tmp"
export ANSIBLE_COLLECTIONS_PATH="$source_dir/ansible" ANSIBLE_COLLECTIONS_SCAN_SYS_PATH=false
export ANSIBLE_INVENTORY="$work/inventory.ini" ANSIBLE_RETRY_FILES_ENABLED=false
export ANSIBLE_NOCOLOR=1 ANSIBLE_STDOUT_CALLBACK=default ANSIBLE_PYTHON_INTERPRETER=auto_silent
export ANSIBLE_PIPELINING=true
# The modules find pelliset on PATH, as they do by default, and bmp2nv (beside printer-sim).
PATH="$(dirname "$pelliset"):$(dirname "$sim"):$PATH"
export PATH PYTHONDONTWRITEBYTECODE=1
cd "$work" || exit 1
collection="$source_dir/ansible/ansible_collections/pelliset/printers"
grep -qx "version: $version" "$collection/galaxy.yml" ||
  fail "galaxy.yml does not carry version $version"
modules=(pelliset.printers.printer_settings pelliset.printers.printer_logo
  pelliset.printers.printer_facts)
ansible-doc "${modules[@]}" >"$work/doc" 2>&1 && ! grep -q WARNING "$work/doc" ||
  { cat "$work/doc"; fail "ansible-doc could not read every module's documentation"; }
vars=(-e "logo_bmp=$source_dir/examples/logo.bmp" -e "not_a_bmp=$work/not-a-bmp.bmp")

# play PLAYBOOK [ARGS...]: runs it into $work/out; the status is 2 when any host failed.
play() {
  ansible-playbook "$here/$1" "${vars[@]}" "${@:2}" >"$work/out" 2>&1
}
# recap HOST: "changed=N failed=N" from the play recap.
recap() {
  sed -n "s/^$1 *: .*\(changed=[0-9]*\).*\(failed=[0-9]*\).*/\1 \2/p" "$work/out"
}
expect_recap() {
  local run=$1
  shift
  while [ $# -gt 0 ]; do
    [ "$(recap "$1")" = "$2" ] ||
      { cat "$work/out"; fail "$run: $1 ended with '$(recap "$1")', not '$2'"; }
    shift 2
  done
}

play site.yml
[ $? = 2 ] || { cat "$work/out"; fail "run 1: ansible-playbook did not report the failed host"; }
expect_recap "run 1" counter "changed=2 failed=0" office "changed=2 failed=0" \
  dead "changed=0 failed=1" dropping "changed=0 failed=1"
# A failed task that may have written part of the settings says changed (the recap counts only
# tasks that did not fail).
grep -qF 'fatal: [dropping -> localhost]: FAILED! => {"changed": true' "$work/out" ||
  { cat "$work/out"; fail "run 1: the partly written printer's task does not say changed"; }
grep -qF "127.0.0.1:$dead: connection refused" "$work/out" ||
  { cat "$work/out"; fail "run 1: the dead printer's failure does not say why"; }

play site.yml --limit counter,office || { cat "$work/out"; fail "run 2 failed"; }
expect_recap "run 2" counter "changed=0 failed=0" office "changed=0 failed=0"

play check.yml --limit counter || { cat "$work/out"; fail "the check mode run failed"; }
grep -qx -- "-print.density: 120%" "$work/out" && grep -qx -- "+print.density: 90%" "$work/out" ||
  { cat "$work/out"; fail "the diff does not show print.density"; }
grep -qxF -- "+bluetooth.pin: ******** (changed)" "$work/out" && ! grep -q 4321 "$work/out" ||
  { cat "$work/out"; fail "the diff does not mask the Bluetooth PIN"; }
grep -q -- "--timeout 2.5 logo add" "$work/home/stub-arguments" ||
  fail "the timeout did not reach pelliset: $(cat "$work/home/stub-arguments")"
echo "PASS"
