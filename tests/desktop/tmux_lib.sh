# Shared helpers of the end-to-end tests that run deskutil inside tmux. Source it, then call
# tmux_lib_init: it skips (exit 77) without tmux, makes $work (a temporary folder removed on exit)
# and $config (the XDG configuration folder), and arranges the clean-up. A test adds its own
# clean-up steps with on_exit; they run before the tmux server is killed and the folder removed.
# The pane under test is the session "e2e" on a private server (-L), so a user's tmux is untouched.

export LC_ALL=C.UTF-8
tmux_socket="pelliset-e2e-$$"
tmux_exit_steps=()

tmux_() { tmux -L "$tmux_socket" -f /dev/null "$@"; }

on_exit() { tmux_exit_steps+=("$1"); }

tmux_cleanup() {
  local step
  for step in "${tmux_exit_steps[@]}"; do eval "$step"; done
  tmux_ kill-server >/dev/null 2>&1
  # kill-server leaves the socket file behind; it is ours alone (-L with this shell's pid).
  rm -f "${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/$tmux_socket"
  [ -n "${work:-}" ] && rm -rf "$work"
}

tmux_lib_init() {
  if ! command -v tmux >/dev/null 2>&1; then
    echo "tmux is not installed; skipping (CI installs it)"
    exit 77
  fi
  work=$(mktemp -d /tmp/pelliset-tmux.XXXXXX)
  config="$work/config"
  mkdir -p "$config"
  trap tmux_cleanup EXIT
  trap 'exit 130' INT TERM
}

fail() {
  echo "FAIL: $*"
  echo "---- screen ----"
  tmux_ capture-pane -p -t e2e 2>/dev/null
  echo "----------------"
  exit 1
}

# Starts BINARY in the pane with TERM=xterm-256color and the test's configuration folder; when it
# ends the pane shows "NAME exited CODE" (NAME: the binary's file name, e.g. deskutil) and stays
# open so the test can read it. The pane is $pane_cols x $pane_rows cells (100 x 40 unless the
# test says otherwise).
start_deskutil() {
  tmux_ new-session -d -s e2e -x "${pane_cols:-100}" -y "${pane_rows:-40}" \
    "env TERM=xterm-256color XDG_CONFIG_HOME='$config' HOME='$work' '$1'; echo \"${1##*/} exited \$?\"; sleep 600" ||
    fail "tmux could not start"
}

screen() { tmux_ capture-pane -p -t e2e 2>/dev/null; }

# Starts printer-sim (BINARY ARGS...) on a free loopback port; sets $port and $sim_pid and stops it
# on exit. stop_sim stops it earlier (SIGTERM, which saves its state); it fails when the simulator
# would not stop within 10 s.
sim_pid=""
stop_sim() {
  [ -n "$sim_pid" ] || return 0
  kill -TERM "$sim_pid" 2>/dev/null
  local start=$SECONDS
  while kill -0 "$sim_pid" 2>/dev/null && ((SECONDS - start < 10)); do sleep 0.05; done
  if kill -0 "$sim_pid" 2>/dev/null; then
    kill -KILL "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=""
    return 1
  fi
  wait "$sim_pid" 2>/dev/null
  sim_pid=""
}
start_printer_sim() {
  on_exit stop_sim
  "$@" --port 0 >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  port=""
  local start=$SECONDS
  while ((SECONDS - start < 10)); do
    port=$(sed -n 's/^printer-sim listening on 127\.0\.0\.1:\([0-9][0-9]*\)$/\1/p' "$work/sim.out")
    [ -n "$port" ] && return 0
    kill -0 "$sim_pid" 2>/dev/null || break
    sleep 0.05
  done
  cat "$work/sim.out" "$work/sim.err"
  fail "printer-sim did not report its port"
}

# Waits until the screen shows TEXT (fixed string), at most SECONDS (default 15).
wait_for() {
  local text=$1 limit=${2:-15} start=$SECONDS
  while ((SECONDS - start < limit)); do
    if screen | grep -qF -- "$text"; then return 0; fi
    sleep 0.1
  done
  fail "the screen did not show \"$text\" within ${limit}s"
}

# True when the row showing TEXT is drawn in reverse video (the focus mark) before TEXT.
focused() {
  tmux_ capture-pane -p -e -t e2e | grep -F -- "$1" | grep -qE $'\e''\[([0-9;]*;)?7(;[0-9;]*)?m[^'$'\e'']*'"$1"
}

# Presses Tab until the control showing TEXT has the focus, at most MAX (default 30) times. After
# each press it waits for the redraw (the focus mark moves), so a slow frame cannot make it overrun.
tab_to() {
  local text=$1 max=${2:-30} before start
  for _ in $(seq 1 "$max"); do
    focused "$text" && return 0
    before=$(tmux_ capture-pane -p -e -t e2e)
    tmux_ send-keys -t e2e Tab
    start=$SECONDS
    while ((SECONDS - start < 2)) && [ "$(tmux_ capture-pane -p -e -t e2e)" = "$before" ]; do
      sleep 0.05
    done
  done
  focused "$text" || fail "the focus never reached \"$text\""
}

# The registry file as plain text, tolerating a UTF-16 or CRLF file.
registry_text() {
  local reg="$config/pelliset/registry.reg"
  [ -f "$reg" ] || fail "no registry file at $reg"
  tr -d '\0\r' <"$reg"
}

# On the main dialog: chooses TCP/IP in the Interface list by keys, as a user would, and waits for
# the address control to appear.
choose_tcp_ip() {
  tab_to "Serial / RS232C"
  tmux_ send-keys -t e2e Enter
  wait_for ">Serial / RS232C"
  tmux_ send-keys -t e2e Down Down Down
  wait_for ">TCP/IP"
  tmux_ send-keys -t e2e Enter
  wait_for "IP : "
}

# With TCP/IP chosen: types ADDRESS into the address control (which comes next in tab order) and
# waits until it shows SHOWN (the control's own spacing), then types PORT into the TCP port edit.
type_address_and_port() {
  local address=$1 shown=$2 port=$3
  tmux_ send-keys -t e2e Tab
  tmux_ send-keys -t e2e -l "$address"
  wait_for "$shown"
  tmux_ send-keys -t e2e Tab
  tmux_ send-keys -t e2e -l "$port"
  wait_for "$port"
}
