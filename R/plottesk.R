# TESK plotting script, run by TESK as: Rscript plottesk.R <analysis file> [<plot file>]
# Plots the last principal coordinate analysis of the analysis file: the eigenvalues and the
# first three axes against each other. The plot file's extension chooses the format (pdf, png,
# svg); without a plot file the plots go to teskplot.pdf beside the analysis file.
RPLOTTESKVERSION = "1.31"  # read by TESK's version box; keep major.minor

args <- commandArgs(trailingOnly = TRUE)
if (length(args) < 1 || length(args) > 2)
  stop("usage: Rscript plottesk.R <analysis file> [<plot file>]", call. = FALSE)
analysisFile <- args[1]
plotFile <- if (length(args) == 2) args[2] else file.path(dirname(analysisFile), "teskplot.pdf")

if (!file.exists(analysisFile)) stop("analysis file not found: ", analysisFile, call. = FALSE)
lines <- sub("\r$", "", readLines(analysisFile, warn = FALSE))

# The last PCoA report: its eigenvalue percentages and the coordinates of every OTU.
starts <- which(lines == "Principal Coordinate Analysis")
if (length(starts) == 0)
  stop("the analysis file holds no principal coordinate analysis; run Trees > Principal Coordinate Analysis first",
       call. = FALSE)
report <- lines[seq(tail(starts, 1), length(lines))]

sectionAfter <- function(heading) {
  at <- match(heading, report)
  if (is.na(at)) stop("the PCoA report has no line '", heading, "'", call. = FALSE)
  rest <- report[-seq_len(at)]
  end <- match(TRUE, trimws(rest) == "")
  if (!is.na(end)) rest <- rest[seq_len(end - 1)]
  rest
}

percents <- as.numeric(trimws(sectionAfter("Eigenvalues (as percentages of the sum of positive eigenvalues)")))
coordLines <- sectionAfter("PCoA coordinates")
fields <- strsplit(trimws(coordLines), "[ \t]+")
otus <- vapply(fields, `[`, "", 1)
nAxes <- min(vapply(fields, length, 0L)) - 1
if (length(otus) < 2 || nAxes < 1) stop("the PCoA report has too few coordinates to plot", call. = FALSE)
coords <- t(vapply(fields, function(f) as.numeric(f[2:(nAxes + 1)]), numeric(nAxes)))
if (nAxes == 1) coords <- matrix(coords, ncol = 1)
if (anyNA(coords) || anyNA(percents)) stop("the PCoA report holds values that are not numbers", call. = FALSE)

axisLabel <- function(k) {
  if (k <= length(percents)) sprintf("Axis %d (%.1f %%)", k, percents[k]) else sprintf("Axis %d", k)
}

extension <- tolower(tools::file_ext(plotFile))
pairs <- if (nAxes >= 3) list(c(1, 2), c(1, 3), c(2, 3)) else if (nAxes == 2) list(c(1, 2)) else list()
plotCount <- 1 + max(1, length(pairs))
if (extension == "png") {
  png(plotFile, width = 1600, height = 800 * ceiling(plotCount / 2), res = 150)
  par(mfrow = c(ceiling(plotCount / 2), 2))
} else if (extension == "svg") {
  svg(plotFile, width = 10, height = 5 * ceiling(plotCount / 2))
  par(mfrow = c(ceiling(plotCount / 2), 2))
} else {
  pdf(plotFile, width = 8, height = 8)
}

barplot(percents, names.arg = seq_along(percents), xlab = "Axis", ylab = "% of positive eigenvalues",
        main = "PCoA eigenvalues", col = "grey70")
if (length(pairs) == 0) {
  stripchart(coords[, 1], method = "jitter", pch = 19, xlab = axisLabel(1), main = "PCoA coordinates")
} else {
  for (p in pairs) {
    x <- coords[, p[1]]
    y <- coords[, p[2]]
    plot(x, y, pch = 19, col = "steelblue", xlab = axisLabel(p[1]), ylab = axisLabel(p[2]),
         main = "PCoA coordinates", asp = 1)
    abline(h = 0, v = 0, col = "grey80", lty = 3)
    text(x, y, labels = otus, pos = 3, cex = 0.6)
  }
}
invisible(dev.off())
