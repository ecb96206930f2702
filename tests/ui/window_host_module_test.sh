#!/usr/bin/env bash
# The window host is a module loaded only when windows open. In a terminal (tmux), even with a
# display set, deskutil and pdautil map no Qt library and not the module; with --gui (on Qt's
# offscreen platform) each loads the module found beside it; a copy of the program without the
# module refuses --gui with the loader's reason and the package to install.
# Skipped (77) where tmux is missing.
# Usage: window_host_module_test.sh PATH/TO/deskutil PATH/TO/pdautil
set -u
deskutil=${1:?usage: $0 DESKUTIL PDAUTIL}
pdautil=${2:?usage: $0 DESKUTIL PDAUTIL}
command -v tmux >/dev/null || { echo "SKIP: tmux is missing"; exit 77; }
work=$(mktemp -d "${TMPDIR:-/tmp}/pelliset-module.XXXXXX")
socket="$work/tmux"
gui_pid=""
cleanup() {
  [ -n "$gui_pid" ] && kill "$gui_pid" 2>/dev/null
  tmux -S "$socket" kill-server >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}
run_env=(env -u WAYLAND_DISPLAY DISPLAY=:99 TERM=xterm-256color HOME="$work"
  XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state")

# PID's mapped files that are Qt libraries or the module, one a line.
window_maps() { grep -oE '/[^ ]*(libQt6[A-Za-z]*\.so[.0-9]*|pelliset-qt-host\.so)$' "/proc/$1/maps" | sort -u; }

for program in "$deskutil" "$pdautil"; do
  name=${program##*/}
  tmux -S "$socket" -f /dev/null new-session -d -s "$name" -x 120 -y 40 \
    "exec ${run_env[*]} '$program'" || fail "tmux could not start $name"
  pid=$(tmux -S "$socket" display-message -p -t "$name" '#{pane_pid}')
  for _ in $(seq 100); do
    [ "$(tmux -S "$socket" capture-pane -p -t "$name" | tr -d ' \n' | wc -c)" -gt 20 ] && break
    sleep 0.1
  done
  [ -r "/proc/$pid/maps" ] || fail "$name did not keep running in the terminal"
  mapped=$(window_maps "$pid")
  [ -z "$mapped" ] || fail "$name in a terminal maps: $mapped"
  tmux -S "$socket" kill-session -t "$name"

  # Windows on Qt's offscreen platform: the program waits for a click that never comes, with the
  # module and Qt mapped.
  QT_QPA_PLATFORM=offscreen "${run_env[@]}" "$program" --gui </dev/null >"$work/out" 2>"$work/err" &
  gui_pid=$!
  mapped=""
  for _ in $(seq 100); do
    kill -0 "$gui_pid" 2>/dev/null || break
    mapped=$(window_maps "$gui_pid")
    grep -q libQt6Widgets <<<"$mapped" && break
    sleep 0.1
  done
  grep -q "/pelliset-qt-host.so" <<<"$mapped" && grep -q libQt6Widgets <<<"$mapped" ||
    fail "$name --gui did not load the window host: $(cat "$work/err")"
  kill "$gui_pid"
  wait "$gui_pid" 2>/dev/null
  gui_pid=""

  # Without the module (a copy of the program alone), --gui says why and ends.
  mkdir -p "$work/alone"
  cp "$program" "$work/alone/$name"
  "${run_env[@]}" "$work/alone/$name" --gui </dev/null >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" = 2 ] || fail "$name --gui without its module ended with $status"
  # The installed place, seen from the copy's folder: $work/lib/pelliset or $work/lib/<triplet>/pelliset.
  [[ $(cat "$work/err") == "$name: cannot open windows: $work/lib/"*"pelliset/pelliset-qt-host.so: cannot open shared object file: No such file or directory. Install the package pelliset-qt for windows, or start $name from a terminal." ]] ||
    fail "$name --gui without its module said: $(cat "$work/err")"
done
echo "PASS: no Qt in terminal sessions; --gui loads the module; a missing module is explained"
