#!/usr/bin/env python3
"""Runs the benchmark of the generated tables and prints its figures as one table.

usage: bench/case_table.py [BUILD_DIR] [CASES]     e.g. bench/case_table.py build S,M,W
Times are seconds of wall-clock time per operation (Google Benchmark's mean over its
iterations); R_load = T_load / T_split, R_rule = T_run / (rules x K x T_pa).
"""
import json
import os
import subprocess
import sys
import tempfile


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else 'build'
    cases = sys.argv[2].split(',') if len(sys.argv) > 2 else ['S', 'M', 'W', 'L', 'R', 'X']
    program = os.path.join(build, 'bench', 'tav_bench_cases')
    with tempfile.NamedTemporaryFile(suffix='.json') as out:
        # The large cases run a fixed number of iterations, which their names end with.
        pattern = '^T_[a-z]+/(%s)(/|$)' % '|'.join(cases)
        subprocess.run([program, '--benchmark_filter=' + pattern, '--benchmark_out=' + out.name,
                        '--benchmark_out_format=json'], check=True, stdout=subprocess.DEVNULL)
        runs = json.load(open(out.name))['benchmarks']
    scale = {'ns': 1e-9, 'us': 1e-6, 'ms': 1e-3, 's': 1.0}
    figures = {}
    for run in runs:
        what, case = run['name'].split('/')[:2]
        entry = figures.setdefault(case, {})
        entry[what] = run['real_time'] * scale[run['time_unit']]
        for key in ('rules', 'K', 'records'):
            if key in run:
                entry[key] = run[key]
    print('%-4s %8s %6s %6s %9s %9s %9s %9s %8s %7s' %
          ('case', 'records', 'rules', 'K', 'T_load', 'T_split', 'T_run', 'T_freq', 'R_load',
           'R_rule'))
    for case in cases:
        f = figures.get(case)
        if not f:
            continue
        r_load = f['T_load'] / f['T_split']
        r_rule = f['T_run'] / (f['rules'] * f['K'] * f['T_pa'])
        print('%-4s %8d %6d %6d %9.4f %9.4f %9.4f %9.5f %8.2f %7.2f' %
              (case, f['records'], f['rules'], f['K'], f['T_load'], f['T_split'], f['T_run'],
               f['T_freq'], r_load, r_rule))


if __name__ == '__main__':
    main()
