# Reads a tree file with ape and writes, per tree, its number of tips and its sorted tip labels.
# args: tree file, output file.
suppressPackageStartupMessages(library(ape))
args <- commandArgs(trailingOnly = TRUE)
trees <- read.tree(args[1])
if (inherits(trees, "phylo")) trees <- list(trees)
out <- sprintf("%d", length(trees))
for (t in trees) out <- c(out, paste(c(length(t$tip.label), sort(t$tip.label)), collapse = " "))
writeLines(out, args[2])
