#!/usr/bin/env bash
# `make run` from a fresh clone builds the window and the sample generator only (not
# the test programs), starts in a folder whose one subfolder holds the demo records,
# and without a display says how to get one instead of failing inside the toolkit.
# Usage: check-make-run.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-make-run: $*" >&2; exit 1; }

plan=$(DISPLAY=:99 make -n -C "$source_dir" run BUILD="$scratch/build")
builds=$(grep -E 'cmake --build' <<<"$plan" || true)
[ -n "$builds" ] || fail "make run builds nothing: $plan"
while read -r line; do
  [[ $line == *"--target wavelet make-sample-records"* ]] || fail "make run builds more than the window: $line"
done <<<"$builds"
grep -q "make-sample-records $scratch/build/run/samples" <<<"$plan" || fail "samples not in the run folder: $plan"
grep -q "cd $scratch/build/run && ../wavelet" <<<"$plan" || fail "not started in the run folder: $plan"
# The packages come first: the hint for a machine without a screen needs xvfb.
deps_line=$(grep -n "install-deps.sh" <<<"$plan" | head -1 | cut -d: -f1)
check_line=$(grep -n "no display to show" <<<"$plan" | head -1 | cut -d: -f1)
[ -n "$deps_line" ] && [ -n "$check_line" ] && [ "$deps_line" -lt "$check_line" ] ||
  fail "make run checks for a display before it installs packages"

if message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM make -s -C "$source_dir" run-display 2>&1); then
  fail "make run went on without a display"
fi
grep -q "xvfb-run" <<<"$message" || fail "no hint for running without a display: $message"
echo "check-make-run: ok"
