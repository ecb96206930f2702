#!/usr/bin/env bash
# deskutil on a real X server (Xvfb): started with --gui it shows its main window; Return presses
# Exit, the default button, which stores the setting and ends the program with status 0.
# Skipped (77) where xvfb-run or xdotool is missing.
# Usage: deskutil_xvfb_test.sh PATH/TO/deskutil
set -u
bin=${1:?usage: $0 PATH/TO/deskutil}
if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
  echo "SKIP: xvfb-run or xdotool is missing"
  exit 77
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/pelliset-xvfb.XXXXXX")
trap 'rm -rf "$work"' EXIT

cat >"$work/session.sh" <<'SESSION'
bin=$1
work=$2
XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" "$bin" --gui </dev/null \
  >"$work/out" 2>"$work/err" &
pid=$!
win=$(timeout 20 xdotool search --sync --onlyvisible --name "Pelliset for PC" | head -1)
if [ -z "$win" ]; then
  echo "FAIL: no deskutil window appeared"
  cat "$work/err"
  kill "$pid"
  exit 1
fi
xdotool windowfocus --sync "$win"
xdotool key Return
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "FAIL: deskutil still runs 10 s after Return on Exit"
  kill "$pid"
  exit 1
fi
wait "$pid"
status=$?
[ "$status" = 0 ] || { echo "FAIL: deskutil ended with status $status"; cat "$work/err"; exit 1; }
grep -q uPortType "$work/config/pelliset/registry.reg" 2>/dev/null ||
  { echo "FAIL: Exit stored no setting"; exit 1; }
echo "PASS: deskutil --gui showed its window on Xvfb and Exit ended it, storing the setting"
SESSION

xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/session.sh" "$bin" "$work"
