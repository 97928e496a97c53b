#!/usr/bin/env bash
# Lines of product code (.cpp, .h outside tests/ and bench/) against lines of tests (.cpp, .h,
# .sh under tests/), and their ratio. Counts the files git knows.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { xargs -r cat -- | wc -l; }
code=$(git ls-files '*.cpp' '*.h' | grep -Ev '^(tests|bench)/' | count)
tests=$(git ls-files 'tests/*.cpp' 'tests/*.h' 'tests/*.sh' | count)
ratio=$(awk -v t="$tests" -v c="$code" 'BEGIN { printf "%.2f", c ? t / c : 0 }')
echo "code: $code lines  tests: $tests lines  ratio: $ratio"
