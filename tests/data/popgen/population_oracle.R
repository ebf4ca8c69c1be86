# Reference AMOVA, pairwise PhiST, null-allele frequencies and chord distances from R.
#
#   Rscript population_oracle.R <bands file> <groups file> <values file>
#
# The bands file holds one individual per line, one character per locus (1 present, 0 absent). The
# groups file holds one group per line: its name and the 1-based members, separated by blanks; the
# first line is "AllData", the populations are the names "AllData/<region>/<population>" and
# "AllData/<region>" names a region. The values file gets lines "key value" (see below).
suppressPackageStartupMessages({
  library(ade4)
  library(vegan)
})

args <- commandArgs(trailingOnly = TRUE)
rows <- readLines(args[1])
x <- t(sapply(strsplit(rows, ""), as.integer))
groups <- lapply(strsplit(readLines(args[2]), " "), function(f) list(name = f[1], members = as.integer(f[-1])))
names(groups) <- sapply(groups, `[[`, "name")
out <- file(args[3], "w")
put <- function(key, value) writeLines(sprintf("%s %.17g", key, value), out)

n <- nrow(x)
level <- function(name) lengths(regmatches(name, gregexpr("/", name))) + 1
pops <- Filter(function(g) level(g$name) == 3, groups)
pop_of <- integer(n)
for (k in seq_along(pops)) pop_of[pops[[k]]$members] <- k
region_of_pop <- factor(sapply(pops, function(g) sub("/[^/]*$", "", g$name)))
samples <- as.data.frame.matrix(table(factor(seq_len(n)), factor(pop_of, levels = seq_along(pops))))

# Jaccard with d = sqrt(1 - s) (ade4's dist.binary method 1).
d <- dist.binary(as.data.frame(x), method = 1)
two <- suppressWarnings(amova(samples, d, data.frame(region = region_of_pop)))
put("amova2.ss.among", two$results[1, "Sum Sq"])
put("amova2.ss.apwg", two$results[2, "Sum Sq"])
put("amova2.ss.wp", two$results[3, "Sum Sq"])
put("amova2.ss.t", two$results[4, "Sum Sq"])
for (k in 1:3) {
  put(paste0("amova2.sigma.", k), two$componentsofcovariance[k, "Sigma"])
  put(paste0("amova2.pct.", k), two$componentsofcovariance[k, "%"])
}
put("amova2.phi.st", two$statphi["Phi-samples-total", 1])
put("amova2.phi.sr", two$statphi["Phi-samples-region", 1])
put("amova2.phi.rt", two$statphi["Phi-region-total", 1])

one <- suppressWarnings(amova(samples, d))
put("amova1.ss.among", one$results[1, "Sum Sq"])
put("amova1.ss.wp", one$results[2, "Sum Sq"])
put("amova1.ss.t", one$results[3, "Sum Sq"])
put("amova1.sigma.1", one$componentsofcovariance[1, "Sigma"])
put("amova1.sigma.2", one$componentsofcovariance[2, "Sigma"])
put("amova1.phi.st", one$statphi[1, 1])
set.seed(20261210)
put("amova1.p", randtest(one, nrepet = 999)$pvalue)

# vegan's sums of squares on d = 1 - s.
a <- adonis2(vegdist(x, "jaccard", binary = TRUE) ~ factor(pop_of), permutations = 0)
put("adonis.ss.among", a$SumOfSqs[1])
put("adonis.ss.wp", a$SumOfSqs[2])
put("adonis.ss.t", a$SumOfSqs[3])

# Pairwise PhiST: a one-level AMOVA of the two populations' individuals alone.
for (i in seq_along(pops)) for (j in seq_len(i - 1)) {
  keep <- pop_of %in% c(i, j)
  s <- as.data.frame.matrix(table(factor(seq_len(sum(keep))), factor(pop_of[keep])))
  dd <- dist.binary(as.data.frame(x[keep, ]), method = 1)
  put(sprintf("phist.%d.%d", i, j), suppressWarnings(amova(s, dd))$statphi[1, 1])
}

# Null-allele frequencies per group and locus from x = absences and N = members.
absences <- t(sapply(groups, function(g) colSums(x[g$members, , drop = FALSE] == 0)))
sizes <- sapply(groups, function(g) length(g$members))
L <- ncol(x)
bayes <- function(xa, N, a, b) {
  q <- exp(lbeta(N - xa + b, xa + a + 0.5) - lbeta(N - xa + b, xa + a))
  e <- exp(lbeta(N - xa + b, xa + a + 1) - lbeta(N - xa + b, xa + a))
  c(q, e - q^2)
}
beta_prior <- function(M, V) {
  k <- (1 - M) * M / V - 1
  c(M * k, (1 - M) * k)
}
correction <- 0.01
moments <- function(xs, Ns, T) {
  M <- sum(xs / T)
  S <- sum(xs^2 / (T * Ns))
  c(M, S - M^2)
}
among_pop <- which(names(groups) != "AllData")
freqs <- list()
for (g in seq_along(groups)) for (l in seq_len(L)) {
  xa <- absences[g, l]
  N <- sizes[g]
  p <- xa / N
  key <- sprintf("%s %d", names(groups)[g], l)
  freqs[[paste("sqrt", key)]] <- c(sqrt(p), 0)
  freqs[[paste("lm", key)]] <- if (xa <= 3) c(-9, -9) else c(sqrt(p) / (1 - (1 - p) / (8 * N * p)), (1 - p) / (4 * N))
  freqs[[paste("uniform", key)]] <- bayes(xa, N, 0.5, 1)
  if (g %in% among_pop) {
    xs <- absences[among_pop, l]
    Ns <- sizes[among_pop]
    mv <- moments(xs, Ns, sum(Ns))
    if (mv[2] <= 0) {
      xs[1] <- xs[1] + correction
      mv <- moments(xs, Ns, sum(Ns))
    }
    ab <- beta_prior(mv[1], mv[2])
    freqs[[paste("amongpop", key)]] <- bayes(xa, N, ab[1], ab[2])
  }
  xs <- absences[g, ]
  mv <- moments(xs, rep(N, L), L * N)
  if (mv[2] <= 0) {
    xs[1] <- xs[1] + correction
    mv <- moments(xs, rep(N, L), L * N)
  }
  ab <- beta_prior(mv[1], mv[2])
  freqs[[paste("amongloci", key)]] <- bayes(xa, N, ab[1], ab[2])
}
for (k in names(freqs)) {
  v <- freqs[[k]]
  v <- pmin(v, 1)
  writeLines(sprintf("freq %s %.17g %.17g", k, v[1], v[2]), out)
}

# Chord distances between the populations from the uniform-prior estimates.
chord <- function(qi, qj) {
  ok <- qi >= 0 & qi <= 1 & qj >= 0 & qj <= 1
  t <- pmax(2 * (1 - (sqrt(qi * qj) + sqrt((1 - qi) * (1 - qj)))), 0)
  2 * sum(sqrt(t[ok])) / (length(qi) * pi)
}
q_of <- function(name) sapply(seq_len(L), function(l) freqs[[paste("uniform", name, l)]][1])
for (i in seq_along(pops)) for (j in seq_len(i - 1))
  put(sprintf("chord.%d.%d", i, j), chord(q_of(pops[[i]]$name), q_of(pops[[j]]$name)))
close(out)
