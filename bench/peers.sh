#!/usr/bin/env bash
# Runs TESK's benchmarks and the tools researchers would use instead (R: stats::dist,
# vegan::vegdist, ade4::dist.binary, phangorn::wpgma, ape::nj, cmdscale; Python: scipy pdist and
# linkage, numpy counts) on the same random band data (1000 loci), and prints the times side by
# side with the ratio peer / TESK (above 1: TESK is faster). Times are medians of three runs, in
# seconds; the peers run on one thread, TESK on every core (and on one, in brackets, where it
# uses threads). A peer that is not installed is listed as skipped.
#
#   bench/peers.sh [N]      N individuals (2000); PCoA takes the first N/2.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
n=${1:-2000}
npcoa=$((n / 2))

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target benchmarks >/dev/null

export TESK_BENCH_N=$n
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/bench/peer_data" "$tmp" "$n"

# Single-threaded peers: no BLAS or OpenMP threads.
export OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 MKL_NUM_THREADS=1 OPENBLAS_MAIN_FREE=1

bench() {  # program, filter: name and median seconds of each benchmark
  "$build/bench/$1" --benchmark_filter="$2" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 ~ /_median"?$/ { name = $1; gsub(/"/, "", name); sub(/\/real_time_median$/, "", name);
             f = $5 == "ms" ? 1e-3 : ($5 == "us" ? 1e-6 : ($5 == "ns" ? 1e-9 : 1)); printf "%s %.4g\n", name, $3 * f }'
}
{
  bench distance_bench "^BM_Jaccard[A-Za-z]+/$n/[01]/real_time\$"
  bench trees_bench "^BM_(UPGMA|NJ)Bands/$n(/[01])?/real_time\$|^BM_PCoABands/$npcoa/real_time\$"
} >"$tmp/tesk.txt"
{
  if command -v Rscript >/dev/null; then
    Rscript "$root/bench/peers/peers.R" "$tmp" "$n" "$npcoa" 2>/dev/null
  else
    echo "r_tools all skip (Rscript not installed)"
  fi
  # The first Python that has scipy (a user's own Python may lack it where the system's has it).
  py=""
  for candidate in python3 /usr/bin/python3; do
    if command -v "$candidate" >/dev/null && "$candidate" -c 'import numpy, scipy' 2>/dev/null; then
      py=$candidate
      break
    fi
  done
  if [ -n "$py" ] || py=$(command -v python3); then
    "$py" "$root/bench/peers/peers.py" "$tmp" "$n" "$npcoa"
  else
    echo "python_tools all skip (python3 not installed)"
  fi
} >"$tmp/peers.txt"

awk -v n="$n" -v npcoa="$npcoa" '
  FILENAME == ARGV[1] { tesk[$1] = $2; next }
  { peer[$1] = peer[$1] (peer[$1] == "" ? "" : ";") $2 "=" $3 (NF > 3 ? " " $4 " " $5 " " $6 : "") }
  END {
    split("jaccard_std jaccard_min jaccard_max jaccard_avg upgma nj pcoa", works, " ")
    label["jaccard_std"] = "Jaccard, Standard, complete data"
    label["jaccard_min"] = "Jaccard, Minimum, 10 % missing"
    label["jaccard_max"] = "Jaccard, Maximum, 10 % missing"
    label["jaccard_avg"] = "Jaccard, Average 100 draws, 10 % missing"
    label["upgma"] = "UPGMA"; label["nj"] = "neighbour joining"; label["pcoa"] = "PCoA"
    bm["jaccard_std"] = "BM_JaccardStandard/" n; bm["jaccard_min"] = "BM_JaccardMinimum/" n
    bm["jaccard_max"] = "BM_JaccardMaximum/" n; bm["jaccard_avg"] = "BM_JaccardAverage/" n
    bm["upgma"] = "BM_UPGMABands/" n; bm["nj"] = "BM_NJBands/" n; bm["pcoa"] = "BM_PCoABands/" npcoa
    printf "| work | n | TESK s | peers s [peer/TESK] |\n|---|---|---|---|\n"
    for (w = 1; w <= 7; ++w) {
      k = works[w]; b = bm[k]
      t = (b "/0") in tesk ? tesk[b "/0"] : tesk[b]
      one = (b "/1") in tesk ? " (1 thread: " tesk[b "/1"] ")" : ""
      line = ""
      m = split(peer[k], items, ";")
      for (i = 1; i <= m; ++i) {
        split(items[i], kv, "=")
        if (kv[2] ~ /^skip/) { line = line (line == "" ? "" : "; ") kv[1] " " kv[2]; continue }
        r = (t > 0) ? sprintf(" [%.2f]", kv[2] / t) : ""
        line = line (line == "" ? "" : "; ") kv[1] " " kv[2] r
      }
      printf "| %s | %s | %s%s | %s |\n", label[k], (k == "pcoa" ? npcoa : n), (t == "" ? "-" : t), one, line
    }
  }' "$tmp/tesk.txt" "$tmp/peers.txt"

# Trees: consensus (reading included) and the cluster matrix, against ape's read.tree + consensus on
# the same files; the cluster-matrix lines also give TESK's peak memory (/usr/bin/time -v).
trees_dir="$tmp/trees"
mkdir -p "$trees_dir"
TESK_TREE_DIR="$trees_dir" bench consensus_bench "^BM_(MajorityConsensus/1000/1000|OneTreeConsensus/[01]/[12])/real_time\$" \
  >"$tmp/trees_tesk.txt"
for n_leaves in 20000 50000; do
  peak=""
  if [ -x /usr/bin/time ]; then
    peak=$(TESK_TREE_DIR="$trees_dir" /usr/bin/time -v "$build/bench/consensus_bench" \
      --benchmark_filter="^BM_ClusterMatrix/$n_leaves/" 2>&1 >/dev/null | awk '/Maximum resident/ { print $NF }')
  else
    TESK_TREE_DIR="$trees_dir" "$build/bench/consensus_bench" --benchmark_filter="^BM_ClusterMatrix/$n_leaves/" >/dev/null
  fi
  "$build/bench/consensus_bench" --benchmark_filter="^BM_ClusterMatrix/$n_leaves/" --benchmark_format=csv 2>/dev/null |
    awk -F, -v n="$n_leaves" -v peak="$peak" '$1 ~ /BM_ClusterMatrix/ { printf "BM_ClusterMatrix/%s %.4g %s\n", n, $3 * 1e-3, peak }' \
    >>"$tmp/trees_tesk.txt"
done
if command -v Rscript >/dev/null; then
  Rscript "$root/bench/peers/consensus_ape.R" "$trees_dir" majority_1000x1000.ph 0.5 caterpillar_10000x1.ph 1 \
    caterpillar_10000x2.ph 1 random_10000x1.ph 1 random_10000x2.ph 1 \
    2>/dev/null >"$tmp/trees_ape.txt" || true
  # Deeper caterpillars end R itself (its C stack overflows on the 10000-leaf one already).
  echo "caterpillar_20000.ph skip (not run: R crashes)" >>"$tmp/trees_ape.txt"
  echo "caterpillar_50000.ph skip (not run: R crashes)" >>"$tmp/trees_ape.txt"
else
  echo "majority_1000x1000.ph skip (Rscript not installed)" >"$tmp/trees_ape.txt"
fi
awk '
  FILENAME == ARGV[1] { tesk[$1] = $2; peak[$1] = $3; next }
  { ape[$1] = $2 (NF > 2 ? " " $3 " " $4 " " $5 " " $6 : "") }
  END {
    n = split("BM_MajorityConsensus/1000/1000=majority_1000x1000.ph=majority rule, 1000 trees x 1000 leaves;" \
              "BM_OneTreeConsensus/0/1=caterpillar_10000x1.ph=consensus of one caterpillar, 10000 leaves;" \
              "BM_OneTreeConsensus/0/2=caterpillar_10000x2.ph=the same caterpillar given twice;" \
              "BM_OneTreeConsensus/1/1=random_10000x1.ph=consensus of one random tree, 10000 leaves;" \
              "BM_OneTreeConsensus/1/2=random_10000x2.ph=the same random tree given twice;" \
              "BM_ClusterMatrix/20000=caterpillar_20000.ph=cluster matrix, caterpillar of 20000 leaves;" \
              "BM_ClusterMatrix/50000=caterpillar_50000.ph=cluster matrix, caterpillar of 50000 leaves", rows, ";")
    printf "\n| tree work | TESK s | TESK peak MB | ape read.tree + consensus s [ape/TESK] |\n|---|---|---|---|\n"
    for (i = 1; i <= n; ++i) {
      split(rows[i], f, "=")
      t = tesk[f[1]]; a = ape[f[2]]
      r = (a ~ /^[0-9.e+-]+$/ && t > 0) ? sprintf(" [%.2f]", a / t) : ""
      printf "| %s | %s | %s | %s%s |\n", f[3], (t == "" ? "-" : t), (peak[f[1]] == "" ? "-" : sprintf("%.0f", peak[f[1]] / 1024)),
        (a == "" ? "-" : a), r
    }
  }' "$tmp/trees_tesk.txt" "$tmp/trees_ape.txt"
