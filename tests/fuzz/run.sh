#!/usr/bin/env bash
# Runs every built harness of tests/fuzz for a given time, a few at once, and fails when any of
# them finds something (a crash, a leak, a hang, a failed check) or cannot run.
#
#   tests/fuzz/run.sh BUILD_DIR [SECONDS] [JOBS] [HARNESS...]
#
# BUILD_DIR is the clang build (make fuzz: build-fuzz). Each harness <name>_fuzz starts from its
# seeds (see README.md), keeps what it learns in BUILD_DIR/fuzz/corpus/<name>, and writes findings
# to BUILD_DIR/fuzz/findings/ and its log to BUILD_DIR/fuzz/logs/<name>.log.
set -uo pipefail

build=${1:?usage: run.sh BUILD_DIR [SECONDS] [JOBS] [HARNESS...]}
seconds=${2:-30}
jobs=${3:-3}
shift $(( $# < 3 ? $# : 3 ))

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
bin="$build/tests/fuzz"
work="$build/fuzz"
mkdir -p "$work/corpus" "$work/findings" "$work/logs"

if [ $# -gt 0 ]; then
  names=("$@")
else
  names=()
  for src in "$here"/*_fuzz.cpp; do
    [ -e "$src" ] || continue
    names+=("$(basename "$src" .cpp)")
  done
fi
if [ ${#names[@]} -eq 0 ]; then
  echo "No fuzz harnesses in $here" >&2
  exit 1
fi

# Copies the seeds of harness $1 (without _fuzz) into its working corpus.
gather_seeds() {
  local base=$1 corpus=$2 path
  [ -d "$here/$base" ] && cp -r "$here/$base/." "$corpus/" 2>/dev/null
  if [ -f "$here/$base.shared" ]; then
    while IFS= read -r path || [ -n "$path" ]; do
      case "$path" in ''|'#'*|*.dict) continue ;; esac
      if [ -d "$root/$path" ]; then cp -r "$root/$path/." "$corpus/"
      elif [ -f "$root/$path" ]; then cp "$root/$path" "$corpus/seed-$(echo "$path" | tr '/' '_')"
      else echo "$base.shared: no such seed $path" >&2; return 1
      fi
    done < "$here/$base.shared"
  fi
  return 0
}

# The dictionary of harness $1: its own, else the one its .shared file names.
dictionary_of() {
  local base=$1 path
  if [ -f "$here/$base.dict" ]; then echo "$here/$base.dict"; return; fi
  if [ -f "$here/$base.shared" ]; then
    path=$(grep -E '\.dict$' "$here/$base.shared" | head -n 1)
    [ -n "$path" ] && echo "$root/$path"
  fi
}

run_one() {
  local name=$1 base=${1%_fuzz}
  local exe="$bin/$name" corpus="$work/corpus/$base" log="$work/logs/$base.log"
  if [ ! -x "$exe" ]; then
    echo "$name: not built (expected $exe)" > "$log"
    return 1
  fi
  mkdir -p "$corpus"
  gather_seeds "$base" "$corpus" || return 1
  local args=(-max_total_time="$seconds" -max_len="${FUZZ_MAX_LEN:-4096}" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1
              -artifact_prefix="$work/findings/$base-")
  local dict
  dict=$(dictionary_of "$base")
  [ -n "$dict" ] && args+=(-dict="$dict")
  # A run that ends early (a finding) must not hold up the others; one that hangs is stopped.
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
    timeout --kill-after=30 $((seconds + 300)) "$exe" "${args[@]}" "$corpus" > "$log" 2>&1
  echo $? > "$work/logs/$base.status"
}
export -f run_one gather_seeds dictionary_of
export here root bin work seconds

rm -f "$work"/logs/*.status
printf '%s\n' "${names[@]}" | xargs -P "$jobs" -I{} bash -c 'run_one "$1"' _ {}
status=0

printf '\n%-22s %6s %12s %8s %8s  %s\n' harness result executions exec/s coverage features
for name in "${names[@]}"; do
  base=${name%_fuzz}
  log="$work/logs/$base.log"
  execs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" 2>/dev/null | grep -oE '[0-9]+$' | tail -n 1)
  speed=$(grep -oE 'stat::average_exec_per_sec: *[0-9]+' "$log" 2>/dev/null | grep -oE '[0-9]+$' | tail -n 1)
  cov=$(grep -oE ' cov: [0-9]+' "$log" 2>/dev/null | tail -n 1 | grep -oE '[0-9]+')
  ft=$(grep -oE ' ft: [0-9]+' "$log" 2>/dev/null | tail -n 1 | grep -oE '[0-9]+')
  rc=$(cat "$work/logs/$base.status" 2>/dev/null || echo none)
  if [ "$rc" != 0 ] || [ -z "$execs" ]; then
    result=FAILED
    status=1
  else
    result=ok
  fi
  printf '%-22s %6s %12s %8s %8s  %s\n' "$base" "$result" "${execs:--}" "${speed:--}" "${cov:--}" "${ft:--}"
done
if [ $status -ne 0 ]; then
  echo
  for name in "${names[@]}"; do
    base=${name%_fuzz}
    log="$work/logs/$base.log"
    rc=$(cat "$work/logs/$base.status" 2>/dev/null || echo none)
    if [ "$rc" != 0 ] || ! grep -q 'stat::number_of_executed_units' "$log" 2>/dev/null; then
      echo "---- $base (exit $rc, log $log)"
      grep -E 'FINDING: |ERROR|SUMMARY|Test unit written to|not built|no such seed|    #[0-9]+ 0x' "$log" | head -n 30
    fi
  done
fi
exit $status
