# Times ade4::amova with randtest (999 permutations) on random band data of the shape of
# amova_bench.cpp: 300 individuals, 100 loci, 10 populations of 30 (one level) and 5 groups of 2
# populations (two levels). Prints "level seconds" per run.
#
#   Rscript bench/amova_ade4.R
suppressPackageStartupMessages(library(ade4))
set.seed(1)
n <- 300
x <- matrix(rbinom(n * 100, 1, 0.5), n)
pop <- factor(rep(seq_len(10), each = 30))
samples <- as.data.frame.matrix(table(factor(seq_len(n)), pop))
d <- dist.binary(as.data.frame(x), method = 1)
one <- system.time(randtest(amova(samples, d), nrepet = 999))[["elapsed"]]
two <- system.time(randtest(amova(samples, d, data.frame(group = factor(rep(1:5, each = 2)))), nrepet = 999))[["elapsed"]]
cat(sprintf("one-level %.3f\ntwo-level %.3f\n", one, two))
