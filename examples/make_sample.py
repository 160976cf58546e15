#!/usr/bin/env python3
"""Writes credit.CSV, the sample data file of Tav Explorer.

Deterministic: the same file on every run (its own linear congruential generator, no library
randomness). The class field LOAN depends on INCOME and EDUCATION, so that ranking the simple
rules finds conditions on those two fields; the other fields are noise or weakly related.
Run: python3 make_sample.py  (writes credit.CSV beside this script, Windows-1250, CR LF).
"""

import os

RECORDS = 4000


class Lcg:
    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % (1 << 64)
        return (self.state >> 33) / float(1 << 31)

    def pick(self, weights):
        x = self.next() * sum(weights)
        for k, w in enumerate(weights):
            if x < w:
                return k
            x -= w
        return len(weights) - 1


CITIES = ["Ljubljana", "Maribor", "Celje", "Kranj", "Koper", "Novo mesto", "Murska Sobota",
          "Škofja Loka", "Črnomelj", "Ptuj", "Žalec", "Velenje"]
FIRST = ["Ana", "Marko", "Nina", "Luka", "Eva", "Jure", "Maja", "Tomaž", "Špela", "Matej",
         "Urška", "Žiga", "Katja", "Gašper", "Mojca", "Peter"]
LAST = ["Novak", "Horvat", "Krajnc", "Kovačič", "Zupančič", "Potočnik", "Mlakar", "Kos",
        "Vidmar", "Golob", "Turk", "Božič", "Kralj", "Zupan", "Bizjak", "Hribar"]

# The class LOAN comes first: field 0 is the class field when a file is opened.
NAMES = ["LOAN", "NAME", "SEX", "AGE", "REGION", "EDUCATION", "CHILDREN", "INCOME", "HOURS",
         "DEBT", "CITY"]
TYPES = ["SET:1..2", "STRING", "SET:1..2:UNK=0", "INT:1..5:UNK=0", "SET:1..4:UNK=0,9",
         "SET:1..4:UNK=0", "INT:0..4:UNK=9", "REAL:::4", "REAL:::3", "CURRENCY:::3", "STRING"]
LABELS = {
    "SEX": ["male", "female"],
    "AGE": ["18-25", "26-35", "36-50", "51-65", "over 65"],
    "REGION": ["north", "south", "east", "west"],
    "EDUCATION": ["primary", "secondary", "college", "university"],
    "CHILDREN": ["none", "one", "two", "three", "four or more"],
    "INCOME": ["800", "1200", "1800", "2500"],
    "HOURS": ["20", "35", "45"],
    "DEBT": ["0", "5000", "20000"],
    "LOAN": ["approved", "refused"],
}


def record(rng):
    sex = 1 + rng.pick([50, 50])
    age = 1 + rng.pick([15, 25, 30, 20, 10])
    region = 1 + rng.pick([30, 25, 25, 20])
    education = 1 + rng.pick([15, 45, 25, 15])
    children = rng.pick([35, 25, 25, 10, 5])
    # Income grows with education and age.
    base = 600 + 350 * education + 120 * min(age, 4)
    income = max(300.0, base * (0.55 + 0.9 * rng.next()))
    hours = round(15 + 35 * rng.next(), 1)
    debt = round([0, 0, 2500, 9000, 30000][rng.pick([30, 10, 25, 25, 10])] * (0.5 + rng.next()), 2)
    # The class: approval depends on the income band and on a higher education.
    band = 0 if income <= 800 else 1 if income <= 1200 else 2 if income <= 1800 else 3
    p_approved = 0.12 + 0.17 * band + (0.22 if education >= 3 else 0.0)
    loan = 1 if rng.next() < p_approved else 2

    # Unknown codes in some records.
    if rng.next() < 0.03:
        sex = 0
    if rng.next() < 0.04:
        age = 0
    if rng.next() < 0.02:
        region = 9
    if rng.next() < 0.03:
        education = 0
    if rng.next() < 0.02:
        children = 9
    name = FIRST[int(rng.next() * len(FIRST))] + " " + LAST[int(rng.next() * len(LAST))]
    city = CITIES[int(rng.next() * len(CITIES))]
    income_text = ("%.2f" % income).replace(".", ",") if rng.next() < 0.2 else "%.2f" % income
    return [str(loan), name, str(sex), str(age), str(region), str(education), str(children),
            income_text, "%g" % hours, "%.2f" % debt, city]


def main():
    rng = Lcg(20261208)
    label_count = max(len(v) for v in LABELS.values())
    lines = ["TAV DATA:%d/TXT/1250" % label_count, ";".join(NAMES), ";".join(TYPES)]
    for j in range(label_count):
        row = []
        for name in NAMES:
            values = LABELS.get(name, [])
            row.append(values[j] if j < len(values) else "")
        lines.append(";".join(row))
    for _ in range(RECORDS):
        lines.append(";".join(record(rng)))
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "credit.CSV")
    with open(path, "wb") as out:
        out.write(("\r\n".join(lines) + "\r\n").encode("cp1250"))


if __name__ == "__main__":
    main()
