#!/usr/bin/python3
"""Applies independently written patches to a real font with `refontis-patch apply` and checks
the result against the new font with fontTools and a byte-level comparison.

Usage: check_apply.py REFONTIS_PATCH REAL_FONTS_DIR WORK_DIR
"""
import json
import os
import struct
import subprocess
import sys

from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
MAGIC = 0xB1B0AFBA
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print('FAIL ' + message)
    return condition


def directory(data):
    (n,) = struct.unpack_from('>H', data, 4)
    return [struct.unpack_from('>4sIII', data, 12 + 16 * i) for i in range(n)]


def table(data, tag):
    for t, _c, offset, length in directory(data):
        if t == tag:
            return offset, length
    raise KeyError(tag)


def word_sum(data):
    padded = data + b'\0' * (-len(data) % 4)
    return sum(struct.unpack('>%dI' % (len(padded) // 4), padded)) & 0xFFFFFFFF


def name_records(data):
    """(platform, encoding, language, nameID, absolute start, length) of every name record."""
    offset, _length = table(data, b'name')
    _fmt, count, strings = struct.unpack_from('>HHH', data, offset)
    records = []
    for r in range(count):
        p, e, l, n, length, at = struct.unpack_from('>6H', data, offset + 6 + 12 * r)
        records.append((p, e, l, n, offset + strings + at, length))
    return records


def licence_texts(data):
    """The raw first Macintosh (1, 0, 0) and Windows (3, 1, 0x409) name-ID-13 strings."""
    mac = win = None
    for p, e, l, n, start, length in name_records(data):
        if n != 13:
            continue
        if mac is None and (p, e, l) == (1, 0, 0):
            mac = data[start:start + length]
        elif win is None and (p, e, l) == (3, 1, 0x409):
            win = data[start:start + length]
    return mac, win


def fit(text, n):
    return text[:n].ljust(n, b'\0')


def expected_name_table(new_data, old_data):
    """The new font's name table with every name-ID-13 string carrying the old font's text."""
    mac, win = licence_texts(old_data)
    image = bytearray(new_data)
    for p, _e, _l, n, start, length in name_records(new_data):
        if n == 13:
            image[start:start + length] = fit(mac if p == 1 else win, length)
    offset, length = table(new_data, b'name')
    return bytes(image[offset:offset + length])


def relicensed(new_data):
    """The new font with other bytes in its licence strings (case swapped), checksums fixed."""
    image = bytearray(new_data)
    for _p, _e, _l, n, start, length in name_records(new_data):
        if n == 13:
            image[start:start + length] = bytes(image[start:start + length]).swapcase()
    for i, (tag, _c, offset, length) in enumerate(directory(new_data)):
        if tag == b'name':
            struct.pack_into('>I', image, 12 + 16 * i + 4,
                             word_sum(bytes(image[offset:offset + length])))
    head, _ = table(new_data, b'head')
    struct.pack_into('>I', image, head + 8, 0)
    struct.pack_into('>I', image, head + 8, (MAGIC - word_sum(bytes(image))) & 0xFFFFFFFF)
    return bytes(image)


def check_output(label, out_data, new_data, old_data):
    new_dir, out_dir = directory(new_data), directory(out_data)
    check(len(out_data) == len(new_data), '%s: size %d, new font %d' % (label, len(out_data),
                                                                      len(new_data)))
    check([(t, o, l) for t, _c, o, l in out_dir] == [(t, o, l) for t, _c, o, l in new_dir],
          '%s: directory tags, offsets and lengths differ from the new font' % label)
    check(out_data[:12] == new_data[:12], '%s: offset table differs' % label)
    for tag, _c, offset, length in new_dir:
        got = out_data[offset:offset + length]
        want = new_data[offset:offset + length]
        if tag == b'name':
            want = expected_name_table(new_data, old_data)
        elif tag == b'head':
            got = got[:8] + got[12:]  # checkSumAdjustment depends on the whole file
            want = want[:8] + want[12:]
        check(got == want, '%s: table %r differs' % (label, tag))
    mac, win = licence_texts(old_data)
    for p, _e, _l, n, start, length in name_records(out_data):
        if n == 13:
            check(out_data[start:start + length] == fit(mac if p == 1 else win, length),
                  '%s: licence string of platform %d lacks the old text' % (label, p))
    check(word_sum(out_data) == MAGIC,
          '%s: whole-file sum 0x%08X, not 0xB1B0AFBA' % (label, word_sum(out_data)))


def check_with_fonttools(label, path):
    font = TTFont(path, checkChecksums=2, lazy=True)
    try:
        for tag in font.reader.keys():
            font.reader[tag]  # raises on a table whose checksum does not match
        font['head']
        font['name'].getDebugName(13)
    except Exception as error:  # fontTools signals a bad checksum by an assertion
        check(False, '%s: fontTools refuses the output: %r' % (label, error))
    finally:
        font.close()


def check_info(label, tool, patch_path, summary):
    result = subprocess.run([tool, 'info', '--json', patch_path], capture_output=True, text=True)
    if not check(result.returncode == 0, '%s: info exits %d: %s' % (label, result.returncode,
                                                                    result.stderr)):
        return
    info = json.loads(result.stdout)
    for key in ('magic', 'fontRevision', 'newFileSize', 'tableCount', 'revisionDate'):
        check(info.get(key) == summary[key], '%s: info %s is %r, written %r' % (
            label, key, info.get(key), summary[key]))
    # The tool shows the name as a text: the written bytes up to the first zero.
    name = bytes.fromhex(summary['fontNameHex']).split(b'\0')[0]
    check(info.get('fontNameHex', '').lower() == name.hex(),
          '%s: info font name %r, written %r' % (label, info.get('fontNameHex'), name.hex()))
    check(info.get('fontName') == name.decode('latin-1'),
          '%s: info font name text %r' % (label, info.get('fontName')))
    check(len(info.get('records', [])) == len(summary['records']),
          '%s: info lists %d records' % (label, len(info.get('records', []))))
    for got, want in zip(info.get('records', []), summary['records']):
        for key, value in want.items():
            check(got.get(key) == value, '%s: record %s: info %s is %r, written %r' % (
                label, want['tag'], key, got.get(key), value))


def run_case(label, tool, old_path, new_path, work, literal_only):
    patch_path = os.path.join(work, label + '.pa')
    summary_path = os.path.join(work, label + '.json')
    out_path = os.path.join(work, label + '.otf')
    args = [sys.executable, os.path.join(HERE, 'make_patch.py'), '--summary', summary_path]
    if literal_only:
        args.append('--literal-only')
    subprocess.run(args + [old_path, new_path, patch_path], check=True)
    if os.path.exists(out_path):
        os.remove(out_path)
    result = subprocess.run([tool, 'apply', old_path, patch_path, out_path],
                            capture_output=True, text=True)
    check(result.returncode == 0 and result.stdout.split()[:1] == ['0'],
          '%s: apply exits %d, prints %r %r' % (label, result.returncode, result.stdout,
                                                result.stderr))
    if not os.path.exists(out_path):
        check(False, '%s: no output written' % label)
        return
    with open(old_path, 'rb') as f:
        old_data = f.read()
    with open(new_path, 'rb') as f:
        new_data = f.read()
    with open(out_path, 'rb') as f:
        out_data = f.read()
    check_output(label, out_data, new_data, old_data)
    check_with_fonttools(label, out_path)
    with open(summary_path) as f:
        check_info(label, tool, patch_path, json.load(f))
    print('%s: %d-byte patch applied and checked' % (label, os.path.getsize(patch_path)))


def main():
    tool, fonts, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    old_path = os.path.join(fonts, 'noto-sans-old.otf')
    new_path = os.path.join(fonts, 'noto-sans-new.otf')
    with open(new_path, 'rb') as f:
        new_data = f.read()
    # A revision whose licence strings differ shows that the old texts are carried over.
    relicensed_path = os.path.join(work, 'noto-sans-new-relicensed.otf')
    other = relicensed(new_data)
    assert licence_texts(other) != licence_texts(new_data)
    with open(relicensed_path, 'wb') as f:
        f.write(other)

    run_case('whole-table-literals', tool, old_path, new_path, work, True)
    run_case('copies-and-literals', tool, old_path, new_path, work, False)
    run_case('relicensed', tool, old_path, relicensed_path, work, False)
    if failures:
        print('%d check(s) failed' % len(failures))
        return 1
    print('all checks passed')
    return 0


if __name__ == '__main__':
    sys.exit(main())
