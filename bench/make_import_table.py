#!/usr/bin/env python3
"""Writes a plain CSV to import, for timing the importer: ROWS rows of 20 columns (7 texts of a
few values each, 7 whole numbers, 6 decimals, a few missing values), the same for the same
arguments.

    bench/make_import_table.py OUT.csv [ROWS]      (ROWS: 1000000 by default)
"""
import random
import sys

TEXTS = [
    ["red", "green", "blue", "white", "black"],
    ["north", "south", "east", "west"],
    ["primary", "secondary", "university"],
    ["yes", "no"],
    ["Praha", "Brno", "Ostrava", "Plzen", "Liberec", "Olomouc", "Zlin", "Jihlava"],
    ["a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"],
    ["low", "medium", "high"],
]


def row(rng):
    values = [rng.choice(choices) for choices in TEXTS]
    values += [
        str(rng.randint(0, 5)),
        str(rng.randint(0, 10)),
        str(rng.randint(18, 90)),
        str(rng.randint(0, 100000)),
        str(rng.randint(1, 12)),
        str(rng.randint(-500, 500)),
        "" if rng.random() < 0.02 else str(rng.randint(0, 2000)),
    ]
    values += [
        f"{rng.gauss(50, 15):.2f}",
        f"{rng.uniform(0, 1):.4f}",
        f"{rng.lognormvariate(10, 1):.1f}",
        f"{rng.gauss(0, 1):.3f}",
        "NA" if rng.random() < 0.01 else f"{rng.uniform(100, 200):.2f}",
        f"{rng.expovariate(0.1):.2f}",
    ]
    return ",".join(values)


def main():
    out = sys.argv[1]
    rows = int(sys.argv[2]) if len(sys.argv) > 2 else 1000000
    rng = random.Random(20261209)
    names = ["COLOR", "REGION", "SCHOOL", "OWNER", "CITY", "GRADE", "RISK", "CHILDREN",
             "SCORE", "AGE", "INCOME", "MONTH", "BALANCE", "DEBT", "WEIGHT", "SHARE",
             "SALARY", "ZSCORE", "PRICE", "WAIT"]
    with open(out, "w", newline="") as f:
        f.write(",".join(names) + "\n")
        for _ in range(rows):
            f.write(row(rng) + "\n")


if __name__ == "__main__":
    main()
