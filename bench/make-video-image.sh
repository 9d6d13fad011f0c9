#!/usr/bin/env bash
# Makes, once, a FAT32 card image of about SIZE_MIB MiB filled with camera-like
# MP4 videos: a few distinct H.264 clips copied under many names. Beside it,
# IMAGE.files holds how many files it got.
#   bench/make-video-image.sh IMAGE [SIZE_MIB]
set -euo pipefail

image=$1
size_mib=${2:-1024}
distinct=6
[ -s "$image" ] && [ -s "$image.files" ] && exit 0
export PATH="$PATH:/usr/sbin:/sbin"
for tool in ffmpeg mkfs.vfat mcopy; do
  command -v "$tool" >/dev/null || { echo "make-video-image: $tool is missing" >&2; exit 1; }
done

mkdir -p "$(dirname "$image")"
work=$(mktemp -d "$image.work.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src" "$work/card/DCIM"

echo "Making $distinct camera-like videos for the card image (once)..."
# Moving test patterns with noise compress like real footage; bit rates vary so
# the clips span about 20 to 60 MB.
for i in $(seq 1 "$distinct"); do
  ffmpeg -loglevel error -y -f lavfi -i "testsrc2=duration=20:size=1280x720:rate=30,noise=alls=$((10 + 4 * i)):allf=t" \
    -f lavfi -i "sine=frequency=$((300 + 100 * i)):duration=20" -c:v libx264 -preset ultrafast \
    -b:v "$((8 + 3 * i))M" -c:a aac -movflags +faststart "$work/src/$i.mp4"
done

target=$(( size_mib * 1024 * 1024 * 96 / 100 ))
total=0 n=0
while :; do
  for i in $(seq 1 "$distinct"); do
    src="$work/src/$i.mp4"
    bytes=$(stat -c %s "$src")
    [ $((total + bytes)) -gt "$target" ] && break 2
    n=$((n + 1))
    ln "$src" "$work/card/DCIM/$(printf 'MOV_%04d.MP4' "$n")"
    total=$((total + bytes))
  done
done

rm -f "$image.tmp"
mkfs.vfat -F 32 -n SALVEXVIDEO -C "$image.tmp" $(( size_mib * 1024 )) >/dev/null
mcopy -i "$image.tmp" -s -Q "$work/card/DCIM" ::/
mv "$image.tmp" "$image"
echo "$n" > "$image.files"
echo "Card image: $image, $n videos, $((total / 1000000)) MB"
