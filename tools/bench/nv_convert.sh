#!/usr/bin/env bash
# Measures bmp2nv against ImageMagick and Pillow on one large logo: a 5000 x 4000 24-bit BMP
# scaled to the printable width (384 dots) and thresholded to one bit. Each tool runs 5 times;
# the median wall time and the median peak resident memory are printed, with bmp2nv's ratios.
# A peer that is not installed is skipped with a line saying so.
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

# Prints "seconds kilobytes" of the median of 5 runs of the command.
measure() {
  local times=() mems=()
  for _ in 1 2 3 4 5; do
    local out
    /usr/bin/time -o "$work/time.txt" -f '%e %M' "$@" >/dev/null 2>&1 || true
    out=$(tail -1 "$work/time.txt")
    times+=("${out% *}")
    mems+=("${out#* }")
  done
  local t m
  t=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
  m=$(printf '%s\n' "${mems[@]}" | sort -n | sed -n 3p)
  echo "$t $m"
}

printf '%-12s %10s %12s\n' tool "seconds" "peak MiB"
read -r ours_t ours_m < <(measure "$bmp2nv" "$in" -o "$work/out.nv")
printf '%-12s %10s %12.1f\n' bmp2nv "$ours_t" "$(awk "BEGIN{print $ours_m / 1024}")"

report_peer() {
  local name=$1 t=$2 m=$3
  awk -v n="$name" -v t="$t" -v m="$m" -v ot="$ours_t" -v om="$ours_m" 'BEGIN {
    printf "%-12s %10s %12.1f   bmp2nv takes %.3f of its time, %.3f of its memory\n",
           n, t, m / 1024, (t > 0 ? ot / t : 0), om / m }'
}

magick=""
for c in convert /usr/bin/convert; do
  if "$c" -version 2>/dev/null | grep -q 'Version: ImageMagick'; then magick=$c; break; fi
done
if [ -n "$magick" ]; then
  read -r im_t im_m < <(measure "$magick" "$in" -resize 384x -threshold 88% "$work/out.pbm")
  report_peer ImageMagick "$im_t" "$im_m"
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
  read -r pil_t pil_m < <(measure "$pillow_python" "$work/pillow.py" "$in" "$work/out.png")
  report_peer Pillow "$pil_t" "$pil_m"
else
  echo "Pillow: not installed, skipped (apt-get install python3-pil)"
fi
