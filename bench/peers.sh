#!/usr/bin/env bash
# Runs TESK's benchmarks and the tools researchers would use instead (R: stats::dist,
# vegan::vegdist, ade4::dist.binary, phangorn::wpgma, ape::nj, cmdscale, ape::boot.phylo,
# ade4::amova; Python: scipy pdist and linkage, numpy counts) on the same random band data (1000
# loci), and prints the times side by side with the ratio peer / TESK (above 1: TESK is faster).
# Times are medians of three runs, in seconds; the peers run on one thread, TESK on every core (and
# on one, in brackets, where it uses threads, with the share all / one). A peer that is not
# installed is listed as skipped. The last line runs PCoA again while one busy process per core
# holds the machine (started and stopped here).
#
#   bench/peers.sh [N]      N individuals (2000); PCoA takes the first N/2.
#
# Each line of the table is a block below: `row` names it, `tesk` times TESK's benchmark for it, and
# the peers print "KEY TOOL SECONDS" (or "KEY TOOL skip (why)") into peers.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
n=${1:-2000}
npcoa=$((n / 2))
nboot=200  # individuals of the bootstrap series

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target benchmarks >/dev/null

export TESK_BENCH_N=$n
tmp=$(mktemp -d)
busy=()
stop_busy() {
  if [ ${#busy[@]} -gt 0 ]; then
    kill "${busy[@]}" 2>/dev/null || true
    wait "${busy[@]}" 2>/dev/null || true
  fi
  busy=()
}
trap 'stop_busy; rm -rf "$tmp"' EXIT
trap 'exit 130' INT TERM
"$build/bench/peer_data" "$tmp" "$n"
head -n "$nboot" "$tmp/bands_complete.txt" >"$tmp/bands_boot.txt"  # the data of MakeBenchBands($nboot)

# Single-threaded peers: no BLAS or OpenMP threads.
export OPENBLAS_NUM_THREADS=1 OMP_NUM_THREADS=1 MKL_NUM_THREADS=1 OPENBLAS_MAIN_FREE=1

rows=$tmp/rows.txt  # key, n, label (tab-separated), in the order of the table
row() { printf '%s\t%s\t%s\n' "$1" "$2" "$3" >>"$rows"; }

bench() {  # program, filter: name and median seconds of each benchmark
  "$build/bench/$1" --benchmark_filter="$2" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null |
    awk -F, '$1 ~ /_median"?$/ { name = $1; gsub(/"/, "", name); sub(/\/real_time_median$/, "", name);
             f = $5 == "ms" ? 1e-3 : ($5 == "us" ? 1e-6 : ($5 == "ns" ? 1e-9 : 1)); printf "%s %.4g\n", name, $3 * f }'
}
# key, program, benchmark on every core [, the same on one thread]: "key all|one seconds" to tesk.txt.
tesk() {
  local key=$1 program=$2 all=$3 one=${4:-}
  bench "$program" "^$all(/real_time)?\$" | awk -v k="$key" '{ print k, "all", $2 }' >>"$tmp/tesk.txt"
  if [ -n "$one" ]; then
    bench "$program" "^$one(/real_time)?\$" | awk -v k="$key" '{ print k, "one", $2 }' >>"$tmp/tesk.txt"
  fi
}
# The median of three runs of a command that prints "label seconds" lines: "prefix label median".
median3() {
  local prefix=$1
  shift
  for _ in 1 2 3; do "$@"; done |
    awk -v p="$prefix" '{ t[$1] = t[$1] " " $2; if (!($1 in seen)) { seen[$1] = 1; order[++m] = $1 } }
      END { for (i = 1; i <= m; ++i) { c = split(substr(t[order[i]], 2), v, " ");
              for (a = 1; a <= c; ++a) for (b = a + 1; b <= c; ++b) if (v[b] < v[a]) { x = v[a]; v[a] = v[b]; v[b] = x }
              print p, order[i], v[int((c + 1) / 2)] } }'
}
have_r() { command -v Rscript >/dev/null && Rscript -e "$1" >/dev/null 2>&1; }

# --- distances, trees and PCoA on N individuals
row jaccard_std "$n" "Jaccard, Standard, complete data"
row jaccard_min "$n" "Jaccard, Minimum, 10 % missing"
row jaccard_max "$n" "Jaccard, Maximum, 10 % missing"
row jaccard_avg "$n" "Jaccard, Average 100 draws, 10 % missing"
row upgma "$n" "UPGMA"
row nj "$n" "neighbour joining"
row pcoa "$npcoa" "PCoA"
tesk jaccard_std distance_bench "BM_JaccardStandard/$n/0" "BM_JaccardStandard/$n/1"
tesk jaccard_min distance_bench "BM_JaccardMinimum/$n/0" "BM_JaccardMinimum/$n/1"
tesk jaccard_max distance_bench "BM_JaccardMaximum/$n/0" "BM_JaccardMaximum/$n/1"
tesk jaccard_avg distance_bench "BM_JaccardAverage/$n/0"
tesk upgma trees_bench "BM_UPGMABands/$n"
tesk nj trees_bench "BM_NJBands/$n/0" "BM_NJBands/$n/1"
tesk pcoa trees_bench "BM_PCoABands/$npcoa/0" "BM_PCoABands/$npcoa/1"
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
} >>"$tmp/peers.txt"

# --- 100 bootstrap neighbour-joining trees of $nboot individuals
row bootstrap_nj "$nboot" "100 bootstrap NJ trees"
tesk bootstrap_nj replicates_bench "BM_BootstrapNJTrees/$nboot/100/0" "BM_BootstrapNJTrees/$nboot/100/1"
if have_r 'library(ape); library(ade4)'; then
  median3 bootstrap_nj Rscript "$root/bench/peers/bootstrap_ape.R" "$tmp/bands_boot.txt" 2>/dev/null >>"$tmp/peers.txt"
else
  echo "bootstrap_nj ape_boot.phylo skip (R packages ape and ade4 not installed)" >>"$tmp/peers.txt"
fi

# --- AMOVA with 999 permutations, 300 individuals in 10 populations (and 5 groups of 2)
row amova_one 300 "AMOVA, one level, 999 permutations"
row amova_two 300 "AMOVA, two levels, 999 permutations"
tesk amova_one amova_bench BM_AmovaOneLevel
tesk amova_two amova_bench BM_AmovaTwoLevels
if have_r 'library(ade4)'; then
  median3 ade4_amova Rscript "$root/bench/amova_ade4.R" 2>/dev/null |
    awk '{ print ($2 == "one-level" ? "amova_one" : "amova_two"), $1, $3 }' >>"$tmp/peers.txt"
else
  printf 'amova_one ade4_amova skip (R package ade4 not installed)\namova_two ade4_amova skip (R package ade4 not installed)\n' \
    >>"$tmp/peers.txt"
fi

# --- the same PCoA while every core is held by another process
cores=$(env -u OMP_NUM_THREADS -u OMP_THREAD_LIMIT nproc)  # nproc obeys the OpenMP variables set above
row pcoa_busy "$npcoa" "PCoA, $cores busy processes on $cores cores"
for _ in $(seq "$cores"); do
  awk 'BEGIN { for (;;) x++ }' &
  busy+=($!)
done
sleep 1
tesk pcoa_busy trees_bench "BM_PCoABands/$npcoa/0" "BM_PCoABands/$npcoa/1"
if command -v Rscript >/dev/null; then
  Rscript -e 'd <- matrix(readBin(file.path(commandArgs(TRUE)[1], "jaccard.bin"), "double", '"$n"' * '"$n"'), '"$n"');
    dp <- as.dist(d[1:'"$npcoa"', 1:'"$npcoa"']); t <- replicate(3, system.time(cmdscale(dp, k = 10, eig = TRUE))[["elapsed"]]);
    cat("pcoa_busy cmdscale", format(median(t), digits = 4), "\n")' "$tmp" 2>/dev/null >>"$tmp/peers.txt" || true
fi
stop_busy

awk -F'\t' '
  FILENAME == ARGV[1] { order[++rows] = $1; size[$1] = $2; label[$1] = $3; next }
  FILENAME == ARGV[2] { split($0, f, " "); tesk[f[1] " " f[2]] = f[3]; next }
  { split($0, f, " "); k = f[1]; rest = f[3]; for (i = 4; i <= length(f); ++i) rest = rest " " f[i]
    peer[k] = peer[k] (peer[k] == "" ? "" : ";") f[2] "=" rest }
  END {
    printf "| work | n | TESK s | peers s [peer/TESK] |\n|---|---|---|---|\n"
    for (w = 1; w <= rows; ++w) {
      k = order[w]
      t = (k " all") in tesk ? tesk[k " all"] : ""
      one = ""
      if ((k " one") in tesk) {
        one = " (1 thread: " tesk[k " one"]
        if (tesk[k " one"] > 0) one = one sprintf("; all / one %.2f", t / tesk[k " one"])
        one = one ")"
      }
      line = ""
      m = split(peer[k], items, ";")
      for (i = 1; i <= m; ++i) {
        split(items[i], kv, "=")
        if (kv[2] ~ /^skip/) { line = line (line == "" ? "" : "; ") kv[1] " " kv[2]; continue }
        r = (t > 0) ? sprintf(" [%.2f]", kv[2] / t) : ""
        line = line (line == "" ? "" : "; ") kv[1] " " kv[2] r
      }
      printf "| %s | %s | %s%s | %s |\n", label[k], size[k], (t == "" ? "-" : t), one, (line == "" ? "-" : line)
    }
  }' "$rows" "$tmp/tesk.txt" "$tmp/peers.txt"

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
