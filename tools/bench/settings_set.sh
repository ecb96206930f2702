#!/usr/bin/env bash
# Times `pelliset settings set` on one virtual printer served by printer-sim on 127.0.0.1, in real
# time: a set of one key that changes it, the same set again (nothing changes, nothing is
# written), and the same key set back with --full (every setting read and written, as the dialogs
# do). Each round runs the three in that order on the same printer, so the first always changes
# the setting. Goals, on the medians: one-key set <= 1.5 s, unchanged set < 1.0 s.
#
#   tools/bench/settings_set.sh [-r ROUNDS] [BUILD_DIR]
#       BUILD_DIR  build folder with src/cli/pelliset and tools/printer-sim (default: ./build
#                  of this source tree)
#       -r ROUNDS  rounds to take the medians of (default 5)
#
# Exit status: 0 goals met, 1 a goal missed, 2 the benchmark could not run or a set failed.
set -euo pipefail

usage() {
  sed -n '8,11p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
die() {
  echo "settings_set.sh: $*" >&2
  exit 2
}

rounds=5
while getopts "r:h" opt; do
  case $opt in
    r) rounds=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -le 1 ] || usage
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$repo/build}
[[ $rounds =~ ^[1-9][0-9]?$ ]] || die "ROUNDS must be 1 to 99, not '$rounds'"

pelliset=$build/src/cli/pelliset
sim=$build/tools/printer-sim
for program in "$pelliset" "$sim"; do
  [ -x "$program" ] || die "$program not found: build the targets pelliset and printer-sim in $build"
done
command -v python3 >/dev/null || die "python3 is needed to read the JSON lines"

# A fresh printer holds 100%; the one-key set changes it and --full puts it back.
key=print.density
changed_value=150%
factory_value=100%
# No single run should come near this; a hung printer or program must not hang the benchmark.
run_limit=120

work=$(mktemp -d)
sim_pid=""
run_pid=""
cleanup() {
  [ -z "$run_pid" ] || kill -TERM "$run_pid" 2>/dev/null || true
  if [ -n "$sim_pid" ]; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 2' INT TERM HUP

# printer-sim on a free port of 127.0.0.1 (it picks one), its address in $address.
"$sim" --port 0 --state "$work/printer.state" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
address=""
for _ in $(seq 100); do
  kill -0 "$sim_pid" 2>/dev/null || die "printer-sim failed: $(cat "$work/sim.err")"
  address=$(sed -n 's/^printer-sim listening on \(127\.0\.0\.1:[0-9]*\)$/\1/p' "$work/sim.out")
  [ -z "$address" ] || break
  sleep 0.1
done
[ -n "$address" ] || die "printer-sim did not report its port within 10 s"

# Runs one set, timed; checks its JSON line says ok and whether it changed ($1: true or false).
# Appends the wall time to the array named $2.
timed_set() {
  local want=$1 start end status=0
  local -n into=$2
  shift 2
  start=$(date +%s.%N)
  # In the background so that a signal to this script is acted on at once, not after the run.
  timeout "$run_limit" "$pelliset" -q --json -p "tcp://$address" settings set "$@" \
    >"$work/out.json" 2>"$work/err.txt" &
  run_pid=$!
  wait "$run_pid" || status=$?
  run_pid=""
  end=$(date +%s.%N)
  if [ "$status" -ne 0 ]; then
    echo "settings_set.sh: pelliset settings set $* exited with $status:" >&2
    cat "$work/err.txt" "$work/out.json" >&2
    exit 2
  fi
  python3 - "$work/out.json" "$want" <<'PY' || die "settings set $*: a bad result (above)"
import json, sys
path, want = sys.argv[1], sys.argv[2] == "true"
lines = [json.loads(l) for l in open(path) if l.strip()]
if len(lines) != 1 or lines[0].get("result") != "ok" or lines[0].get("changed") is not want:
    sys.exit(f"expected one line with result ok and changed {str(want).lower()}: {lines}")
PY
  into+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')")
}

median() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
    printf "%.3f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

one_key=() unchanged=() full=()
echo "settings set benchmark: one printer at $address, $rounds rounds, $(nproc) CPUs"
echo "load before (uptime): $(uptime)"
for ((round = 1; round <= rounds; round++)); do
  timed_set true one_key "$key=$changed_value"
  timed_set false unchanged "$key=$changed_value"
  timed_set true full --full "$key=$factory_value"
  printf 'round %d: one key %ss, unchanged %ss, full %ss\n' "$round" "${one_key[-1]}" \
    "${unchanged[-1]}" "${full[-1]}"
done
echo "load after (uptime): $(uptime)"

o=$(median "${one_key[@]}")
u=$(median "${unchanged[@]}")
f=$(median "${full[@]}")
verdict() { awk -v v="$1" -v limit="$2" -v op="$3" \
  'BEGIN { ok = op == "<=" ? v <= limit : v < limit; print ok ? "PASS" : "FAIL" }'; }
one_verdict=$(verdict "$o" 1.5 "<=")
unchanged_verdict=$(verdict "$u" 1.0 "<")
echo
printf '%-36s %8s   %s\n' "" "median" "of $rounds (each round)"
printf '%-36s %8s   goal <= 1.5 s: %s  (%s)\n' "one key, changed (s)" "$o" "$one_verdict" \
  "${one_key[*]}"
printf '%-36s %8s   goal < 1.0 s: %s  (%s)\n' "one key, unchanged (s)" "$u" "$unchanged_verdict" \
  "${unchanged[*]}"
printf '%-36s %8s   (%s)\n' "one key with --full (s)" "$f" "${full[*]}"
printf '%-36s %8s\n' "ratio full / one key" "$(awk -v a="$f" -v b="$o" 'BEGIN { printf "%.1f", a / b }')"
[ "$one_verdict" = PASS ] && [ "$unchanged_verdict" = PASS ]
