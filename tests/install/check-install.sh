#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a user gets there: exactly
# the expected files, icons of their stated sizes, a desktop entry and metainfo that
# validate, manual pages that render without warnings, and tools that report the
# build's version from any directory.
# usage: check-install.sh CMAKE BUILD_DIR VERSION DESKTOP_ID PYTHON PYTHON_DIR PYTHON_MODULE
set -euo pipefail
cmake=$1 build=$2 version=$3 id=$4 python=$5 python_dir=$6 python_module=$7

# Staged under /usr, as the package installs it, so that appstreamcli can check the
# tree as a whole.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
prefix=$stage/usr
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
# Runs a checker; any output, or a failing status, is a failure.
quiet() {
  local what=$1 out
  shift
  if ! out=$("$@" 2>&1) || [ -n "$out" ]; then fail "$what: $out"; fi
}

DESTDIR=$stage "$cmake" --install "$build" --prefix /usr >/dev/null

sizes=(16 22 24 32 48 64 128 256)
expected=(
  bin/wavelet bin/wavelet-batch bin/wavelet-average bin/wavelet-cohort
  libexec/wavelet/wavelet-report-pages libexec/wavelet/wavelet-read-recording
  libexec/wavelet/wavelet-cohort-pictures
  "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
  share/man/man1/wavelet.1.gz share/man/man1/wavelet-batch.1.gz share/man/man1/wavelet-average.1.gz
  "$python_dir/$python_module" "$python_dir/wavelet_ecg.pyi"
  share/man/man1/wavelet-cohort.1.gz
)
for size in "${sizes[@]}"; do expected+=("share/icons/hicolor/${size}x$size/apps/$id.png"); done
if ! difference=$(diff <(printf '%s\n' "${expected[@]}" | LC_ALL=C sort) \
                       <(cd "$stage" && find . ! -type d | sed 's|^\./usr/||' | LC_ALL=C sort)); then
  fail "installed files (> unexpected, < missing):"$'\n'"$difference"
fi

for size in "${sizes[@]}"; do
  png="$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
  [ -f "$png" ] || continue
  # IHDR: width and height, big-endian, at bytes 16 to 23.
  actual=$(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8}')
  [ "$actual" = "${size}x$size" ] || fail "$id.png in ${size}x$size is $actual"
done

desktop="$prefix/share/applications/$id.desktop"
quiet "desktop-file-validate" desktop-file-validate "$desktop"
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -x "$prefix/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not an installed program"
grep -qx "Icon=$id" "$desktop" || fail "the desktop entry's Icon is not $id"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
out=$(appstreamcli validate --no-net --strict "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
# The tree: the metainfo's launchable names an installed desktop entry.
out=$(appstreamcli validate-tree --no-net --strict "$stage" 2>&1) || fail "appstreamcli validate-tree: $out"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"

for page in wavelet wavelet-batch wavelet-average wavelet-cohort; do
  file="$prefix/share/man/man1/$page.1.gz"
  [ -f "$file" ] || continue
  quiet "groff -ww $page.1" sh -c "gzip -dc '$file' | LC_ALL=C.UTF-8 groff -man -ww -z"
  quiet "man --warnings $page.1" sh -c "LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l '$file' >/dev/null"
  gzip -dc "$file" | grep -q "^\.TH .*\"wavelet $version\"" || fail "$page(1) does not name version $version"
done

# From another directory, as a user on PATH would run it.
actual=$(cd / && "$prefix/bin/wavelet-batch" --version) || fail "wavelet-batch --version failed"
[ "$actual" = "wavelet-batch $version" ] || fail "wavelet-batch --version printed \"$actual\""
actual=$(cd / && "$prefix/libexec/wavelet/wavelet-report-pages" --version) || fail "wavelet-report-pages --version failed"
[[ "$actual" == *"$version"* ]] || fail "wavelet-report-pages --version printed \"$actual\""
actual=$(cd / && "$prefix/bin/wavelet-cohort" --version) || fail "wavelet-cohort --version failed"
[ "$actual" = "wavelet-cohort $version" ] || fail "wavelet-cohort --version printed \"$actual\""

# The installed module finds the installed recording reader: a file that is no
# recording is refused by the reader, not for want of it.
junk=$stage/junk.edf
printf 'not a recording' >"$junk"
# (A sanitized build's module needs its runtime preloaded, as its own tests do.)
preload=()
[ -n "${WAVELET_PYTHON_PRELOAD:-}" ] &&
  preload=(env "LD_PRELOAD=$WAVELET_PYTHON_PRELOAD" ASAN_OPTIONS=detect_leaks=0:abort_on_error=1)
out=$(cd / && PYTHONPATH="$prefix/$python_dir" "${preload[@]}" "$python" -c '
import sys, wavelet_ecg
try:
    wavelet_ecg.read_recording(sys.argv[1])
except ValueError as refusal:
    print(refusal)
' "$junk" 2>&1) || fail "the installed module: $out"
[[ "$out" == *"$junk"* && "$out" != *"not installed"* ]] || fail "the installed module's reader: $out"

[ "$failures" -eq 0 ] && echo "install into a scratch prefix: all checks passed"
exit "$failures"
