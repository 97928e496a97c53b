#!/usr/bin/env bash
# tests/fuzz/run-fuzz.sh [SECONDS, default 60]: builds the box fuzz target with clang and
# sanitizers in a build folder of its own (VAULNIX_FUZZ_BUILD_DIR, default build-fuzz; jobs
# VAULNIX_FUZZ_JOBS, default 1), runs it, and checks that it wrote nothing outside its extraction
# folders. VAULNIX_FUZZ_CORPUS keeps the grown corpus across runs. Exit status: 0 nothing found;
# 1 a finding, saved under tests/fuzz/artifacts/; 2 usage or build error; 77 no libFuzzer here.
set -euo pipefail

seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${VAULNIX_FUZZ_BUILD_DIR:-$root/build-fuzz}
artifacts=$here/artifacts
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vaulnix-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }' \
  >"$scratch/probe.cpp"
if ! command -v clang >/dev/null ||
  ! clang++ -fsanitize=fuzzer "$scratch/probe.cpp" -o "$scratch/probe" 2>/dev/null; then
  echo "fuzz: no clang with libFuzzer here (scripts/install-deps.sh --fuzz installs it)" >&2
  exit 77
fi
rm -f "$scratch"/probe*

run() { # runs a build step, showing its log only when it fails
  "$@" >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log" >&2; exit 2; }
}
[ -f "$build/CMakeCache.txt" ] || CC=clang CXX=clang++ run cmake -S "$root" -B "$build" \
  -DVAULNIX_FUZZ=ON -DVAULNIX_BUILD_TESTS=OFF -DVAULNIX_BUILD_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
run cmake --build "$build" -j "${VAULNIX_FUZZ_JOBS:-1}" --target vaulnix_box_fuzzer

# The target's temporary, working and home folders lie deep inside the scratch folder, so
# that a write that climbs out of the workspace still lands where the check below sees it.
tmp=$scratch/tmp/1/2/3/4
corpus=${VAULNIX_FUZZ_CORPUS:-$scratch/corpus}
mkdir -p "$tmp" "$scratch/home" "$scratch/cwd" "$artifacts" "$corpus"
cp "$here"/seeds/*.vlx "$root"/tests/vectors/*.vlx "$corpus/"

echo "fuzz: running for $seconds s"
status=0
(cd "$scratch/cwd" && TMPDIR=$tmp HOME=$scratch/home "$build/tests/fuzz/vaulnix_box_fuzzer" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -error_exitcode=1 -timeout_exitcode=1 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$corpus") >"$scratch/fuzz.log" 2>&1 || status=$?
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
  "$scratch/fuzz.log" || true
if [ "$status" -ne 0 ]; then
  echo "fuzz: FINDING (fuzzer exit status $status); the log ends:" >&2
  tail -n 60 "$scratch/fuzz.log" >&2
  exit 1
fi

# Nothing but the corpus, the logs, the folders made above and the target's workspace (its
# box file at most) may be left.
stray=$(cd "$scratch" && find . -mindepth 1 ! -path ./corpus ! -path './corpus/*' \
  ! -path ./fuzz.log ! -path ./build.log ! -path ./home ! -path ./cwd ! -path ./tmp \
  ! -path ./tmp/1 ! -path ./tmp/1/2 ! -path ./tmp/1/2/3 ! -path ./tmp/1/2/3/4 \
  ! -path './tmp/1/2/3/4/vaulnix-fuzz-*' -print
  cd "$tmp" && find . -mindepth 2 ! -path './vaulnix-fuzz-*/box.vlx' -print)
if [ -n "$stray" ]; then
  echo "fuzz: FINDING: files were written outside the extraction folders:" >&2
  echo "$stray" >&2
  exit 1
fi
echo "fuzz: nothing found"
