# Reads one exported file with the package that reads its format and writes what it recovered:
# one line per individual, its name, a TAB and its cells (1 present, 0 absent, 9 missing).
# Usage: Rscript exports_oracle.R <format> <file> <out>
args <- commandArgs(trailingOnly = TRUE)
format <- args[1]; file <- args[2]; out <- args[3]
suppressPackageStartupMessages({library(ape); library(adegenet)})

cells <- function(v) { v <- as.character(v); v[is.na(v) | v == "?"] <- "9"; paste(v, collapse = "") }
write_rows <- function(names, rows) writeLines(paste0(names, "\t", rows), out)

if (format == "nexus") {
  x <- read.nexus.data(file)
  write_rows(names(x), vapply(x, cells, ""))
} else if (format == "phydat") {
  suppressPackageStartupMessages(library(phangorn))
  x <- read.phyDat(file, format = "nexus", type = "STANDARD")
  m <- as.character(x)
  write_rows(rownames(m), apply(m, 1, cells))
} else if (format == "genepop") {
  g <- read.genepop(file, ncode = 2, quiet = TRUE)
  # present: allele 01 seen; absent: only allele 02; missing: no allele
  t <- tab(g)
  loci <- locNames(g)
  rows <- sapply(seq_len(nInd(g)), function(i) {
    paste(vapply(loci, function(l) {
      a1 <- paste0(l, ".01"); a2 <- paste0(l, ".02")
      v1 <- if (a1 %in% colnames(t)) t[i, a1] else 0
      v2 <- if (a2 %in% colnames(t)) t[i, a2] else 0
      if (is.na(v1) || is.na(v2)) "9" else if (v1 > 0) "1" else "0"
    }, ""), collapse = "")
  })
  write_rows(indNames(g), rows)
} else if (format == "structure") {
  # Diploid export: two rows per individual (the recessive-allele row above them is not read).
  lines <- readLines(file)
  nloc <- length(strsplit(trimws(lines[1]), " +")[[1]])
  g <- read.structure(file, n.ind = (length(lines) - 2) / 2, n.loc = nloc, onerowperind = FALSE, col.lab = 1,
                      col.pop = 2, col.others = 0, row.marknames = 1, NA.char = "-9", ask = FALSE, quiet = TRUE)
  t <- tab(g)
  rows <- sapply(seq_len(nInd(g)), function(i) {
    paste(vapply(locNames(g), function(l) {
      a1 <- paste0(l, ".01"); a0 <- paste0(l, ".00")  # adegenet pads the allele codes
      v1 <- if (a1 %in% colnames(t)) t[i, a1] else 0
      v0 <- if (a0 %in% colnames(t)) t[i, a0] else 0
      if (is.na(v1) || is.na(v0)) "9" else if (v1 > 0) "1" else "0"
    }, ""), collapse = "")
  })
  # the populations as numbers, one line per individual after the cells
  write_rows(indNames(g), paste0(rows, "\t", as.character(pop(g))))
} else if (format == "rtable") {
  x <- read.delim(file, check.names = FALSE)
  write_rows(colnames(x), apply(as.matrix(x), 2, cells))
} else if (format == "aflpdat") {
  x <- read.delim(file, check.names = FALSE, row.names = 1)
  m <- as.matrix(x[, -1])
  write_rows(rownames(x), apply(m, 1, cells))
}
if (format == "readdist") {
  suppressPackageStartupMessages(library(phangorn))
  d <- as.matrix(readDist(file))
  n <- rownames(d)
  lines <- c()
  for (i in 2:length(n)) for (j in 1:(i - 1)) lines <- c(lines, sprintf("%s %s %.12f", n[i], n[j], d[i, j]))
  writeLines(lines, out)
}
