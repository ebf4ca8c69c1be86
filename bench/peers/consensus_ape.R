# The peer of bench/consensus_bench.cpp: ape's read.tree and consensus on the same tree files.
# args: folder, then pairs of file name and share p; prints "file seconds" (median of three) or
# "file skip (reason)".
suppressPackageStartupMessages(library(ape))
args <- commandArgs(trailingOnly = TRUE)
dir <- args[1]
for (i in seq(2, length(args), by = 2)) {
  file <- args[i]; p <- as.numeric(args[i + 1])
  times <- c()
  for (k in 1:3) {
    t0 <- proc.time()[["elapsed"]]
    ok <- tryCatch({
      tr <- read.tree(file.path(dir, file))
      if (inherits(tr, "phylo")) tr <- c(tr, tr)[1]  # one tree: consensus of a list of one
      invisible(consensus(tr, p = p)); TRUE
    }, error = function(e) conditionMessage(e))
    if (!isTRUE(ok)) break
    times <- c(times, proc.time()[["elapsed"]] - t0)
  }
  if (isTRUE(ok)) cat(file, sprintf("%.4g", median(times)), "\n") else cat(file, "skip", paste0("(", gsub("[\r\n ]+", " ", ok), ")"), "\n")
}
