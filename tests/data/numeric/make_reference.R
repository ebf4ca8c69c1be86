# Reference values for the numeric routines, computed with R in double precision.
# Usage: Rscript make_reference.R [output folder]   (default: the folder of this script)
# Every number is written with 17 significant digits so that it reads back as the same double.

args <- commandArgs(trailingOnly = TRUE)
out <- if (length(args) >= 1) args[1] else {
  file_arg <- grep("^--file=", commandArgs(FALSE), value = TRUE)
  if (length(file_arg) == 1) dirname(normalizePath(sub("^--file=", "", file_arg))) else "."
}
dir.create(out, showWarnings = FALSE, recursive = TRUE)

num <- function(v) sprintf("%.17g", v)
write_table <- function(name, cols) {
  lines <- c(paste(names(cols), collapse = ","),
             do.call(paste, c(lapply(cols, function(v) if (is.character(v)) v else num(v)), sep = ",")))
  con <- file(file.path(out, name), "wb")
  writeLines(lines, con, sep = "\n")
  close(con)
}

# Gamma: the small-argument rational forms (|x| <= 1/32), the [2, 3] rational form reached by
# recurrence from both sides, Stirling above 13 and the reflection below -13. Double overflows
# above 171.6, so larger arguments are checked through lgamma.
gx <- c(1e-300, -1e-300, 1e-20, -1e-20, 1e-8, -1e-8, 0.001, -0.001, 0.015625, -0.03125, 0.03125,
        0.03125000001, -0.0312500001, 0.1, -0.1, 0.25, 0.5, -0.5, 0.75, 0.999, 1, 1.0001, 1.5, -1.5,
        1.9999, 2, 2.0001, 2.25, 2.5, 2.75, 2.9999, 3, 3.5, -2.5, -3.7, 4.2, 5, 6.6, 7.125, -7.125,
        9.99, 10, 11.5, -11.5, 12.75, -12.99, 12.999, 13, -12.5, 13.001, 13.5, -13.5, 14.25, -14.25,
        20, -20.5, 25.5, 30.3, -33.7, 50, 60.25, -60.25, 99.5, 100.7, -100.3, 120, -150.5, 170.5,
        171.5)
write_table("gamma.csv", list(x = gx, value = gamma(gx)))

# lgamma: the [2, 3] rational form (below 13), Stirling from 13 (with and without the series
# term beyond 1e10), the reflection below -34 and the recurrence between -34 and 13.
lx <- c(1e-300, 1e-30, -1e-30, 1e-5, -0.001, 0.03, -0.03, 0.1, -0.3, 0.5, -0.5, 0.9, 1.1, 1.5, 1.9,
        2.1, 2.5, 2.9, 3.3, -3.3, 4.5, 6, 7.77, 10.5, -10.5, 12.5, 12.9999, 13, 13.0001, 20, -20.5,
        33.9, 34, -33.5, 34.0001, -34.5, 35.2, -35.2, 50.5, 100, 171.5, 200, -200.5, 500.25, 1000,
        -1000.5, 1024, 1024.5, 1025, 1500, 1754.9, -1754.9, 1755.4, 1800, 1e4, -10000.5, 1e5, 1e8,
        1e10, 1.5e10, 1e15, 1e50, 1e100, 1e300)
write_table("lgamma.csv", list(x = lx, value = lgamma(lx)))

# Beta, positive arguments with R's beta; arguments with a negative one through gamma.
ba <- c(2, 0.5, 1e-5, 10, 100, 300, 0.3, 1e-3, 700, 1, 4.5, 150.25, 50, 0.01)
bb <- c(3, 0.5, 2, 20.5, 200.25, 500, 1000, 1e-3, 800, 1, 1e-4, 20, 50, 900)
na <- c(-0.5, -1.5, 3.2, -2.25, -0.1)
nb <- c(2.3, -0.7, -2.5, 1.5, -4.6)
write_table("beta.csv", list(a = c(ba, na), b = c(bb, nb),
                             value = c(beta(ba, bb), gamma(na) * gamma(nb) / gamma(na + nb))))

# pbeta over a product grid: it reaches the power series (b x <= 1, x <= 0.95) directly and
# after the swap, both continued fractions, and the logarithmic branch (a + b > 1755).
pa <- c(0.1, 0.5, 1, 2.5, 10, 55.5, 300, 1e4)
px <- c(1e-5, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99, 0.99999)
grid <- expand.grid(x = px, b = pa, a = pa)
extra <- data.frame(x = c(0.5, 0.3, 0.62, 0.07, 0.05, 0.4995, 0.95, 0.97),
                    a = c(1000, 900, 5000, 2, 0.5, 1000, 30, 2),
                    b = c(1000, 2000, 3000, 20, 30, 1001, 0.5, 2))
pg <- rbind(grid[, c("x", "a", "b")], extra)
write_table("pbeta.csv", list(x = pg$x, a = pg$a, b = pg$b, value = pbeta(pg$x, pg$a, pg$b)))

# Two-sided Student t tail probability P(|T| >= |t|).
df <- c(1, 2, 3, 4, 5, 7, 10, 15, 20, 30, 50, 100, 1000, 1e4, 1e5)
tt <- c(0, 1e-6, 0.001, 0.1, 0.5, 1, 1.5, 2, 2.5, 3, 4, 5, 7, 10, 20, 50, -2.5)
tg <- expand.grid(t = tt, df = df)
write_table("pt.csv", list(df = tg$df, t = tg$t, value = 2 * pt(-abs(tg$t), tg$df)))

# Minimisation and roots. The C++ side defines the same functions under the same names.
# Outside (0, 1) the likelihood-like functions give 1e200, as the program's likelihoods do.
fns <- list(
  quadratic = function(x) (x - 2)^2,
  quartic = function(x) x^4 - 3 * x + 1,
  loglik = function(x) ifelse(x <= 0 | x >= 1, 1e200, -(7 * log(x) + 3 * log(1 - x))),
  coshift = function(x) cosh(x + 3.5) + 0.25 * x,
  sqrt2 = function(x) x^2 - 2,
  cubic = function(x) x^3 - 2 * x - 5,
  cosx = function(x) cos(x) - x,
  expdecay = function(x) exp(-x) - 0.1,
  support = function(x) ifelse(x <= 0 | x >= 1, -1e200,
                               7 * log(x) + 3 * log(1 - x) - (7 * log(0.7) + 3 * log(0.3)) + 2)
)

# name, start pair of the program's search (a, b), R's interval (lo, hi), tolerance asked.
opt <- data.frame(name = c("quadratic", "quartic", "loglik", "coshift"),
                  a = c(0, 0, 0, 0), b = c(1, 0.5, 0.5, 1),
                  lo = c(-5, -2, 0, -10), hi = c(5, 3, 1, 5), tol = c(1e-7, 1e-7, 1e-7, 1e-7))
xmin <- numeric(nrow(opt)); ymin <- numeric(nrow(opt))
for (i in seq_len(nrow(opt))) {
  r <- optimize(fns[[opt$name[i]]], c(opt$lo[i], opt$hi[i]), tol = 1e-10)
  xmin[i] <- r$minimum; ymin[i] <- r$objective
}
write_table("optimize.csv", list(name = opt$name, a = opt$a, b = opt$b, lo = opt$lo, hi = opt$hi,
                                 tol = opt$tol, xmin = xmin, ymin = ymin))

# Roots on intervals with a sign change; R is asked a tenth of the tolerance.
roots <- data.frame(name = c("sqrt2", "cubic", "cosx", "expdecay", "support"),
                    lo = c(1, 2, 0, 0, 0.05), hi = c(2, 3, 1, 5, 0.7),
                    tol = c(1e-12, 1e-12, 1e-12, 1e-12, 1e-12))
root <- numeric(nrow(roots))
for (i in seq_len(nrow(roots))) {
  root[i] <- uniroot(fns[[roots$name[i]]], c(roots$lo[i], roots$hi[i]),
                     tol = roots$tol[i] / 10, maxiter = 10000)$root
}
write_table("uniroot.csv", list(name = roots$name, lo = roots$lo, hi = roots$hi, tol = roots$tol,
                                root = root))
