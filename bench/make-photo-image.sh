#!/usr/bin/env bash
# Makes, once, a FAT32 card image of about SIZE_MIB MiB filled with photo-like
# JPEGs: a few dozen distinct ones copied under many names, as a camera's DCIM
# folders would hold them. Beside it, IMAGE.files holds how many files it got.
#   bench/make-photo-image.sh IMAGE [SIZE_MIB]
set -euo pipefail

image=$1
size_mib=${2:-1024}
distinct=36
[ -s "$image" ] && [ -s "$image.files" ] && exit 0

# The stand-in that may sit earlier on PATH cannot draw these; mkfs.vfat lives in sbin.
convert=/usr/bin/convert
export PATH="$PATH:/usr/sbin:/sbin"
for tool in "$convert" mkfs.vfat mcopy; do
  command -v "$tool" >/dev/null || { echo "make-photo-image: $tool is missing" >&2; exit 1; }
done

mkdir -p "$(dirname "$image")"
work=$(mktemp -d "$image.work.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src"

echo "Making $distinct photo-like JPEGs for the card image (once)..."
# Smooth fractal scenery plus sensor-like noise compresses as camera photos do;
# sizes, noise and quality vary so the files span 1 to 8 MB.
one_photo() {
  local i=$1 convert=$2 dir=$3
  local sizes=(3000x2000 4000x3000 4608x3456 3264x2448 2592x1944 5184x3456)
  local noises=(0.3 0.4 0.5)
  local size=${sizes[$((i % 6))]} noise=${noises[$((i % 3))]} quality=$((86 + 2 * (i % 4)))
  local raw="$dir/$i.miff" out="$dir/$i.jpg"
  "$convert" -seed "$i" -size "$size" plasma:fractal -blur 0x2 -attenuate "$noise" +noise Gaussian "$raw"
  local interlace=None
  [ $((i % 5)) -eq 0 ] && interlace=JPEG
  while :; do
    "$convert" "$raw" -interlace "$interlace" -quality "$quality" "$out"
    local bytes
    bytes=$(stat -c %s "$out")
    if [ "$bytes" -gt 8000000 ] && [ "$quality" -gt 60 ]; then quality=$((quality - 4))
    elif [ "$bytes" -lt 1000000 ] && [ "$quality" -lt 98 ]; then quality=$((quality + 2))
    else break
    fi
  done
  rm -f "$raw"
}
export -f one_photo
seq 1 "$distinct" | xargs -P "$(nproc)" -I{} bash -c 'one_photo "$@"' _ {} "$convert" "$work/src"

# Copies under camera-style names until the card is nearly full.
target=$(( size_mib * 1024 * 1024 * 96 / 100 ))
total=0 n=0
mkdir -p "$work/card/DCIM"
while :; do
  for i in $(seq 1 "$distinct"); do
    src="$work/src/$i.jpg"
    bytes=$(stat -c %s "$src")
    [ $((total + bytes)) -gt "$target" ] && break 2
    n=$((n + 1))
    folder="$work/card/DCIM/$((100 + (n - 1) / 100))SALVX"
    mkdir -p "$folder"
    ln "$src" "$folder/$(printf 'IMG_%04d.JPG' "$n")"
    total=$((total + bytes))
  done
done

rm -f "$image.tmp"
mkfs.vfat -F 32 -n SALVEXBENCH -C "$image.tmp" $(( size_mib * 1024 )) >/dev/null
mcopy -i "$image.tmp" -s -Q "$work/card/DCIM" ::/
mv "$image.tmp" "$image"
echo "$n" > "$image.files"
echo "Card image: $image, $n JPEGs, $((total / 1000000)) MB"
