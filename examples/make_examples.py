#!/usr/bin/env python3
"""Writes the example files of TESK with a fixed seed, so they are the same on every machine.

fingerprints.txt  40 individuals in 4 populations nested in 2 regions, 120 loci in two locus sets,
                  about 3 % missing cells, in TESK's own format (individuals in columns).
counts.tsv        band intensities of 12 individuals at 30 loci, tab-separated, with a few "NA".
distances.txt     a labelled lower-triangle distance matrix of 8 individuals.
"""
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
CRLF = "\r\n"


def write(name, lines):
    with open(os.path.join(HERE, name), "w", newline="") as f:
        f.write(CRLF.join(lines) + CRLF)


def fingerprints(rng):
    regions = {"North": ["N1", "N2"], "South": ["S1", "S2"]}
    n_per_pop, n_loci = 10, 120
    # Band frequencies: a regional value per locus, populations scattered around it.
    base = [rng.uniform(0.05, 0.95) for _ in range(n_loci)]
    names, cols, groups = [], [], []
    for region, pops in regions.items():
        shift = [min(0.98, max(0.02, b + rng.gauss(0, 0.2))) for b in base]
        members_region = []
        for pop in pops:
            freq = [min(0.98, max(0.02, s + rng.gauss(0, 0.1))) for s in shift]
            members = []
            for k in range(1, n_per_pop + 1):
                name = f"{pop}_{k:02d}"
                col = []
                for p in freq:
                    if rng.random() < 0.03:
                        col.append("?")
                    else:
                        col.append("1" if rng.random() < p else "0")
                names.append(name)
                cols.append(col)
                members.append(name)
            groups.append((f"AllData/{region}/{pop}", members))
            members_region += members
        groups.insert(len(groups) - len(pops), (f"AllData/{region}", members_region))
    lines = ["<TESK:10?}{*:c+,i+,l-,d+,a+>",
             "{ Example data: 40 individuals of 4 populations in 2 regions, 120 loci }",
             " ".join(names)]
    for loc in range(n_loci):
        lines.append(" ".join(col[loc] for col in cols))
    lines.append("*")
    lines.append("[Groups]")
    for gname, members in groups:
        lines.append(f"{gname}={','.join(members)};")
    lines.append("*")
    lines.append("[LocusSets]")
    lines.append("PrimerA=" + ",".join(f"Locus{l}" for l in range(1, 61)) + ";")
    lines.append("PrimerB=" + ",".join(f"Locus{l}" for l in range(61, n_loci + 1)) + ";")
    lines.append("*")
    write("fingerprints.txt", lines)


def counts(rng):
    inds = [f"Ind{k:02d}" for k in range(1, 13)]
    lines = ["\t" + "\t".join(inds)]
    for loc in range(1, 31):
        row = [f"L{loc:02d}"]
        for _ in inds:
            row.append("NA" if rng.random() < 0.04 else str(rng.choice([0, 0, 1, 2, 5, 12, 25, 40, 80])))
        lines.append("\t".join(row))
    write("counts.tsv", lines)


def distances(rng):
    labels = [f"Sample{k}" for k in range(1, 9)]
    pts = [[rng.gauss(0, 1) for _ in range(3)] for _ in labels]
    lines = ["Example Euclidean distances", " ".join(labels)]
    for r in range(len(labels)):
        row = []
        for c in range(r + 1):
            d = sum((a - b) ** 2 for a, b in zip(pts[r], pts[c])) ** 0.5
            row.append(f"{d:.6f}")
        lines.append(" ".join(row))
    lines.append("*")
    write("distances.txt", lines)


if __name__ == "__main__":
    rng = random.Random(20261209)
    fingerprints(rng)
    counts(rng)
    distances(rng)
