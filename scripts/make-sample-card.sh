#!/usr/bin/env bash
# Makes the sample memory card: a 64 MiB FAT32 image that has lived a little.
# Photos of every common kind are copied in, some are deleted, then the card is
# quick-formatted and a couple of new photos go on top, so a recovery finds
# deleted photos, photos from before the format and the card's live ones.
#
# The same Debian packages give the same bytes on every run: fixed seeds,
# dates and volume id, and no encoder writes a timestamp.
set -euo pipefail

usage() {
  cat <<'EOF'
Usage: make-sample-card.sh [--photos DIR] [--unformatted IMAGE] OUT_IMAGE

  --photos DIR         keep the photos that went onto the card: DIR/before-format/,
                       DIR/after-format/, and DIR/deleted.txt naming those deleted
                       before the format
  --unformatted IMAGE  also save the card as it was just before the quick format
EOF
}

photos_dir=""
unformatted=""
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --photos) [ $# -ge 2 ] || { usage >&2; exit 2; }; photos_dir=$2; shift 2 ;;
    --unformatted) [ $# -ge 2 ] || { usage >&2; exit 2; }; unformatted=$2; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    -*) echo "make-sample-card.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
    *) [ -z "$out" ] || { usage >&2; exit 2; }; out=$1; shift ;;
  esac
done
[ -n "$out" ] || { usage >&2; exit 2; }

die() { echo "make-sample-card.sh: $*" >&2; exit 1; }

# The real ImageMagick: /usr/local/bin may hold a stand-in called convert.
IM=/usr/bin/convert
if ! { [ -x "$IM" ] && "$IM" -version 2>/dev/null | grep -q ImageMagick; }; then
  die "ImageMagick's $IM is missing (apt-get install imagemagick)"
fi
"$IM" -list format 2>/dev/null | grep -qE '^ *WEBP\*? +WEBP +rw' ||
  die "ImageMagick here cannot write WebP (apt-get install imagemagick libwebp7)"
export PATH=$PATH:/usr/sbin:/sbin
for tool in cwebp:webp mkfs.vfat:dosfstools fsck.vfat:dosfstools mcopy:mtools mdel:mtools mdir:mtools \
            mshowfat:mtools xxd:xxd cmp:diffutils od:coreutils; do
  command -v "${tool%%:*}" >/dev/null 2>&1 || die "${tool%%:*} is missing (apt-get install ${tool#*:})"
done

# Dates in directory entries are local time; plasma and noise are seeded, and
# one thread keeps the seeded sequence in the same order.
export TZ=UTC LC_ALL=C MTOOLS_SKIP_CHECK=1 MAGICK_THREAD_LIMIT=1
export MTOOLSRC=/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/sample-card.XXXXXX")
trap 'rm -rf "$work"' EXIT
first="$work/before-format"
second="$work/after-format"
mkdir -p "$first" "$second"

# A photo-like picture: a seeded plasma enlarged and grained, so it compresses
# as camera output does rather than as a flat test pattern.
encode() {  # seed geometry colours out [options...]
  local seed=$1 geometry=$2 colours=$3 target=$4
  shift 4
  "$IM" -seed "$seed" -size "$(( ${geometry%x*} / 3 ))x$(( ${geometry#*x} / 3 ))" "plasma:$colours" \
    -resize "${geometry}!" -attenuate 0.25 +noise Gaussian -strip "$@" \
    +set date:create +set date:modify "$target"
}

# Swaps the encoder's JFIF segment for another opening; "" leaves none, so the
# quantisation table comes first as on some phones and dashcams.
reopen_jpeg() {  # file hex-of-new-first-segment
  [ "$(xxd -p -l 6 "$1")" = ffd8ffe00010 ] || die "$1 does not start with the expected JFIF segment"
  { printf '\xff\xd8'; [ -z "$2" ] || xxd -r -p <<<"$2"; tail -c +21 "$1"; } >"$1.new"
  mv "$1.new" "$1"
}
# A minimal Exif segment (empty IFD0), which is how camera files open.
exif_app1=ffe1001645786966000049492a0008000000000000000000

# Before the format: DCIM/100SALVX as a camera fills it.
dcim="$first/DCIM/100SALVX"
mkdir -p "$dcim"
encode 101 3000x2000 orange-navy "$dcim/IMG_0001.JPG" -quality 88
encode 102 1920x1280 skyblue-darkgreen "$dcim/IMG_0002.JPG" -quality 90
reopen_jpeg "$dcim/IMG_0002.JPG" "$exif_app1"
encode 103 640x480 khaki-firebrick "$dcim/IMG_0003.JPG" -quality 85
reopen_jpeg "$dcim/IMG_0003.JPG" ""
encode 104 1024x768 gold-purple "$dcim/IMG_0004.JPG" -quality 92
encode 105 800x600 white-teal "$dcim/IMG_0005.PNG" -define png:exclude-chunks=date,time
encode 106 480x320 pink-black "$dcim/IMG_0006.GIF" -colors 128
encode 107 160x120 yellow-blue "GIF87:$dcim/IMG_0007.GIF" -colors 32
encode 108 640x480 tan-maroon "$dcim/IMG_0008.TIF" -compress zip
encode 109 640x480 silver-indigo "$dcim/IMG_0009.TIF" -compress lzw -define tiff:endian=msb
encode 110 320x240 salmon-olive "BMP3:$dcim/IMG_0010.BMP"
encode 111 200x150 cyan-brown "$dcim/IMG_0011.BMP"
encode 112 256x192 lime-navy "BMP3:$dcim/IMG_0012.BMP" -colors 200 -type palette
encode 113 1280x720 coral-slategray "$work/IMG_0013.png" -define png:exclude-chunks=date,time
cwebp -quiet -q 80 -metadata none "$work/IMG_0013.png" -o "$dcim/IMG_0013.WEBP"
encode 114 320x240 plum-darkcyan "$dcim/IMG_0014.WEBP" -define webp:lossless=true

# After the format: the camera starts over.
dcim2="$second/DCIM/100SALVX"
mkdir -p "$dcim2"
encode 201 800x600 peru-midnightblue "$dcim2/IMG_0101.JPG" -quality 90
encode 202 400x300 orchid-seagreen "$dcim2/IMG_0102.PNG" -define png:exclude-chunks=date,time

check_magic() {  # file hex
  [ "$(xxd -p -l $(( ${#2} / 2 )) "$1")" = "$2" ] || die "$1 does not start with $2"
}
check_magic "$dcim/IMG_0001.JPG" ffd8ffe0
check_magic "$dcim/IMG_0002.JPG" ffd8ffe1
check_magic "$dcim/IMG_0003.JPG" ffd8ffdb
check_magic "$dcim/IMG_0007.GIF" 474946383761
check_magic "$dcim/IMG_0006.GIF" 474946383961
check_magic "$dcim/IMG_0008.TIF" 49492a00
check_magic "$dcim/IMG_0009.TIF" 4d4d002a
check_magic "$dcim/IMG_0013.WEBP" 52494646

tree_date='2024-05-04 09:30:00'
touch -d "$tree_date" "$first/DCIM" "$dcim" "$second/DCIM" "$dcim2"
n=0
for f in "$dcim"/* "$dcim2"/*; do
  n=$((n + 1))
  touch -d "2024-05-04 10:$(printf %02d $n):00" "$f"
done

image="$work/card.img"
fat_options=(-F 32 -s 1 -S 512 --invariant -i 5A17E0C1 -n SALVEX_CARD)
# One sector per cluster makes 64 MiB comfortably FAT32 (more than 65525 clusters).
mkfs.vfat -C "${fat_options[@]}" "$image" 65536 >/dev/null

# Folders come over empty with their dates, then files one by one in name order,
# so the disk layout never depends on the order the host lists a folder in.
copy_photos() {  # photo-root
  local root=$1 empty="$work/empty-tree"
  rm -rf "$empty"
  mkdir -p "$empty/DCIM/100SALVX"
  touch -d "$tree_date" "$empty/DCIM" "$empty/DCIM/100SALVX"
  mcopy -i "$image" -s -m "$empty/DCIM" ::/
  local f
  for f in $(cd "$root/DCIM/100SALVX" && printf '%s\n' * | sort); do
    mcopy -i "$image" -m "$root/DCIM/100SALVX/$f" ::/DCIM/100SALVX/
  done
}
copy_photos "$first"

deleted=(IMG_0002.JPG IMG_0005.PNG IMG_0008.TIF IMG_0011.BMP IMG_0013.WEBP)
for f in "${deleted[@]}"; do mdel -i "$image" "::/DCIM/100SALVX/$f"; done
fsck.vfat -n "$image" >/dev/null || die "the card before the format does not check clean"
[ -z "$unformatted" ] || cp "$image" "$work/unformatted.img"

# Quick format: the same layout written over the old card, without -C, so only
# the boot sectors, the FATs and the root folder are new.
read_le() { od -A n -t "u$2" -j "$1" -N "$2" "$image" | tr -d ' '; }
sector_size=$(read_le 11 2)
cluster_bytes=$(( $(read_le 13 1) * sector_size ))
data_start=$(( ($(read_le 14 2) + $(read_le 16 1) * $(read_le 36 4)) * sector_size ))
# A photo still listed before the format, and where it lies.
witness=IMG_0004.JPG
witness_cluster=$(mshowfat -i "$image" "::/DCIM/100SALVX/$witness" | sed -n 's/.*<\([0-9]*\)[->].*/\1/p')
[ -n "$witness_cluster" ] || die "cannot tell where $witness lies on the card"
witness_at=$(( data_start + (witness_cluster - 2) * cluster_bytes ))
before="$work/before.img"
cp "$image" "$before"
mkfs.vfat "${fat_options[@]}" -i 5A17E0C2 "$image" >/dev/null
listing=$(mdir -i "$image" -b ::)
[ -z "$listing" ] || die "the quick-formatted card still lists files"
# Everything past the new root folder's cluster must be the old card's bytes,
# the witness photo among them, byte for byte where it was.
keep_from=$(( data_start + cluster_bytes ))
cmp -s -i "$keep_from" "$before" "$image" || die "the quick format changed data past byte $keep_from"
cmp -s -n "$(stat -c %s "$dcim/$witness")" -i "0:$witness_at" "$dcim/$witness" "$image" ||
  die "$witness is not at byte $witness_at after the format"
rm -f "$before"

copy_photos "$second"
fsck.vfat -n "$image" >/dev/null || die "the card after the format does not check clean"

if [ -n "$photos_dir" ]; then
  rm -rf "$photos_dir"
  mkdir -p "$photos_dir/before-format" "$photos_dir/after-format"
  cp -p "$dcim"/* "$photos_dir/before-format/"
  cp -p "$dcim2"/* "$photos_dir/after-format/"
  printf '%s\n' "${deleted[@]}" >"$photos_dir/deleted.txt"
fi
if [ -n "$unformatted" ]; then
  mkdir -p "$(dirname "$unformatted")"
  mv "$work/unformatted.img" "$unformatted"
fi
mkdir -p "$(dirname "$out")"
mv "$image" "$out"
