# Reference values for the Shannon oracle test.
# args: bands file (one individual per line, 0/1/9), pairs file (HA varA nA HB varB nB per line), output file.
suppressPackageStartupMessages(library(vegan))
args <- commandArgs(trailingOnly = TRUE)
rows <- readLines(args[1])
x <- do.call(rbind, lapply(strsplit(rows, ""), as.integer))
counts <- colSums(x == 1)
n <- nrow(x)
s <- ncol(x)
out <- character()
for (b in c(2, exp(1), 10, 3)) {
  out <- c(out, sprintf("H0 %.17g", diversity(counts, base = b)))
  p <- counts[counts > 0] / n
  h2 <- -sum(p * log2(p))
  f <- log(2) / log(b)
  out <- c(out, sprintf("H1 %.17g", f * h2))
  q <- counts[counts > 0] / sum(counts)
  hq <- -sum(q * log2(q))
  v <- (sum(q * log2(q)^2) - hq^2) / n + (s - 1) / (2 * n^2)
  out <- c(out, sprintf("V0 %.17g", f^2 * v))
}
pairs <- read.table(args[2])
for (k in seq_len(nrow(pairs))) {
  r <- pairs[k, ]
  t <- abs(r$V4 - r$V1) / sqrt(r$V2 + r$V5)
  df <- (r$V2 + r$V5)^2 / (r$V2^2 / r$V3 + r$V5^2 / r$V6)
  df <- ceiling(df)
  out <- c(out, sprintf("T %.17g %d %.17g", t, as.integer(df), 2 * pt(-t, df)))
}
writeLines(out, args[3])
