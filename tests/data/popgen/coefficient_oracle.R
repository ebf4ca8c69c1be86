# Reference (dis)similarities of a band matrix from R's own tools.
#
#   Rscript coefficient_oracle.R <bands file> <values file>
#
# The bands file holds one individual per line, one character per locus: 1 present, 0 absent,
# 9 missing. The values file gets one line per measure and pair i > j: "measure i j value".
# Measures that do not allow missing cells are written only for complete matrices.
suppressPackageStartupMessages({
  library(vegan)
  library(ade4)
})

read_bands <- function(path) {
  rows <- readLines(path)
  x <- t(sapply(strsplit(rows, ""), as.integer))
  x[x == 9] <- NA
  x
}

reference_values <- function(x) {
  complete <- !anyNA(x)
  L <- ncol(x)
  out <- list(
    binary = dist(x, "binary"),                              # 1 - Jaccard, missing loci left out
    bray_binary = vegdist(x, "bray", binary = TRUE, na.rm = TRUE),  # 1 - Dice
    manhattan_per_locus = dist(x, "manhattan") / L           # 1 - SMC (R rescales for missing loci)
  )
  if (complete) {
    df <- as.data.frame(x)
    out$ade4_jaccard <- dist.binary(df, method = 1)          # sqrt(1 - Jaccard)
    out$ade4_smc <- dist.binary(df, method = 2)              # sqrt(1 - SMC)
    out$ade4_dice <- dist.binary(df, method = 5)             # sqrt(1 - Dice)
    out$euclidean <- dist(x, "euclidean")
    out$sq_euclidean <- dist(x, "euclidean")^2
  }
  out
}

write_values <- function(values, path) {
  lines <- character(0)
  for (name in names(values)) {
    m <- as.matrix(values[[name]])
    for (i in 2:nrow(m)) for (j in 1:(i - 1))
      lines <- c(lines, sprintf("%s %d %d %.17g", name, i, j, m[i, j]))
  }
  writeLines(lines, path)
}

if (sys.nframe() == 0) {
  args <- commandArgs(trailingOnly = TRUE)
  if (length(args) != 2) stop("usage: coefficient_oracle.R <bands file> <values file>")
  write_values(reference_values(read_bands(args[1])), args[2])
}
