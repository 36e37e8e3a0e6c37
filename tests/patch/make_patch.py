#!/usr/bin/python3
"""Writes a patch that turns an old font file into a new one; an independent writer for tests.

Usage: make_patch.py [--literal-only] [--summary FILE.json] OLD.otf NEW.otf OUT.pa

One record per table of NEW in directory order. A table whose bytes equal the old table of the
same tag gets no difference area (the old table is carried over); a changed table gets a
difference area: copy blocks for the runs found unchanged in the old table and literals for the
rest, or with --literal-only one literal covering the whole table. --summary writes what was
written (header and per-record values with block counts and byte totals) as JSON.
"""
import argparse
import json
import struct

MIN_COPY = 16  # shorter unchanged runs go into the literals
PROBE = 32  # bytes looked up in the old table to find the next copy
STEP = 16  # how far a failed lookup moves on
WINDOW = 1 << 16  # how far from the last copy's shift a lookup searches


def read_directory(data):
    """Tables of an sfnt file in directory order: (tag, offset, length)."""
    (num_tables,) = struct.unpack_from('>H', data, 4)
    tables = []
    for i in range(num_tables):
        tag, _checksum, offset, length = struct.unpack_from('>4sIII', data, 12 + 16 * i)
        tables.append((tag, offset, length))
    return tables


def table_bytes(data, offset, length):
    return data[offset:offset + length]


def fifth_name_record(data):
    """Raw bytes of the name record at index 4, in the order the name table stores them."""
    for tag, offset, length in read_directory(data):
        if tag == b'name':
            _fmt, count, string_offset = struct.unpack_from('>HHH', data, offset)
            if count < 5:
                raise SystemExit('the old font has fewer than five name records')
            _p, _e, _l, _n, text_length, text_offset = struct.unpack_from(
                '>HHHHHH', data, offset + 6 + 12 * 4)
            start = offset + string_offset + text_offset
            return data[start:start + text_length]
    raise SystemExit('the old font has no name table')


def font_revision(data):
    for tag, offset, _length in read_directory(data):
        if tag == b'head':
            return struct.unpack_from('>I', data, offset + 4)[0]
    raise SystemExit('the old font has no head table')


def common_run(a, b, limit):
    """Length of the common start of a and b, at most limit (bisection over slice compares)."""
    lo, hi = 0, limit
    while lo < hi:
        mid = (lo + hi + 1) // 2
        if a[:mid] == b[:mid]:
            lo = mid
        else:
            hi = mid - 1
    return lo


def blocks_for(old, new, literal_only):
    """(copies, literals) covering [0, len(new)) exactly once, both in ascending new offset.

    Greedy: at each position of the new table, continue the last copy's shift or look for the
    next PROBE bytes in the old table near that shift; what no copy covers becomes literals.
    """
    if literal_only or not old:
        return [], [(0, new)]
    mv_old, mv_new = memoryview(old), memoryview(new)
    copies, literals = [], []
    literal_start = i = 0
    shift = 0  # old offset - new offset of the last copy
    while i + PROBE <= len(new):
        j = i + shift
        run = 0
        if 0 <= j < len(old):
            run = common_run(mv_old[j:], mv_new[i:], min(len(old) - j, len(new) - i))
        if run < MIN_COPY:
            lo = max(0, j - WINDOW)
            j = old.find(new[i:i + PROBE], lo, min(len(old), j + WINDOW + PROBE))
            if j < 0:
                i += STEP
                continue
            while i > literal_start and j > 0 and old[j - 1] == new[i - 1]:
                i, j = i - 1, j - 1
            run = common_run(mv_old[j:], mv_new[i:], min(len(old) - j, len(new) - i))
        if i > literal_start:
            literals.append((literal_start, new[literal_start:i]))
        copies.append((j, run, i))
        shift = j - i
        i += run
        literal_start = i
    if literal_start < len(new):
        literals.append((literal_start, new[literal_start:]))
    return copies, literals


def encode_area(copies, literals):
    out = bytearray(struct.pack('>I', len(copies)))
    for old_offset, length, new_offset in copies:
        out += struct.pack('>III', old_offset, length, new_offset)
    out += struct.pack('>I', len(literals))
    for new_offset, data in literals:
        out += struct.pack('>II', new_offset, len(data)) + data
    return bytes(out)


def make_patch(old_data, new_data, literal_only):
    old_tables = {tag: table_bytes(old_data, offset, length)
                  for tag, offset, length in read_directory(old_data)}
    new_tables = read_directory(new_data)
    by_offset = sorted(range(len(new_tables)), key=lambda i: new_tables[i][1])
    physical = {index: rank for rank, index in enumerate(by_offset)}

    name = fifth_name_record(old_data)[:32]
    header = (b'QLTP' + name.ljust(32, b'\0') +
              struct.pack('>IIB', font_revision(old_data), len(new_data), len(new_tables)) +
              struct.pack('>Q', 0))
    assert len(header) == 53

    areas = bytearray()
    area_start = 53 + 18 * len(new_tables)
    records = bytearray()
    summary = []
    for i, (tag, offset, length) in enumerate(new_tables):
        new = table_bytes(new_data, offset, length)
        old = old_tables.get(tag)
        copies, literals = [], []
        if old == new:
            difference_offset = 0
        else:
            copies, literals = blocks_for(old or b'', new, literal_only)
            difference_offset = area_start + len(areas)
            areas += encode_area(copies, literals)
        records += struct.pack('>4sBBIII', tag, i, physical[i], difference_offset, length, offset)
        summary.append({
            'tag': tag.decode('latin-1'), 'directoryIndex': i, 'physicalOrder': physical[i],
            'differenceOffset': difference_offset, 'length': length, 'offset': offset,
            'copyBlocks': len(copies), 'copyBytes': sum(c[1] for c in copies),
            'literalBlocks': len(literals), 'literalBytes': sum(len(d) for _, d in literals),
        })
    patch = header + bytes(records) + bytes(areas)
    info = {
        'magic': 'QLTP', 'fontNameHex': name.hex(), 'fontRevision': font_revision(old_data),
        'newFileSize': len(new_data), 'tableCount': len(new_tables), 'revisionDate': 0,
        'patchSize': len(patch), 'records': summary,
    }
    return patch, info


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--literal-only', action='store_true')
    parser.add_argument('--summary')
    parser.add_argument('old')
    parser.add_argument('new')
    parser.add_argument('out')
    args = parser.parse_args()
    with open(args.old, 'rb') as f:
        old_data = f.read()
    with open(args.new, 'rb') as f:
        new_data = f.read()
    patch, info = make_patch(old_data, new_data, args.literal_only)
    with open(args.out, 'wb') as f:
        f.write(patch)
    if args.summary:
        with open(args.summary, 'w') as f:
            json.dump(info, f, indent=1)


if __name__ == '__main__':
    main()
