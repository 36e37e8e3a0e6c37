#!/usr/bin/python3
"""Runs a benchmark against its floor in one run and reports the best-of-N ratio.

Usage: floor_ratio.py BINARY SUBJECT FLOOR TARGET [--repetitions N]

BINARY is a Google Benchmark program holding the benchmarks SUBJECT and FLOOR. One untimed
pass warms the caches; then N repetitions of both run, and the best real time of each is
compared. Exit status 0 when SUBJECT / FLOOR is at most TARGET, 1 when it is more.

  # The search over a generated tree, against find (target 1.5):
  bench/make_search_tree.py /tmp/refontis-search-tree data/fonts/old/SOME.old.otf
  REFONTIS_SEARCH_TREE=/tmp/refontis-search-tree bench/floor_ratio.py \\
      BUILD/bench/search_bench BM_SearchFolder BM_FindFloor 1.5
  # UpdateFont of the largest real font, against cp (target 3):
  REFONTIS_REAL_FONTS=BUILD/real-fonts bench/floor_ratio.py \\
      BUILD/bench/update_font_bench BM_UpdateFont BM_CpFloor 3
"""
import argparse
import json
import subprocess
import sys


def run(binary, names, extra):
    pattern = '^(' + '|'.join(names) + ')(/|$)'
    out = subprocess.run([binary, f'--benchmark_filter={pattern}', '--benchmark_format=json',
                          *extra], check=True, stdout=subprocess.PIPE, text=True).stdout
    return json.loads(out)['benchmarks']


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('binary')
    ap.add_argument('subject')
    ap.add_argument('floor')
    ap.add_argument('target', type=float)
    ap.add_argument('--repetitions', type=int, default=3)
    args = ap.parse_args()

    run(args.binary, [args.subject, args.floor], [])  # warms the caches
    results = run(args.binary, [args.subject, args.floor],
                  [f'--benchmark_repetitions={args.repetitions}'])
    best = {}
    for r in results:
        if r.get('error_occurred'):
            sys.exit(f"{r['name']}: {r.get('error_message', 'failed')}")
        if r.get('run_type') != 'iteration':
            continue
        name = r['name'].split('/')[0]
        ms = r['real_time'] * {'ns': 1e-6, 'us': 1e-3, 'ms': 1.0, 's': 1e3}[r['time_unit']]
        best[name] = min(best.get(name, ms), ms)
    for name in (args.subject, args.floor):
        if name not in best:
            sys.exit(f'{name} did not run')
    ratio = best[args.subject] / best[args.floor]
    verdict = 'within' if ratio <= args.target else 'MISSES'
    print(f'{args.subject}: {best[args.subject]:.1f} ms, {args.floor}: {best[args.floor]:.1f} ms '
          f'(best of {args.repetitions}); ratio {ratio:.2f}, {verdict} the target {args.target:g}')
    return 0 if ratio <= args.target else 1


if __name__ == '__main__':
    sys.exit(main())
