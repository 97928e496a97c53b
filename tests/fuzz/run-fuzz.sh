#!/usr/bin/env bash
# Runs the box fuzz target for a bounded time and then checks that it wrote nothing outside
# the folders it extracts into. Builds the target with clang, address and undefined-behaviour
# sanitizers in a build folder of its own.
#
#   tests/fuzz/run-fuzz.sh [SECONDS]        default 60
#
# VAULNIX_FUZZ_BUILD_DIR  build folder (default: build-fuzz at the top of the work tree)
# VAULNIX_FUZZ_JOBS       build jobs (default 1)
# VAULNIX_FUZZ_CORPUS     keep the grown corpus in this folder across runs (default: thrown away)
#
# Exit status: 0 nothing found; 1 a finding (crash, sanitizer report, hang, broken check or a
# file outside the extraction folders), its input saved under tests/fuzz/artifacts/;
# 2 usage or build error; 77 no clang or libFuzzer on this machine.
set -euo pipefail

seconds=${1:-60}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${VAULNIX_FUZZ_BUILD_DIR:-$root/build-fuzz}
jobs=${VAULNIX_FUZZ_JOBS:-1}
artifacts=$here/artifacts

if ! command -v clang >/dev/null || ! command -v clang++ >/dev/null; then
  echo "fuzz: clang is not installed (scripts/install-deps.sh --fuzz installs it)" >&2
  exit 77
fi
probe=$(mktemp -d)
printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char *, unsigned long) { return 0; }\n' \
  >"$probe/probe.cpp"
if ! clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" 2>/dev/null; then
  rm -rf "$probe"
  echo "fuzz: clang has no libFuzzer here (scripts/install-deps.sh --fuzz installs it)" >&2
  exit 77
fi
rm -rf "$probe"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vaulnix-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

if [ ! -f "$build/CMakeCache.txt" ]; then
  if ! CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVAULNIX_FUZZ=ON \
    -DVAULNIX_BUILD_TESTS=OFF -DVAULNIX_BUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$scratch/configure.log" 2>&1; then
    cat "$scratch/configure.log" >&2
    exit 2
  fi
fi
if ! cmake --build "$build" -j "$jobs" --target vaulnix_box_fuzzer >"$scratch/build.log" 2>&1; then
  cat "$scratch/build.log" >&2
  exit 2
fi
fuzzer=$build/tests/fuzz/vaulnix_box_fuzzer

# The target's temporary folder lies deep inside the scratch folder, and its working and home
# folders there too, so that a write that climbs out of the workspace still lands where the
# check below sees it.
tmp=$scratch/tmp/1/2/3/4
mkdir -p "$tmp" "$scratch/home" "$scratch/cwd" "$artifacts"
corpus=${VAULNIX_FUZZ_CORPUS:-$scratch/corpus}
mkdir -p "$corpus"
cp "$here"/seeds/*.vlx "$root"/tests/vectors/*.vlx "$corpus/"

echo "fuzz: running $fuzzer for $seconds s"
set +e
(cd "$scratch/cwd" && TMPDIR=$tmp HOME=$scratch/home "$fuzzer" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -error_exitcode=1 -timeout_exitcode=1 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$corpus") >"$scratch/fuzz.log" 2>&1
status=$?
set -e
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
  "$scratch/fuzz.log" || true
grep -E 'cov: ' "$scratch/fuzz.log" | tail -n 1 || true

if [ "$status" -ne 0 ]; then
  echo "fuzz: FINDING (fuzzer exit status $status); the log ends:" >&2
  tail -n 60 "$scratch/fuzz.log" >&2
  ls -l "$artifacts" >&2 || true
  exit 1
fi

# Nothing but the corpus, the log, the empty folders made above and the target's own
# workspace (its box file at most) may be left.
stray=$(cd "$scratch" && find . -mindepth 1 \
  ! -path ./corpus ! -path './corpus/*' ! -path ./fuzz.log ! -path ./configure.log \
  ! -path ./build.log ! -path ./home ! -path ./cwd \
  ! -path ./tmp ! -path ./tmp/1 ! -path ./tmp/1/2 ! -path ./tmp/1/2/3 ! -path ./tmp/1/2/3/4 \
  ! -path './tmp/1/2/3/4/vaulnix-fuzz-*' -print; \
  cd "$tmp" && find . -mindepth 2 ! -path './vaulnix-fuzz-*/box.vlx' -print)
if [ -n "$stray" ]; then
  echo "fuzz: FINDING: files were written outside the extraction folders:" >&2
  echo "$stray" >&2
  exit 1
fi
echo "fuzz: nothing found"
