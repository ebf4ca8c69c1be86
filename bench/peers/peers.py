"""Times the Python tools a researcher would use instead of TESK on the data bench/peer_data wrote.

Prints one line per tool: work, tool, median seconds of three runs (or "skip" and why).
Usage: peers.py FOLDER N NPCOA
"""
import sys
import time

try:
    import numpy as np
    from scipy.cluster.hierarchy import linkage
    from scipy.spatial.distance import pdist
except ImportError as e:
    for work, tool in [("jaccard_std", "scipy_pdist"), ("jaccard_min", "numpy_counts"),
                       ("jaccard_max", "numpy_counts"), ("jaccard_avg", "numpy_counts_draws"),
                       ("upgma", "scipy_linkage_weighted")]:
        print(work, tool, "skip", f"({e.name} not installed: apt-get install python3-scipy)")
    sys.exit(0)

folder, n = sys.argv[1], int(sys.argv[2])


def median_time(f):
    times = []
    for _ in range(3):
        t = time.perf_counter()
        f()
        times.append(time.perf_counter() - t)
    return sorted(times)[1]


def say(work, tool, f):
    print(work, tool, f"{median_time(f):.4g}", flush=True)


def bands(name):
    raw = np.frombuffer(open(f"{folder}/{name}", "rb").read(), dtype=np.uint8)
    rows = raw.reshape(n, -1)[:, :-1]  # drop the line breaks
    return rows - ord("0")


def ratio(num, den):
    with np.errstate(invalid="ignore", divide="ignore"):
        return np.where(num == 0, 0.0, num / den)


def planes(x):
    return [(x == s).astype(np.float32) for s in (1, 0, 9)]


def jaccard_min(x):
    p, a, m = planes(x)
    c11, c10, c01 = p @ p.T, p @ a.T, a @ p.T
    c19, c91, c09, c90 = p @ m.T, m @ p.T, a @ m.T, m @ a.T
    return ratio(c11, c11 + c10 + c01 + c19 + c91 + c09 + c90)


def jaccard_max(x):
    p, a, m = planes(x)
    shared = p @ p.T + p @ m.T + m @ p.T + m @ m.T
    return ratio(shared, shared + p @ a.T + a @ p.T)


def jaccard_average(x, draws=100):
    lo, hi = jaccard_min(x), jaccard_max(x)
    rng = np.random.default_rng(1)
    i, j = np.tril_indices(n)
    lo, hi = lo[i, j], hi[i, j]
    total = np.zeros_like(lo, dtype=np.float64)
    for _ in range(draws):
        total += lo + (hi - lo) * rng.random(lo.shape)
    return total / draws


complete = bands("bands_complete.txt").astype(bool)
missing = bands("bands_missing.txt")
d = np.fromfile(f"{folder}/jaccard.bin", dtype="<f8").reshape(n, n)
condensed = d[np.triu_indices(n, 1)]

say("jaccard_std", "scipy_pdist", lambda: pdist(complete, "jaccard"))
say("jaccard_min", "numpy_counts", lambda: jaccard_min(missing))
say("jaccard_max", "numpy_counts", lambda: jaccard_max(missing))
say("jaccard_avg", "numpy_counts_draws", lambda: jaccard_average(missing))
say("upgma", "scipy_linkage_weighted", lambda: linkage(condensed, "weighted"))
