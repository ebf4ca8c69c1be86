# Reference band statistics of a band matrix with groups, derived directly in R.
#
#   Rscript band_stats_oracle.R <bands file> <groups file> <values file>
#
# The bands file holds one individual per line, one character per locus: 1 present, 0 absent,
# 9 missing. The groups file holds each individual's group number (1, 2, ...), one per line.
# The values file gets lines "measure index value"; index 0 of a per-group measure is the whole
# data set.
rows <- readLines(commandArgs(TRUE)[1])
x <- t(sapply(strsplit(rows, ""), as.integer))
grp <- as.integer(readLines(commandArgs(TRUE)[2]))
out <- file(commandArgs(TRUE)[3], "w")

put <- function(measure, values) {
  writeLines(sprintf("%s %d %.17g", measure, seq_along(values), as.numeric(values)), out)
}
put_at <- function(measure, index, value) writeLines(sprintf("%s %d %.17g", measure, index, value), out)

present <- x == 1
missing <- x == 9
absent <- x == 0

put("ind_freq", rowMeans(present))
put("loc_freq", colMeans(present))
put("loc_share", colSums(present) / sum(present))
put("ind_missing", rowMeans(missing))
put("loc_missing", colMeans(missing))
bands <- rowSums(present)
put_at("mean_bands", 1, mean(bands))
put_at("var_bands", 1, var(bands))

# Loci kept by the filters, with their strict comparisons (a value equal to the threshold stays).
put("keep_loc_md_0.2", as.integer(colMeans(missing) <= 0.2))
put("keep_loc_low_0.3", as.integer(colMeans(present) >= 0.3))
put("keep_loc_high_0.7", as.integer(colMeans(present) <= 0.7))
put("keep_loc_more_md", as.integer(colSums(present) >= colSums(missing)))
put("keep_ind_md_0.1", as.integer(rowMeans(missing) <= 0.1))
put("keep_ind_low_0.25", as.integer(rowMeans(present) >= 0.25))

classes <- function(rows) {
  p <- colSums(present[rows, , drop = FALSE])
  a <- colSums(absent[rows, , drop = FALSE])
  m <- colSums(missing[rows, , drop = FALSE])
  n <- length(rows)
  list(fixedP = a == 0 & p >= m, fixedA = p == 0 & a >= m,
       additive = p > 0, fixedProfile = p > 0 & (p == n | (m <= p & a == 0)))
}
groups <- sort(unique(grp))
all <- classes(seq_len(nrow(x)))
put_at("polymorphic", 0, sum(!(all$fixedP | all$fixedA)))
put_at("fixed", 0, sum(all$fixedP))
per <- lapply(groups, function(g) classes(which(grp == g)))
additive <- sapply(per, function(k) k$additive)  # loci x groups
for (k in seq_along(groups)) {
  c <- per[[k]]
  put_at("polymorphic", k, sum(!(c$fixedP | c$fixedA)))
  put_at("fixed", k, sum(c$fixedP))
  private <- additive[, k] & rowSums(additive) == 1
  put_at("private", k, sum(private))
  put_at("fixed_private", k, sum(private & c$fixedProfile))
}
close(out)
