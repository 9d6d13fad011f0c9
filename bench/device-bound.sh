#!/usr/bin/env bash
# The device-bound case of make bench: salvex-scan reading a card through a
# read-only loop device whose reads are held to what a good UHS-I reader gives
# (100 MiB/s), with the page cache kept small so no byte is read twice for free.
# Each time is a multiple of one plain read of the same device. Prints PASS or
# MISS and never fails on a miss; skips with one line when the machine lacks
# something it needs.
#   bench/device-bound.sh --image IMG --bin DIR --out DIR [--runs N]
set -euo pipefail
shopt -s inherit_errexit

image='' bin='' out='' runs=3
while [ $# -gt 0 ]; do
  case $1 in
    --image) image=$2; shift 2 ;;
    --bin) bin=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) echo "device-bound.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ -z "$image" ] || [ -z "$bin" ] || [ -z "$out" ] || ! [[ $runs =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: device-bound.sh --image IMG --bin DIR --out DIR [--runs N]" >&2; exit 2
fi

rate=104857600           # bytes per second
memory=$((256 << 20))    # page cache and all, for each timed command
scan=$bin/salvex-scan
export PATH="$PATH:/usr/sbin:/sbin"

skip() { echo "Device-bound case skipped: $*"; exit 0; }

[ "$(id -u)" -eq 0 ] || skip "it needs root (loop device, cgroups)"
for tool in losetup blockdev; do
  command -v "$tool" >/dev/null || skip "$tool is missing"
done
[ -s "$image" ] || skip "$image is missing (bench/make-photo-image.sh makes it)"
[ -x "$scan" ] || skip "$scan is missing"

# Where each timed command's limits go: cgroup v2 when /sys/fs/cgroup is one;
# on a machine that still mounts the v1 hierarchies, the blkio and memory ones,
# below the group this script runs in so its own limits still hold.
v1_group() {
  local mnt path
  mnt=$(awk -v c="$1" '$0 ~ / - cgroup / { n = split($NF, o, ","); for (i = 1; i <= n; i++) if (o[i] == c) print $5 }' \
    /proc/self/mountinfo | head -n1)
  path=$(awk -F: -v c="$1" '{ n = split($2, o, ","); for (i = 1; i <= n; i++) if (o[i] == c) print $3 }' /proc/self/cgroup)
  path=${mnt%/}${path%/}
  [ -n "$mnt" ] && [ -d "$path" ] && echo "$path"
}
cgroot=/sys/fs/cgroup
if [ "$(stat -fc %T "$cgroot" 2>/dev/null)" = cgroup2fs ]; then
  kind=v2
  for c in io memory; do
    grep -qw "$c" "$cgroot/cgroup.controllers" || skip "no $c controller in cgroup2"
  done
  echo "+io +memory" > "$cgroot/cgroup.subtree_control" 2>/dev/null ||
    skip "the io and memory controllers cannot be enabled in $cgroot"
  io_parent=$cgroot mem_parent=$cgroot
else
  kind=v1
  io_parent=$(v1_group blkio) || skip "no cgroup2 at $cgroot, nor a v1 blkio hierarchy (no io controller)"
  mem_parent=$(v1_group memory) || skip "no cgroup2 at $cgroot, nor a v1 memory hierarchy"
fi

dev='' groups=()
cleanup() {
  set +e
  [ -n "$dev" ] && losetup -d "$dev"
  rm -rf "$out"
  local g i
  for g in "${groups[@]}"; do
    # A command stopped by Ctrl-C may still be leaving the group.
    for i in 1 2 3 4 5 6 7 8 9 10; do rmdir "$g" 2>/dev/null && break; sleep 0.2; done
    [ -d "$g" ] && echo "device-bound.sh: could not remove $g" >&2
  done
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

dev=$(losetup -f --show -r "$image" 2>/dev/null) || { dev=''; skip "no free loop device"; }
[ -b "$dev" ] || skip "$dev did not appear as a block device"
majmin=$(<"/sys/class/block/${dev#/dev/}/dev")

procs=()
make_group() {
  mkdir "$1"
  groups=("$1" "${groups[@]}")
  procs+=("$1/cgroup.procs")
}
if [ $kind = v2 ]; then
  make_group "$cgroot/salvex-bench"
  echo "$majmin rbps=$rate" > "$cgroot/salvex-bench/io.max"
  echo "$memory" > "$cgroot/salvex-bench/memory.max"
else
  make_group "$io_parent/salvex-bench"
  echo "$majmin $rate" > "$io_parent/salvex-bench/blkio.throttle.read_bps_device"
  make_group "$mem_parent/salvex-bench"
  echo "$memory" > "$mem_parent/salvex-bench/memory.limit_in_bytes"
fi

scan_modes() {
  local mode
  for mode in "$@"; do
    local status=0
    "$scan" --source "$dev" --dest "$out" --mode "$mode" >/dev/null || status=$?
    [ $status -eq 0 ] || { echo "device-bound.sh: salvex-scan --mode $mode on $dev ended with status $status" >&2; return 1; }
  done
  sync -f "$out"
}
plain_read() { dd if="$dev" of=/dev/null bs=4M status=none; }

# Seconds of one run of "$@" inside the groups, from a device with nothing cached.
timed() {
  rm -rf "$out"; mkdir -p "$out"; sync
  blockdev --flushbufs "$dev"
  local t0=$EPOCHREALTIME
  (
    for p in "${procs[@]}"; do echo "$BASHPID" > "$p"; done
    "$@"
  )
  local t1=$EPOCHREALTIME
  rm -rf "$out"; sync
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", b - a }'
}
median_of_runs() {
  local i times=() what=$*
  for ((i = 0; i < runs; i++)); do
    times+=("$(timed "$@")")
    [ -z "${SALVEX_BENCH_VERBOSE:-}" ] || echo "    run $((i + 1)): ${times[-1]} s  ${what#scan_modes }" >&2
  done
  printf '%s\n' "${times[@]}" | sort -g | awk '{ t[NR] = $1 } END { print (NR % 2) ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'
}
verdict() { awk -v r="$1" -v g="$2" 'BEGIN { print (r <= g) ? "PASS" : "MISS" }'; }

bytes=$(blockdev --getsize64 "$dev")
echo
echo "Device-bound case: $(basename "$image") through $dev (read-only), reads held to $((rate >> 20)) MiB/s" \
  "and memory to $((memory >> 20)) MiB (cgroup $kind), median of $runs run$([ "$runs" = 1 ] || echo s);" \
  "each search up to a sync of $out, emptied after each run:"
read_s=$(median_of_runs plain_read)
awk -v s="$read_s" -v b="$bytes" 'BEGIN { printf "  %-34s %8.3f s %7.1f MB/s\n", "dd bs=4M of the device", s, b / s / 1e6 }'

report() {  # label seconds goal
  local ratio
  ratio=$(awk -v s="$2" -v r="$read_s" 'BEGIN { printf "%.2f", s / r }')
  printf '  %-34s %8.3f s %6.2fx the read   goal <= %.2fx  %s\n' "$1" "$2" "$ratio" "$3" "$(verdict "$ratio" "$3")"
}
photo_s=$(median_of_runs scan_modes photo)
report "photo mode, both passes" "$photo_s" 1.2
every_s=$(median_of_runs scan_modes all)
report "--mode all, both passes" "$every_s" 1.5
