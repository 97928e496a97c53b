#!/usr/bin/env bash
# Makes the benchmark corpora on a tmpfs:
#   DIR/big/big.bin        one 1 GiB file of random bytes
#   DIR/tree-N/...         N small files (0 to 8 KiB, random), 40 to a folder
#   DIR/empty/             an empty folder (the fixed cost of one run)
# Usage: bench/make-corpus.sh [DIR] [N ...]   (default DIR /dev/shm/vaulnix-bench/corpus,
#                                              default N 2000 20000 200000)
# Existing corpora are kept. VAULNIX_BENCH names the vaulnix-bench program.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
dir=${1:-/dev/shm/vaulnix-bench/corpus}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(2000 20000 200000)
tool=${VAULNIX_BENCH:-$here/../build-bench/bench/vaulnix-bench}
[ -x "$tool" ] || { echo "vaulnix-bench not found at $tool (make bench builds it)" >&2; exit 1; }

mkdir -p "$dir"
fs=$(stat -f -c %T "$dir")
if [ "$fs" != tmpfs ] && [ -z "${ALLOW_DISK:-}" ]; then
  echo "$dir is on $fs, not tmpfs; set ALLOW_DISK=1 to use it anyway" >&2
  exit 1
fi

mkdir -p "$dir/empty"
if [ "$(stat -c %s "$dir/big/big.bin" 2>/dev/null || echo 0)" != 1073741824 ]; then
  echo "making $dir/big (1 GiB)" >&2
  mkdir -p "$dir/big"
  head -c 1073741824 /dev/urandom >"$dir/big/big.bin"
fi
for n in "${sizes[@]}"; do
  [ -f "$dir/tree-$n.done" ] && continue
  echo "making $dir/tree-$n ($n files)" >&2
  rm -rf "$dir/tree-$n"
  "$tool" make-tree "$dir/tree-$n" "$n" 40 8192
  touch "$dir/tree-$n.done"
done
