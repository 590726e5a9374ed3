#!/usr/bin/env bash
# `make run` from a fresh clone builds every program the window and the README's
# examples run (the window's import runs the recording reader, `wavelet-batch
# --reports` the page helper) and none of the tests, as `make tools` does; it starts
# in a folder whose one subfolder holds the demo records, and without a display says
# how to get one instead of failing inside the toolkit.
# Usage: check-make-run.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check-make-run: $*" >&2; exit 1; }

# The programs the README's examples start ("build/NAME " and its arguments; the Python
# module's folder, build/python, is none), and the window's companions.
mapfile -t needed < <({ grep -oE 'build/[a-z][a-z-]* ' "$source_dir/README.md" | sed 's|build/||; s| $||' |
  grep -vx python
  printf '%s\n' wavelet wavelet-read-recording wavelet-report-pages wavelet-cohort-pictures; } | sort -u)
[ "${#needed[@]}" -gt 3 ] || fail "no programs found in the README's examples"

# The targets the plan of `make TARGET` builds; none of them a test or a benchmark.
targets_of() {
  local plan=$1 builds
  builds=$(grep -E 'cmake --build' <<<"$plan" || true)
  [ -n "$builds" ] || fail "make $2 builds nothing: $plan"
  sed -nE 's/.*--target (.*)$/\1/p' <<<"$builds" | tr ' ' '\n' | sed '/^$/d' | sort -u
  while read -r line; do
    [[ $line == *"--target "* ]] || fail "make $2 builds everything, the tests too: $line"
  done <<<"$builds"
}
check_targets() {
  local built
  built=$(targets_of "$1" "$2")
  for program in "${needed[@]}"; do
    grep -qx -- "$program" <<<"$built" || fail "make $2 does not build $program: $built"
  done
  if grep -qE '^(test_|bench_|fuzz_)' <<<"$built"; then fail "make $2 builds tests: $built"; fi
}

plan=$(DISPLAY=:99 make -n -C "$source_dir" run BUILD="$scratch/build")
check_targets "$plan" run
check_targets "$(make -n -C "$source_dir" tools BUILD="$scratch/build")" tools
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
