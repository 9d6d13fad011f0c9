#!/usr/bin/env bash
# Checks a built package: every desktop entry and metainfo file validates,
# lintian finds no error, and the package unpacked into a temporary root
# recovers the sample card with its own salvex-scan, file for file as the
# build's salvex-scan does.
# Usage: check-package.sh salvex_<version>_<arch>.deb sample-card.img BUILT_SALVEX_SCAN
set -uo pipefail

deb=$1
card=$2
built_scan=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failed=0
problem() { echo "FAIL: $*"; failed=1; }

dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x $deb"; exit 1; }

entries=("$root"/usr/share/applications/*.desktop)
[ ${#entries[@]} -eq 7 ] || problem "${#entries[@]} desktop entries, not 7"
for entry in "${entries[@]}"; do
  desktop-file-validate "$entry" || problem "desktop-file-validate $(basename "$entry")"
  exec_line=$(sed -n 's/^Exec="\(.*\)"$/\1/p' "$entry")
  [ -x "$root$exec_line" ] || problem "$(basename "$entry") starts $exec_line, which the package lacks"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || problem "no icon $icon"
  grep -qF "<annotate key=\"org.freedesktop.policykit.exec.path\">$exec_line</annotate>" \
    "$root"/usr/share/polkit-1/actions/*.policy || problem "no polkit action runs $exec_line"
done
for metainfo in "$root"/usr/share/metainfo/*.xml; do
  appstreamcli validate --no-net "$metainfo" > /dev/null || problem "appstreamcli validate $(basename "$metainfo")"
done

# Lintian's errors fail the check; its warnings are listed for the record.
lintian_out=$(lintian --allow-root --tag-display-limit 0 "$deb" 2>&1)
echo "lintian:"
echo "${lintian_out:-  (nothing to say)}" | sed 's/^/  /'
if echo "$lintian_out" | grep -q '^E:'; then problem "lintian reports errors"; fi

# Each file's checksum; a report's without the time its search started.
tree() {
  (cd "$1" && find . -type f -print0 | sort -z | while IFS= read -r -d '' f; do
    case "$f" in
      */report.xml) printf '%s  %s\n' "$(sed '/<start_time>/d' "$f" | sha256sum | cut -d' ' -f1)" "$f" ;;
      *) sha256sum "$f" ;;
    esac
  done)
}
export XDG_DATA_HOME="$root/data"
if "$root/usr/bin/salvex-scan" --source "$card" --dest "$root/packaged" > "$root/scan.log" 2>&1 &&
   "$built_scan" --source "$card" --dest "$root/built" > "$root/scan.log" 2>&1; then
  found=$(find "$root/packaged" -type f | wc -l)
  [ "$found" -gt 0 ] || problem "the packaged salvex-scan recovered nothing from $card"
  [ "$(tree "$root/packaged")" = "$(tree "$root/built")" ] ||
    problem "the packaged salvex-scan recovered other files than the build's"
  echo "packaged salvex-scan: $found files recovered from $(basename "$card"), the same as the build's"
else
  cat "$root/scan.log"
  problem "salvex-scan failed on $card"
fi

[ $failed -eq 0 ] && echo "package check passed: $deb"
exit $failed
