#!/usr/bin/env bash
# Measures `pelliset settings set` at one printer against the same set at N printers at once
# (-j N), on virtual printers served by printer-sim on 127.0.0.1. Working N printers side by side
# should take about as long as one: the goal is fleet time / single time <= 1.2.
#
# printer-sim serves N+1 printers from a fresh state folder each round: the first one for the
# single run, the other N for the fleet run, so both start from the same settings and every set
# really writes. Each printer takes two open files in printer-sim (its port and its client): when
# the open-files limit cannot give every printer its client in one process, the printers are
# shared out over several printer-sim processes. Their ports lie below the system's ephemeral
# port range when they fit there, so no outgoing connection takes one of them. Each round runs both, in alternating order; the medians of the rounds are compared.
# The table also gives the sum of the fleet's per-printer durations against its wall time (near N
# when the printers really run at once), the CPU time pelliset and printer-sim used (printer-sim
# both during the fleet run and over the whole round, from its start to its last saved state),
# and the peak memory (resident) of pelliset and of the largest printer-sim process.
#
#   tools/bench/fleet.sh [-r ROUNDS] [BUILD_DIR] [N]
#       BUILD_DIR  build folder with src/cli/pelliset and tools/printer-sim (default: ./build
#                  of this source tree)
#       N          printers in the fleet run, 1 to 10000 (default 50)
#       -r ROUNDS  rounds to take the medians of (default 3)
#
# Exit status: 0 goal met, 1 goal missed, 2 the benchmark could not run or a printer failed.
set -euo pipefail

usage() {
  sed -n '16,20p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
die() {
  echo "fleet.sh: $*" >&2
  exit 2
}

rounds=3
while getopts "r:h" opt; do
  case $opt in
    r) rounds=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -le 2 ] || usage
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$repo/build}
count=${2:-50}
[[ $rounds =~ ^[1-9][0-9]?$ ]] || die "ROUNDS must be 1 to 99, not '$rounds'"
if ! [[ $count =~ ^[1-9][0-9]*$ ]] || [ "$count" -gt 10000 ]; then
  die "N must be 1 to 10000, not '$count'"
fi
# Each printer-sim raises its own limit too; pelliset needs one open file per printer at once.
ulimit -n "$(ulimit -Hn)" 2>/dev/null || true
files=$(ulimit -n)
[ "$files" = unlimited ] && files=1048576
# Printers one printer-sim can give a client each (it keeps 32 open files for itself).
per_sim=$(((files - 32) / 2))
[ "$per_sim" -le 10000 ] || per_sim=10000
[ "$per_sim" -ge 1 ] || die "the open-files limit ($files) is too low: raise it with ulimit -n"
[ "$files" -ge $((count + 64)) ] ||
  die "pelliset needs about $((count + 64)) open files for $count printers; this system allows" \
    "$files: raise it with ulimit -n"

pelliset=$build/src/cli/pelliset
sim=$build/tools/printer-sim
for program in "$pelliset" "$sim"; do
  [ -x "$program" ] || die "$program not found: build the targets pelliset and printer-sim in $build"
done
command -v python3 >/dev/null || die "python3 is needed to read the JSON lines"

# The values every set writes; the state a fresh printer starts from differs in both.
settings=(print.density=150% beep.paper_end=off)
# No single run should come near this; a hung printer or program must not hang the benchmark.
run_limit=600

work=$(mktemp -d)
sim_pids=()
stop_sim() {
  local pid
  [ ${#sim_pids[@]} -gt 0 ] || return 0
  # They save every state on the way out; a few seconds at most, then they are made to go. Their
  # CPU time is read before and until they are gone: the largest reading is their whole life's
  # (an ended process not yet reaped reads as 0).
  local -A last_cpu=()
  for pid in "${sim_pids[@]}"; do last_cpu[$pid]=$(sim_cpu "$pid" 2>/dev/null || echo 0); done
  kill -TERM "${sim_pids[@]}" 2>/dev/null || true
  for _ in $(seq 500); do
    for pid in "${sim_pids[@]}"; do
      local now
      now=$(sim_cpu "$pid" 2>/dev/null) || continue
      last_cpu[$pid]=$(awk -v a="${last_cpu[$pid]:-0}" -v b="$now" 'BEGIN { print (b > a ? b : a) }')
    done
    kill -0 "${sim_pids[@]}" 2>/dev/null || break
    sleep 0.02
  done
  sim_life_cpu=$(printf '%s\n' 0 "${last_cpu[@]}" | awk '{ t += $1 } END { printf "%.2f", t }')
  for pid in "${sim_pids[@]}"; do
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  sim_pids=()
}
run_pid=""
cleanup() {
  # timeout passes the signal on to its whole process group, pelliset included.
  [ -z "$run_pid" ] || kill -TERM "$run_pid" 2>/dev/null || true
  stop_sim
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 2' INT TERM HUP

# True when nothing listens on any of the ports first..last of 127.0.0.1.
ports_free() {
  local first=$1 last=$2
  if command -v ss >/dev/null; then
    ss -Hltn 2>/dev/null | awk '{print $4}' | sed -n 's/.*:\([0-9]*\)$/\1/p' |
      awk -v a="$first" -v b="$last" '$1 >= a && $1 <= b {found = 1} END {exit found}'
  else
    local port
    for ((port = first; port <= last; port++)); do
      if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then return 1; fi
    done
  fi
}

# The first port of a free range of `need` ports: below the ephemeral ports when the range fits
# there, else above them, else anywhere from 1024 up.
port_ranges() {
  local need=$1 low high start end base
  read -r low high </proc/sys/net/ipv4/ip_local_port_range 2>/dev/null || { low=32768 high=60999; }
  if ((low - 1 - 1024 >= need)); then
    start=1024 end=$((low - need))
  elif ((65535 - high >= need)); then
    start=$((high + 1)) end=$((65536 - need))
  else
    start=1024 end=$((65536 - need))
  fi
  ((end >= start)) || die "$need ports do not fit below 65536"
  # From a random place, then on in steps, so that runs side by side seldom collide.
  base=$((start + (RANDOM * 32768 + RANDOM) % (end - start + 1)))
  for ((i = 0; i < 20; i++)); do
    echo "$base"
    base=$((base + need + 100))
    ((base <= end)) || base=$((start + (base - start) % (end - start + 1)))
  done
}

# Starts printer-sim with N+1 printers (in as many processes as the open-files limit needs) on a
# free range of ports with a fresh state folder; sets base_port and sim_pids. Another program may
# take a port between the check and the bind, so a failed start moves on to another range.
start_sim() {
  local state=$1 need=$((count + 1)) base sims size first i pid ready
  mkdir -p "$state"
  sims=$(((need + per_sim - 1) / per_sim))
  size=$(((need + sims - 1) / sims))
  for base in $(port_ranges "$need"); do
    ports_free "$base" $((base + need - 1)) || continue
    for ((i = 0, first = base; first < base + need; i++, first += size)); do
      local n=$((base + need - first < size ? base + need - first : size))
      "$sim" --count "$n" --port "$first" --state-dir "$state" >"$work/sim$i.out" \
        2>"$work/sim$i.err" &
      sim_pids+=($!)
    done
    for _ in $(seq 300); do
      ready=0
      for ((i = 0; i < sims; i++)); do
        ready=$((ready + $(grep -c '^printer-sim listening on ' "$work/sim$i.out" || true)))
      done
      if [ "$ready" -eq "$need" ]; then
        base_port=$base
        return 0
      fi
      for pid in "${sim_pids[@]}"; do kill -0 "$pid" 2>/dev/null || break 2; done
      sleep 0.1
    done
    stop_sim
    cat "$work"/sim*.err >"$work/sim.err"
    grep -q 'cannot bind' "$work/sim.err" ||
      die "printer-sim did not report $need listening printers within 30 s: $(cat "$work/sim.err")"
  done
  die "no free range of $need ports found on 127.0.0.1"
}

# The largest peak resident memory (MB) of the printer-sim processes so far.
sim_peak_mb() {
  local pid
  for pid in "${sim_pids[@]}"; do grep '^VmHWM:' "/proc/$pid/status"; done |
    awk '$2 > m { m = $2 } END { printf "%.0f\n", m / 1024 }'
}

# The CPU seconds (user + system) the printer-sim processes (or the one given) have used so far.
sim_cpu() {
  local pid
  for pid in "${@:-${sim_pids[@]}}"; do cat "/proc/$pid/stat"; done |
    awk -v hz="$(getconf CLK_TCK)" '{ sub(/.*\) /, ""); t += $12 + $13 } END { printf "%.2f\n", t / hz }'
}

# Runs pelliset with the arguments, timed; the JSON lines go to $1. Sets wall and cpu (seconds).
timed_pelliset() {
  local out=$1
  shift
  local start end status=0
  start=$(date +%s.%N)
  # In the background so that a signal to this script is acted on at once, not after the run.
  timeout "$run_limit" /usr/bin/time -o "$work/time.txt" -f '%U %S %M' \
    "$pelliset" "$@" --json >"$out" 2>"$work/pelliset.err" &
  run_pid=$!
  wait "$run_pid" || status=$?
  run_pid=""
  end=$(date +%s.%N)
  if [ "$status" -ne 0 ]; then
    echo "fleet.sh: pelliset exited with $status:" >&2
    cat "$work/pelliset.err" "$out" >&2
    exit 2
  fi
  wall=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }')
  cpu=$(tail -1 "$work/time.txt" | awk '{ printf "%.2f", $1 + $2 }')
  peak_mb=$(tail -1 "$work/time.txt" | awk '{ printf "%.0f", $3 / 1024 }')
}

# Checks that the JSON lines in $1 are $2 printers, every one ok and changed; prints the sum and
# the largest of their durations.
check_lines() {
  python3 - "$1" "$2" <<'PY'
import json, sys
path, want = sys.argv[1], int(sys.argv[2])
try:
    lines = [json.loads(l) for l in open(path) if l.strip()]
except ValueError as e:
    sys.exit(f"{path}: not JSON lines: {e}")
bad = [l for l in lines if l.get("result") != "ok" or l.get("changed") is not True]
if len(lines) != want or bad:
    print(f"expected {want} lines with result ok and changed true; got {len(lines)} lines, "
          f"{len(bad)} of them not", file=sys.stderr)
    for l in bad[:5]:
        print(f"  {l.get('address')}: {l.get('result')}, changed {l.get('changed')}: "
              f"{l.get('message')}", file=sys.stderr)
    sys.exit(1)
d = [float(l["duration"]) for l in lines]
print(f"{sum(d):.2f} {max(d):.2f}")
PY
}

run_single() {
  timed_pelliset "$work/single.json" -p "tcp://127.0.0.1:$base_port" settings set "${settings[@]}"
  check_lines "$work/single.json" 1 >/dev/null || die "single run: a bad result (above)"
  single_wall+=("$wall")
  single_cpu+=("$cpu")
}

run_fleet() {
  local before
  : >"$work/printers.txt"
  for ((i = 1; i <= count; i++)); do
    echo "tcp://127.0.0.1:$((base_port + i))" >>"$work/printers.txt"
  done
  before=$(sim_cpu)
  timed_pelliset "$work/fleet.json" --printers "$work/printers.txt" -j "$count" \
    settings set "${settings[@]}"
  local sum longest result
  result=$(check_lines "$work/fleet.json" "$count") || die "fleet run: a bad result (above)"
  read -r sum longest <<<"$result"
  fleet_wall+=("$wall")
  fleet_cpu+=("$cpu")
  fleet_peak+=("$peak_mb")
  fleet_sim_peak+=("$(sim_peak_mb)")
  fleet_sum+=("$sum")
  fleet_longest+=("$longest")
  fleet_sim_cpu+=("$(awk -v a="$before" -v b="$(sim_cpu)" 'BEGIN { printf "%.2f", b - a }')")
}

median() {
  printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
    printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

single_wall=() single_cpu=() fleet_wall=() fleet_cpu=() fleet_sum=() fleet_longest=()
fleet_sim_cpu=() fleet_peak=() fleet_sim_peak=() sim_round_cpu=()
echo "fleet benchmark: $count printers, $rounds rounds, $(nproc) CPUs"
echo "load before (uptime): $(uptime)"
for ((round = 1; round <= rounds; round++)); do
  start_sim "$work/state-$round"
  # Alternating order, so a load that comes and goes falls on both runs alike.
  if ((round % 2)); then
    run_single
    run_fleet
  else
    run_fleet
    run_single
  fi
  stop_sim
  sim_round_cpu+=("$sim_life_cpu")
  # Each round's state folder stays until the end: on a file system without a journal the next
  # round's ten thousand new files, made right after deleting as many, cost seconds of CPU in
  # the kernel (it steps past every inode deleted in the last half minute or so), which would be
  # the benchmark's own. A run started right after another still pays for the other's clean-up.
  printf 'round %d: single %ss, fleet %ss (ports %d-%d, load %s)\n' "$round" \
    "${single_wall[-1]}" "${fleet_wall[-1]}" "$base_port" $((base_port + count)) \
    "$(cut -d' ' -f1 /proc/loadavg)"
done
echo "load after (uptime): $(uptime)"

s=$(median "${single_wall[@]}")
f=$(median "${fleet_wall[@]}")
echo
printf '%-34s %s\n' "" "median of $rounds (each round)"
printf '%-34s %8s   (%s)\n' "single, 1 printer (s)" "$s" "${single_wall[*]}"
printf '%-34s %8s   (%s)\n' "fleet, $count printers -j $count (s)" "$f" "${fleet_wall[*]}"
ratio=$(awk -v s="$s" -v f="$f" 'BEGIN { printf "%.2f", f / s }')
verdict=$(awk -v r="$ratio" 'BEGIN { print (r <= 1.2 ? "PASS" : "FAIL") }')
printf '%-34s %8s   goal <= 1.2: %s\n' "ratio fleet / single" "$ratio" "$verdict"
printf '%-34s %8s   (%s)\n' "fleet: sum of printer durations (s)" "$(median "${fleet_sum[@]}")" \
  "${fleet_sum[*]}"
printf '%-34s %8s   (sum / wall %s)\n' "fleet: longest printer duration (s)" \
  "$(median "${fleet_longest[@]}")" \
  "$(awk -v a="$(median "${fleet_sum[@]}")" -v b="$f" 'BEGIN { printf "%.1f", a / b }')"
printf '%-34s %8s   (%s)\n' "pelliset CPU, single (s)" "$(median "${single_cpu[@]}")" \
  "${single_cpu[*]}"
printf '%-34s %8s   (%s)\n' "pelliset CPU, fleet (s)" "$(median "${fleet_cpu[@]}")" \
  "${fleet_cpu[*]}"
printf '%-34s %8s   (%s) goal < 256\n' "pelliset peak memory, fleet (MB)" \
  "$(median "${fleet_peak[@]}")" "${fleet_peak[*]}"
printf '%-34s %8s   (%s)\n' "printer-sim CPU during fleet (s)" "$(median "${fleet_sim_cpu[@]}")" \
  "${fleet_sim_cpu[*]}"
printf '%-34s %8s   (%s)\n' "printer-sim CPU, whole round (s)" "$(median "${sim_round_cpu[@]}")" \
  "${sim_round_cpu[*]}"
printf '%-34s %8s   (%s) goal < 512\n' "printer-sim peak memory (MB)" \
  "$(median "${fleet_sim_peak[@]}")" "${fleet_sim_peak[*]}"
[ "$verdict" = PASS ]
