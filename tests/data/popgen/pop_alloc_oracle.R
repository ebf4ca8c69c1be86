# Population reallocation log-likelihoods written from the method alone: band frequencies per
# population (presences / members), exactly 0 or 1 replaced by 1/(N + 1); a member's own
# frequencies from the other N - 1 members, corrected by 1/N; the probability of a missing cell is
# missingProb * f (1 - f when missingProb is 0); base-10 logarithms summed over loci.
# Input: missingProb on the first line, then one line per individual: its population (1-based)
# and its states (0, 1, 9). Output: one line per population with the log-likelihood of every
# individual.
args <- commandArgs(trailingOnly = TRUE)
lines <- readLines(args[1])
missingProb <- as.numeric(lines[1])
parts <- strsplit(lines[-1], " ")
pop <- as.integer(sapply(parts, `[`, 1))
states <- do.call(rbind, lapply(parts, function(x) as.integer(strsplit(x[2], "")[[1]])))
correct <- function(f, c) ifelse(f == 0, c, ifelse(f == 1, 1 - c, f))
prob <- function(s, f) {
  if (missingProb == 0) ifelse(s == 1, f, 1 - f)
  else ifelse(s == 1, f, ifelse(s == 0, 1 - f, missingProb * f))
}
out <- character(0)
for (k in sort(unique(pop))) {
  members <- which(pop == k)
  n <- length(members)
  presences <- colSums(states[members, , drop = FALSE] == 1)
  f <- correct(presences / n, 1 / (n + 1))
  values <- sapply(seq_len(nrow(states)), function(i) {
    s <- states[i, ]
    fi <- if (pop[i] == k) correct(pmax(presences - (s == 1), 0) / (n - 1), 1 / n) else f
    sum(log10(prob(s, fi)))
  })
  out <- c(out, paste(sprintf("%.17g", values), collapse = " "))
}
writeLines(out, args[2])
