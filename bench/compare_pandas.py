#!/usr/bin/env python3
"""Times a whole tav-batch rank against pandas on the same table, side by side, paired.

usage: bench/compare_pandas.py DATAFILE [BUILD_DIR] [ROUNDS]
       e.g. build/bench/tav_bench_gen 1M 1M.tav && bench/compare_pandas.py 1M.tav build 3

DATAFILE is a generated data file (TXT, ';' between values, class in field 0). The pandas side
reads the same records as a plain CSV (written next to it once, as NAME.plain.csv) and
cross-tabulates every field against the class: read_csv plus one crosstab per field, the least
that gives the counts the ranking is made of. Each round runs both, one after the other; the
figures are CPU seconds (user + system) of each side's own process, and their ratio.
"""
import os
import resource
import subprocess
import sys

PANDAS_SIDE = r'''
import sys, pandas as pd
table = pd.read_csv(sys.argv[1], sep=';')
klass = table.columns[0]
for field in table.columns[1:]:
    pd.crosstab(table[field], table[klass])
'''


def plain_csv(data_file):
    """The names line and the records of the data file, without its header and types lines."""
    plain = os.path.splitext(data_file)[0] + '.plain.csv'
    if not os.path.exists(plain):
        with open(data_file, 'rb') as source, open(plain, 'wb') as target:
            source.readline()  # "TAV DATA:0/TXT/1250"
            target.write(source.readline())  # the names
            source.readline()  # the types
            for line in source:
                target.write(line)
    return plain


def cpu_of(command):
    """CPU seconds of a child process run to its end."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    data_file = sys.argv[1]
    build = sys.argv[2] if len(sys.argv) > 2 else 'build'
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    plain = plain_csv(data_file)
    tav = [os.path.join(build, 'batch', 'tav-batch'), 'rank', data_file, '--class', '0']
    # Debian's pandas belongs to the system's Python, which need not be the one running this.
    python = '/usr/bin/python3' if os.path.exists('/usr/bin/python3') else sys.executable
    pandas = [python, '-c', PANDAS_SIDE, plain]
    print('round  tav-batch rank (s)  pandas (s)  ratio')
    ratios = []
    for k in range(rounds):
        t = cpu_of(tav)
        p = cpu_of(pandas)
        ratios.append(t / p)
        print('%5d  %18.2f  %10.2f  %5.3f' % (k + 1, t, p, t / p))
    ratios.sort()
    print('median ratio %.3f' % ratios[len(ratios) // 2])


if __name__ == '__main__':
    main()
