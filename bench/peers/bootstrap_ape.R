# The peer of bench/replicates_bench.cpp: 100 bootstrap neighbour-joining trees of Jaccard distances
# with ape::boot.phylo over the loci. args: band file (one individual per line, 0/1, tab- or
# blank-separated or as one run of digits).
suppressPackageStartupMessages({library(ape); library(ade4)})
args <- commandArgs(trailingOnly = TRUE)
rows <- readLines(args[1])
x <- do.call(rbind, lapply(strsplit(gsub("[^01]", "", rows), ""), as.integer))
rownames(x) <- paste0("I", seq_len(nrow(x)))
f <- function(m) nj(dist.binary(m, method = 1))
t0 <- proc.time()[["elapsed"]]
invisible(boot.phylo(f(x), x, f, B = 100, quiet = TRUE))
cat(sprintf("boot.phylo %.3f s\n", proc.time()[["elapsed"]] - t0))
