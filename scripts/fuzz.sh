#!/usr/bin/env bash
# Builds the libFuzzer target (preset fuzz: clang with AddressSanitizer and
# UndefinedBehaviorSanitizer) and fuzzes the effect's entry point for the
# given number of seconds, starting from the corpus kept in tests/fuzz/corpus.
# Usage: scripts/fuzz.sh [SECONDS]   (default 1800)
set -euo pipefail
seconds=${1:-1800}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

# The run grows a scratch copy of the corpus; the kept corpus stays small and
# changes only by hand.
work=build-fuzz/run
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"
cp tests/fuzz/corpus/* "$work/corpus/"

status=0
build-fuzz/tests/holvane_render_fuzzer "$work/corpus" \
  -max_total_time="$seconds" -timeout=60 -rss_limit_mb=3072 -max_len=2048 \
  -print_final_stats=1 -artifact_prefix="$work/artifacts/" || status=$?
if [ "$status" -ne 0 ]; then
  echo "fuzz: a case failed; its input is in $work/artifacts/." >&2
  echo "fuzz: rerun it with build-fuzz/tests/holvane_render_fuzzer <file>; once mended," >&2
  echo "fuzz: keep it as tests/fuzz/corpus/regress-<what-it-found>." >&2
fi
exit "$status"
