# Makes the committed reference values of the coefficient unit tests:
#   cd tests/data/popgen && Rscript make_coefficient_reference.R
# Two random band matrices of 9 individuals by 30 loci (bands with probability 0.45), one complete
# and one with about 12 % missing cells, and their values from coefficient_oracle.R.
source("coefficient_oracle.R")

set.seed(20261209)
write_bands <- function(x, path) {
  x[is.na(x)] <- 9
  writeLines(apply(x, 1, paste, collapse = ""), path)
}
complete <- matrix(rbinom(9 * 30, 1, 0.45), nrow = 9)
missing <- complete
missing[runif(length(missing)) < 0.12] <- NA

write_bands(complete, "coefficient_bands_complete.txt")
write_bands(missing, "coefficient_bands_missing.txt")
write_values(reference_values(complete), "coefficient_reference_complete.txt")
write_values(reference_values(missing), "coefficient_reference_missing.txt")
