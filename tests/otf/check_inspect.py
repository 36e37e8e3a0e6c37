#!/usr/bin/python3
"""Checks `refontis-patch inspect` on real fonts against fontTools and a raw reading of the file.

Usage: check_inspect.py REFONTIS_PATCH REAL_FONTS_DIR

Every expected value is taken from the font file here, independently of the C++ code: the
directory is parsed from the raw bytes (fontTools' reader orders its entries by offset, so it
serves only as a second opinion on the values), checksums are recomputed with fontTools'
calcChecksum, the identification text is the fifth name record in the order the file stores it.
"""
import json
import os
import struct
import subprocess
import sys
import tempfile

from fontTools.ttLib import TTFont
from fontTools.ttLib.sfnt import SFNTReader, calcChecksum

FONTS = ['noto-sans-old.otf', 'noto-sans-new.otf', 'noto-serif.otf', 'noto-serif-bold.otf']
KEYS = {'sfntVersion', 'numTables', 'tables', 'fontName', 'fontNameHex', 'fontRevision',
        'hasMacName13', 'hasWinName13', 'fileSum', 'checkSumAdjustmentOk'}
TABLE_KEYS = {'tag', 'checkSum', 'computedCheckSum', 'offset', 'length'}
MAGIC = 0xB1B0AFBA

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def run(tool, *args):
    return subprocess.run([tool, 'inspect', *args], capture_output=True)


def raw_directory(data):
    """(tag, checkSum, offset, length) per record, in directory order."""
    num_tables = struct.unpack_from('>H', data, 4)[0]
    records = []
    for i in range(num_tables):
        tag, checksum, offset, length = struct.unpack_from('>4sIII', data, 12 + 16 * i)
        records.append((tag.decode('latin-1'), checksum, offset, length))
    return records


def table_checksum(data, tag, offset, length):
    table = bytearray(data[offset:offset + length])
    if tag == 'head':
        table[8:12] = b'\0\0\0\0'
    return calcChecksum(bytes(table))


def raw_name_records(name):
    """(platformID, encodingID, languageID, nameID, bytes) per record, in table order."""
    _, count, string_offset = struct.unpack_from('>HHH', name, 0)
    records = []
    for i in range(count):
        pid, eid, lid, nid, length, offset = struct.unpack_from('>6H', name, 6 + 12 * i)
        start = string_offset + offset
        records.append((pid, eid, lid, nid, name[start:start + length]))
    return records


def file_sum(data):
    padded = data + b'\0' * (-len(data) % 4)
    return sum(struct.unpack('>%dI' % (len(padded) // 4), padded)) & 0xFFFFFFFF


def expected_report(path):
    data = open(path, 'rb').read()
    directory = raw_directory(data)
    by_tag = {tag: (offset, length) for tag, _, offset, length in reversed(directory)}
    name_offset, name_length = by_tag['name']
    name = data[name_offset:name_offset + name_length]
    records = raw_name_records(name)
    fifth = records[4][4].split(b'\0')[0][:254]
    head_offset, _ = by_tag['head']
    total = file_sum(data)
    return data, {
        'sfntVersion': struct.unpack_from('>I', data, 0)[0],
        'numTables': len(directory),
        'tables': [{'tag': tag, 'checkSum': checksum,
                    'computedCheckSum': table_checksum(data, tag, offset, length),
                    'offset': offset, 'length': length}
                   for tag, checksum, offset, length in directory],
        'fontName': fifth.decode('latin-1'),  # the tool writes one \u00XX per byte
        'fontNameHex': fifth.hex(),
        'fontRevision': struct.unpack_from('>I', data, head_offset + 4)[0],
        'hasMacName13': any(r[:4] == (1, 0, 0, 13) for r in records),
        'hasWinName13': any(r[:4] == (3, 1, 0x409, 13) for r in records),
        'fileSum': total,
        'checkSumAdjustmentOk': total == MAGIC,
    }


def check_against_fonttools(path, expected):
    """fontTools' own reading of the same file must agree with the raw reading."""
    with open(path, 'rb') as f:
        reader = SFNTReader(f)
        check(reader.sfntVersion == 'OTTO', f'{path}: fontTools sfntVersion {reader.sfntVersion}')
        check(reader.numTables == expected['numTables'], f'{path}: fontTools numTables')
        entries = {t['tag']: t for t in expected['tables']}
        check(set(reader.tables) == set(entries), f'{path}: fontTools table set')
        for tag, entry in reader.tables.items():
            e = entries.get(str(tag))
            check(e is not None and (entry.checkSum, entry.offset, entry.length) ==
                  (e['checkSum'], e['offset'], e['length']), f'{path}: fontTools entry {tag}')
            # Fonts saved by fontTools carry correct table checksums.
            check(e is not None and e['computedCheckSum'] == e['checkSum'],
                  f'{path}: {tag} checksum in the file is not the computed one')
    font = TTFont(path, lazy=True)
    names = font['name'].names  # decompiled in file order
    check(names[4].toBytes().split(b'\0')[0][:254].hex() == expected['fontNameHex'],
          f'{path}: fontTools fifth name record')
    check((font['name'].getName(13, 1, 0, 0) is not None) == expected['hasMacName13'],
          f'{path}: Macintosh name ID 13')
    check((font['name'].getName(13, 3, 1, 0x409) is not None) == expected['hasWinName13'],
          f'{path}: Windows name ID 13')
    check(round(font['head'].fontRevision * 65536) == expected['fontRevision'],
          f'{path}: fontTools fontRevision')


def check_json(path, report, expected):
    check(set(report) == KEYS, f'{path}: keys {sorted(report)}')
    for key in ('sfntVersion', 'numTables', 'fontRevision', 'fileSum'):
        check(type(report.get(key)) is int, f'{path}: {key} is not an integer')
    for table in report.get('tables', []):
        check(set(table) == TABLE_KEYS, f'{path}: table keys {sorted(table)}')
        for key in TABLE_KEYS - {'tag'}:
            check(type(table.get(key)) is int, f'{path}: {table.get("tag")} {key} not an integer')
    for key, value in expected.items():
        if key == 'tables':
            got = report.get('tables', [])
            check(len(got) == len(value), f'{path}: {len(got)} tables, expected {len(value)}')
            for k, (g, e) in enumerate(zip(got, value)):
                check(g == e, f'{path}: table {k}: got {g}, expected {e}')
        else:
            check(report.get(key) == value,
                  f'{path}: {key}: got {report.get(key)!r}, expected {value!r}')


def inspect_json(tool, path):
    result = run(tool, '--json', path)
    if not check(result.returncode == 0, f'{path}: exit {result.returncode}: {result.stderr}'):
        return None
    try:
        return json.loads(result.stdout)
    except ValueError as error:
        check(False, f'{path}: output is not one JSON object: {error}')
        return None


def check_refusal(tool, path, reason_words):
    result = run(tool, '--json', path)
    lines = result.stderr.decode('utf-8', 'replace').strip().splitlines()
    check(result.returncode == 1, f'{path}: exit {result.returncode}, expected 1')
    check(len(lines) == 1, f'{path}: expected one line on stderr, got {lines}')
    for word in reason_words:
        check(word in result.stderr.decode('utf-8', 'replace'),
              f'{path}: stderr {lines} does not name "{word}"')
    check(result.stdout == b'', f'{path}: refused font printed {result.stdout[:80]!r}')


def main():
    tool, fonts = sys.argv[1], sys.argv[2]
    for font in FONTS:
        path = os.path.join(fonts, font)
        data, expected = expected_report(path)
        check_against_fonttools(path, expected)
        report = inspect_json(tool, path)
        if report is not None:
            check_json(path, report, expected)
        text = run(tool, path)
        check(text.returncode == 0, f'{path}: text mode exit {text.returncode}')
        for table in expected['tables']:
            check(table['tag'].encode() in text.stdout, f'{path}: text mode lacks {table["tag"]}')

    check_refusal(tool, os.path.join(fonts, 'with-dsig.otf'), ['DSIG'])
    check_refusal(tool, os.path.join(fonts, 'truetype.ttf'), ['not an OpenType/CFF font'])
    check_refusal(tool, os.path.join(fonts, 'no-such-font.otf'), ['cannot open'])

    old = os.path.join(fonts, 'noto-sans-old.otf')
    data = open(old, 'rb').read()
    directory = raw_directory(data)
    last_tag, _, last_offset, last_length = max(directory, key=lambda r: r[2] + r[3])
    cff = next(r for r in directory if r[0] == 'CFF ')
    content_end = last_offset + last_length
    with tempfile.TemporaryDirectory() as tmp:
        cuts = [
            (8, ['offset table']),
            (12 + 16 * 5 + 3, ['directory']),
            (cff[2] + cff[3] // 2, ['outside the file']),
            (content_end - 1, ['outside the file', f"'{last_tag}'"]),
        ]
        for cut, words in cuts:
            path = os.path.join(tmp, f'cut-{cut}.otf')
            with open(path, 'wb') as f:
                f.write(data[:cut])
            check_refusal(tool, path, words)

        # Without its final padding the font is still whole: the missing bytes read as zeros.
        if check(content_end < len(data), f'{old}: last table {last_tag} is already aligned'):
            path = os.path.join(tmp, 'unpadded.otf')
            with open(path, 'wb') as f:
                f.write(data[:content_end])
            report = inspect_json(tool, path)
            if report is not None:
                last = next(t for t in report['tables'] if t['tag'] == last_tag)
                check(last['computedCheckSum'] == last['checkSum'],
                      f'unpadded: {last_tag} checksum {last}')
                check(report['fileSum'] == file_sum(data[:content_end]), 'unpadded: fileSum')
                check(report['checkSumAdjustmentOk'], 'unpadded: checkSumAdjustment')

    help_result = run(tool, '--help')
    check(help_result.returncode == 0, f'inspect --help exit {help_result.returncode}')
    check(b'--json' in help_result.stdout, 'inspect --help does not explain --json')

    for failure in failures:
        print('FAIL', failure)
    print(f'{len(FONTS)} fonts and the refusals checked, {len(failures)} failures')
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
