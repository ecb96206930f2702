#!/usr/bin/env bash
# End to end in a real terminal: deskutil runs inside tmux with a fresh configuration folder; the
# test reads the screen with capture-pane, chooses TCP/IP in the Interface list with the keys a
# user would press, types an address and a TCP port, presses Exit, and checks what was stored.
# Usage: deskutil_tmux_test.sh PATH/TO/deskutil
set -u
bin=${1:?usage: $0 PATH/TO/deskutil}
if ! command -v tmux >/dev/null 2>&1; then
  echo "tmux is not installed; skipping (CI installs it)"
  exit 77
fi
[ -x "$bin" ] || { echo "FAIL: $bin is not an executable"; exit 1; }

export LC_ALL=C.UTF-8
socket="pelliset-e2e-$$"
work=$(mktemp -d /tmp/pelliset-tmux.XXXXXX)
config="$work/config"
mkdir -p "$config"
tmux_() { tmux -L "$socket" -f /dev/null "$@"; }
cleanup() {
  tmux_ kill-server >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  echo "---- screen ----"
  tmux_ capture-pane -p -t e2e 2>/dev/null
  echo "----------------"
  exit 1
}

# Waits until the screen shows TEXT (fixed string), at most SECONDS (default 15).
wait_for() {
  local text=$1 limit=${2:-15} start=$SECONDS
  while ((SECONDS - start < limit)); do
    if tmux_ capture-pane -p -t e2e 2>/dev/null | grep -qF -- "$text"; then return 0; fi
    sleep 0.1
  done
  fail "the screen did not show \"$text\" within ${limit}s"
}

# True when the row showing TEXT is drawn in reverse video (the focus mark) before TEXT.
focused() {
  tmux_ capture-pane -p -e -t e2e | grep -F -- "$1" | grep -qE $'\e''\[([0-9;]*;)?7(;[0-9;]*)?m[^'$'\e'']*'"$1"
}

tmux_ new-session -d -s e2e -x 100 -y 40 \
  "env TERM=xterm-256color XDG_CONFIG_HOME='$config' HOME='$work' '$bin'; echo \"deskutil exited \$?\"; sleep 600" ||
  fail "tmux could not start"

wait_for "Serial / RS232C"
wait_for "Exit"

# Move to the Interface list (the focus starts on it; Tab round until it is there).
for _ in $(seq 1 30); do
  focused "Serial / RS232C" && break
  tmux_ send-keys -t e2e Tab
  sleep 0.1
done
focused "Serial / RS232C" || fail "the focus never reached the Interface list"

# Open it, go down to TCP/IP and choose it.
tmux_ send-keys -t e2e Enter
wait_for ">Serial / RS232C"
tmux_ send-keys -t e2e Down Down Down
wait_for ">TCP/IP"
tmux_ send-keys -t e2e Enter
wait_for "IP : "
wait_for "  0.  0.  0.  0"

# The address control comes next in tab order, then the TCP port edit.
tmux_ send-keys -t e2e Tab
tmux_ send-keys -t e2e -l "192.168.1.50"
wait_for "192.168.  1. 50"
tmux_ send-keys -t e2e Tab
tmux_ send-keys -t e2e -l "4000"
wait_for "4000"

# Enter in the edit presses the default button, Exit.
tmux_ send-keys -t e2e Enter
wait_for "deskutil exited 0" 20

reg="$config/pelliset/registry.reg"
[ -f "$reg" ] || fail "no registry file at $reg"
text=$(tr -d '\0\r' <"$reg")  # tolerate a UTF-16 or CRLF file
for want in '"uPortType"=dword:00000003' '"uPort"="NET192.168.1.50"' '"uBaudrate"=dword:00000fa0'; do
  grep -qiF -- "$want" <<<"$text" || { echo "$text"; fail "the registry lacks $want"; }
done
echo "PASS: TCP/IP 192.168.1.50 port 4000 stored through the terminal dialog"
