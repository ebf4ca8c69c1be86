# Maximum-likelihood hybrid index of dominant bands, written from the model alone: with
# pbar = h p1 + (1 - h) p0 a band is absent with probability (1 - pbar)^2. The estimate comes from
# optimize (the boundaries compared as well), the support limits (2 log-likelihood units below the
# maximum) from uniroot.
# Input: band frequencies of parent 1, of parent 2, then one line of states (0, 1, 9) per individual.
# Output: one line per individual: h, lower limit, upper limit, maximum log-likelihood.
args <- commandArgs(trailingOnly = TRUE)
lines <- readLines(args[1])
f1 <- as.numeric(strsplit(lines[1], " ")[[1]])
f0 <- as.numeric(strsplit(lines[2], " ")[[1]])
p1 <- 1 - sqrt(1 - f1)
p0 <- 1 - sqrt(1 - f0)
used <- abs(p1 - p0) >= 1e-6
lnl <- function(h, s) {
  pbar <- h * p1 + (1 - h) * p0
  absent <- (1 - pbar)^2
  prob <- ifelse(s == 0, absent, 1 - absent)
  terms <- ifelse(prob > 0, log(prob), -1e200)
  sum(terms[used & s != 9])
}
out <- character(0)
for (line in lines[-(1:2)]) {
  s <- as.integer(strsplit(line, "")[[1]])
  best <- optimize(function(h) lnl(h, s), c(0, 1), maximum = TRUE, tol = 1e-12)
  h <- best$maximum
  top <- best$objective
  for (edge in c(0, 1)) if (lnl(edge, s) > top) { h <- edge; top <- lnl(edge, s) }
  support <- function(x) lnl(x, s) - top + 2
  lower <- if (h <= 0 || support(0) >= 0) 0 else uniroot(support, c(0, h), tol = 1e-14)$root
  upper <- if (h >= 1 || support(1) >= 0) 1 else uniroot(support, c(h, 1), tol = 1e-14)$root
  out <- c(out, sprintf("%.17g %.17g %.17g %.17g", h, lower, upper, top))
}
writeLines(out, args[2])
