#!/usr/bin/env bash
# Measures bmp2nv against ImageMagick and Pillow on one large logo: a 5000 x 4000 24-bit BMP
# scaled to the printable width (384 dots) and thresholded to one bit, and against the floor of
# any conversion: reading the file from the page cache (dd). Each command runs 7 times; the median
# wall time, the median processor time (user + system, steadier on a busy machine) and the median
# peak resident memory are printed, with bmp2nv's ratios. A peer that is not installed is skipped
# with a line saying so.
#
#   tools/bench/nv_convert.sh [BMP2NV]     (default: build-bench/tools/bmp2nv, built optimised)
set -euo pipefail
cd "$(dirname "$0")/../.."

bmp2nv=${1:-}
if [ -z "$bmp2nv" ]; then
  cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPELLISET_WERROR=OFF >/dev/null
  cmake --build build-bench -j2 --target bmp2nv >/dev/null 2>&1
  bmp2nv=build-bench/tools/bmp2nv
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
in=$work/big.bmp

# Any Python 3 writes the test picture; Pillow may live in another one (the system's).
python=python3
pillow_python=""
for p in python3 /usr/bin/python3; do
  if command -v "$p" >/dev/null && "$p" -c 'import PIL' 2>/dev/null; then pillow_python=$p; break; fi
done

"$python" - "$in" <<'PY'
import struct, sys
w, h = 5000, 4000
stride = (w * 3 + 3) & ~3
with open(sys.argv[1], "wb") as f:
    f.write(b"BM" + struct.pack("<IHHI", 54 + stride * h, 0, 0, 54))
    f.write(struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, stride * h, 2835, 2835, 0, 0))
    # Diagonal bands of grey and colour, so neither the scaler nor the threshold has it easy.
    for y in range(h):
        row = bytearray()
        for band in range(0, w, 50):
            shade = ((band + y) // 50 * 37) % 256
            row += bytes((shade, (shade * 3) % 256, 255 - shade)) * 50
        f.write(bytes(row[: w * 3]) + b"\0" * (stride - w * 3))
PY

# Prints "wall-seconds cpu-seconds kilobytes", each the median of 7 runs of the command. The peak
# memory comes from /usr/bin/time, whose child starts small (a child forked from Python would
# count Python's pages as its own); the processor time from wait4, to the microsecond.
cat >"$work/measure.py" <<'PY'
import os, statistics, subprocess, sys, tempfile, time
walls, cpus, peaks = [], [], []
with tempfile.NamedTemporaryFile("r") as peak:
    for _ in range(7):
        start = time.perf_counter()
        child = subprocess.Popen(["/usr/bin/time", "-o", peak.name, "-f", "%M"] + sys.argv[1:],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(child.pid, 0)
        walls.append(time.perf_counter() - start)
        cpus.append(usage.ru_utime + usage.ru_stime)
        peak.seek(0)
        peaks.append(int(peak.read().split()[-1]))
print(f"{statistics.median(walls):.4f} {statistics.median(cpus):.4f} {statistics.median(peaks)}")
PY
measure() { "$python" "$work/measure.py" "$@"; }

# One run first: it must succeed, or there is nothing to measure.
"$bmp2nv" "$in" -o "$work/out.nv"

printf '%-12s %9s %9s %9s\n' tool "wall s" "cpu s" "peak MiB"
read -r ours_t ours_c ours_m < <(measure "$bmp2nv" "$in" -o "$work/out.nv")
printf '%-12s %9s %9s %9.1f\n' bmp2nv "$ours_t" "$ours_c" "$(awk "BEGIN{print $ours_m / 1024}")"

report_peer() {
  local name=$1 t=$2 c=$3 m=$4
  awk -v n="$name" -v t="$t" -v c="$c" -v m="$m" -v ot="$ours_t" -v oc="$ours_c" -v om="$ours_m" \
    'BEGIN {
    printf "%-12s %9s %9s %9.1f   bmp2nv / this: wall %.3f, cpu %.3f, memory %.3f\n",
           n, t, c, m / 1024, (t > 0 ? ot / t : 0), (c > 0 ? oc / c : 0), om / m }'
}

read -r dd_t dd_c dd_m < <(measure dd if="$in" of=/dev/null bs=1M)
report_peer "read (dd)" "$dd_t" "$dd_c" "$dd_m"

magick=""
for c in convert /usr/bin/convert; do
  if "$c" -version 2>/dev/null | grep -q 'Version: ImageMagick'; then magick=$c; break; fi
done
if [ -n "$magick" ]; then
  read -r im_t im_c im_m < <(measure "$magick" "$in" -resize 384x -threshold 88% "$work/out.pbm")
  report_peer ImageMagick "$im_t" "$im_c" "$im_m"
else
  echo "ImageMagick: not installed, skipped (apt-get install imagemagick)"
fi

if [ -n "$pillow_python" ]; then
  cat >"$work/pillow.py" <<'PY'
import sys
from PIL import Image
im = Image.open(sys.argv[1])
w, h = im.size
im = im.resize((384, h * 384 // w))
im.convert("L").point(lambda v: 255 if v >= 226 else 0).convert("1").save(sys.argv[2])
PY
  read -r pil_t pil_c pil_m < <(measure "$pillow_python" "$work/pillow.py" "$in" "$work/out.png")
  report_peer Pillow "$pil_t" "$pil_c" "$pil_m"
else
  echo "Pillow: not installed, skipped (apt-get install python3-pil)"
fi
