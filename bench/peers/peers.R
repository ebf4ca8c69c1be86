# Times the R tools a researcher would use instead of TESK on the data bench/peer_data wrote.
# Prints one line per tool: work, tool, median seconds of three runs (or "skip" and why).
args <- commandArgs(TRUE)
dir <- args[1]
n <- as.integer(args[2])
npcoa <- as.integer(args[3])

median_time <- function(f) median(replicate(3, system.time(f())[["elapsed"]]))
say <- function(work, tool, f, pkg = NULL) {
  if (!is.null(pkg) && !requireNamespace(pkg, quietly = TRUE)) {
    cat(work, tool, "skip", paste0("(R package ", pkg, " not installed)"), "\n")
    return(invisible())
  }
  cat(work, tool, format(median_time(f), digits = 4), "\n")
}

bands <- function(file) {
  rows <- readLines(file.path(dir, file))
  matrix(as.integer(unlist(strsplit(rows, ""), use.names = FALSE)), nrow = length(rows), byrow = TRUE)
}
x <- bands("bands_complete.txt")
d <- matrix(readBin(file.path(dir, "jaccard.bin"), "double", n * n), n, n)
dd <- as.dist(d)
dp <- as.dist(d[1:npcoa, 1:npcoa])

say("jaccard_std", "R_dist", function() dist(x, method = "binary"))
say("jaccard_std", "vegan_vegdist", function() vegan::vegdist(x, method = "jaccard", binary = TRUE), "vegan")
say("jaccard_std", "ade4_dist.binary", function() ade4::dist.binary(x, method = 1), "ade4")
say("upgma", "phangorn_wpgma", function() phangorn::wpgma(dd), "phangorn")
say("nj", "ape_nj", function() ape::nj(dd), "ape")
say("pcoa", "cmdscale", function() cmdscale(dp, k = 10, eig = TRUE))
