#!/usr/bin/python3
"""Generates a folder tree for the search benchmark.

Usage: make_search_tree.py ROOT FONT [--folders N] [--files N] [--candidates N] [--matches N]

Writes ROOT (which must not exist) with N folders at most seven levels below ROOT, N empty
files spread over them, N files whose names contain ".otf" and, among those, a few copies of
FONT under names that fit the benchmark's patch stems. ROOT.manifest lists, one a line, the
stems ("stem NAME") and the matches ("match PATH"), for the benchmark program.
Reproducible: the same arguments give the same tree.
"""
import argparse
import os
import random
import shutil
import sys

STEMS = ['RefontisBenchSans-Regular', 'RefontisBenchSerif-Bold', 'RefontisBenchMono-Light']
MAX_DEPTH = 7


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('root')
    ap.add_argument('font')
    ap.add_argument('--folders', type=int, default=100000)
    ap.add_argument('--files', type=int, default=500000)
    ap.add_argument('--candidates', type=int, default=300)
    ap.add_argument('--matches', type=int, default=4)
    args = ap.parse_args()
    if os.path.exists(args.root):
        sys.exit(f'{args.root} exists already')
    rng = random.Random(20240611)

    # Breadth first with a random fan-out, so every level up to MAX_DEPTH is populated.
    os.makedirs(args.root)
    folders = [(args.root, 0)]
    frontier = [(args.root, 0)]
    while len(folders) - 1 < args.folders and frontier:
        parent, depth = frontier.pop(rng.randrange(len(frontier)))
        for k in range(rng.randint(2, 9)):
            if len(folders) - 1 >= args.folders:
                break
            path = os.path.join(parent, f'dir{k:02d}-{rng.randrange(1 << 20):05x}')
            os.mkdir(path)
            folders.append((path, depth + 1))
            if depth + 1 < MAX_DEPTH:
                frontier.append((path, depth + 1))

    extensions = ['.dat', '.txt', '.png', '.ttf', '.xml', '.log', '']
    for n in range(args.files):
        folder = folders[rng.randrange(len(folders))][0]
        name = f'f{n:07d}{extensions[n % len(extensions)]}'
        open(os.path.join(folder, name), 'wb').close()

    # ".otf" names: most fit no stem; a few fit one but hold no font; a few are the real thing.
    matches = []
    for n in range(args.candidates):
        folder = folders[rng.randrange(len(folders))][0]
        if n < args.matches:
            path = os.path.join(folder, STEMS[n % len(STEMS)] + '.otf')
            shutil.copyfile(args.font, path)
            matches.append(path)
        elif n < args.matches + 6:
            path = os.path.join(folder, STEMS[n % len(STEMS)] + f'_{n % 100:02d}.otf')
            with open(path, 'wb') as f:
                f.write(b'OTTO' + bytes(60))
        else:
            path = os.path.join(folder, f'Other-Font-{n:04d}.otf' + ('.bak' if n % 5 == 0 else ''))
            open(path, 'wb').close()

    with open(args.root.rstrip('/') + '.manifest', 'w') as m:
        for stem in STEMS:
            m.write(f'stem {stem}\n')
        for path in matches:
            m.write(f'match {path}\n')
    print(f'{len(folders) - 1} folders, {args.files + args.candidates} files, '
          f'{args.candidates} .otf names, {len(matches)} matches under {args.root}')


if __name__ == '__main__':
    main()
