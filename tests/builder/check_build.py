#!/usr/bin/python3
"""refontis-patch build, verify and apply end to end on the real Noto-derived pair.

Usage: check_build.py TOOL FONTS_DIR WORKDIR

The applied font is checked with fontTools alone: every table equal to the new font's
(name-ID-13 strings and head's checkSumAdjustment aside), every table checksum right
(checkChecksums=2) and the whole-file sum 0xB1B0AFBA.
"""
import os
import struct
import subprocess
import sys

from fontTools.ttLib import TTFont

TOOL, FONTS, WORK = sys.argv[1:4]
OLD = os.path.join(FONTS, 'noto-sans-old.otf')
NEW = os.path.join(FONTS, 'noto-sans-new.otf')
OTHER = os.path.join(FONTS, 'noto-serif.otf')
failures = []


def check(condition, what):
    print(('ok   ' if condition else 'FAIL ') + what)
    if not condition:
        failures.append(what)


def run(*args):
    result = subprocess.run([TOOL, *args], capture_output=True)
    return result.returncode, result.stdout.decode('utf-8', 'replace'), \
        result.stderr.decode('utf-8', 'replace')


def word_sum(data):
    data += b'\0' * (-len(data) % 4)
    return sum(struct.unpack('>%dI' % (len(data) // 4), data)) & 0xFFFFFFFF


def names_without_13(font):
    return sorted((n.platformID, n.platEncID, n.langID, n.nameID, n.string)
                  for n in font['name'].names if n.nameID != 13)


def raw_tables(path):
    """Every table's bytes as stored; reading each one checks its checksum (raises)."""
    font = TTFont(path, checkChecksums=2, lazy=True)
    return font, {tag: font.reader[tag] for tag in font.reader.keys()}


def compare_with(applied_path, wanted_path, label, kept_old=()):
    """The applied font against `wanted_path`; tags in kept_old are compared with OLD instead."""
    try:
        applied, got = raw_tables(applied_path)
    except Exception as error:  # a table checksum fontTools does not accept
        check(False, '%s: fontTools reads every table with checkChecksums=2 (%s)' % (label, error))
        return
    wanted, want = raw_tables(wanted_path)
    old, old_tables = raw_tables(OLD)
    check(list(applied.reader.keys()) == list(wanted.reader.keys()),
          '%s: same tables in the same order' % label)
    for tag in want:
        reference_font, reference = (old, old_tables) if tag in kept_old else (wanted, want)
        a, b = got.get(tag, b''), reference[tag]
        if tag == 'head':
            a, b = a[:8] + a[12:], b[:8] + b[12:]
        if tag == 'name':
            same = names_without_13(applied) == names_without_13(reference_font) and len(a) == len(b)
        else:
            same = a == b
        check(same, '%s: %s equals the %s font\'s' % (label, tag, 'old' if tag in kept_old else 'new'))
    data = open(applied_path, 'rb').read()
    check(word_sum(data) == 0xB1B0AFBA, '%s: whole-file sum is 0xB1B0AFBA' % label)


def main():
    os.makedirs(WORK, exist_ok=True)
    patch = os.path.join(WORK, 'sans.pa')
    applied = os.path.join(WORK, 'applied.otf')
    for path in (patch, applied):
        if os.path.exists(path):
            os.remove(path)

    code, out, err = run('build', '--quiet', '--date', '2021-10-21', OLD, NEW, patch)
    check(code == 0, 'build exits 0 (%d: %s%s)' % (code, out.strip(), err.strip()))
    header = open(patch, 'rb').read(53)
    check(header[:4] == b'QLTP', 'patch starts with QLTP')
    check(header[45:53] == bytes.fromhex('00000000DD965E00'), 'revision date of --date')
    check(struct.unpack('>I', header[40:44])[0] == os.path.getsize(NEW), 'new file size in header')
    code, out, err = run('verify', OLD, NEW, patch)
    check(code == 0 and 'all selected tables match' in out, 'verify exits 0 (%d)' % code)
    code, out, err = run('apply', OLD, patch, applied)
    check(code == 0, 'apply exits 0 (%d: %s%s)' % (code, out.strip(), err.strip()))
    if code == 0:
        compare_with(applied, NEW, 'applied')

    # An unchanged table with flag 0 changes nothing; a changed `name` with flag 0 keeps the
    # old one, which fits the new record because it is shorter.
    for flags, kept in ((['GSUB=0'], ()), (['name=0', 'GSUB=0'], ('name',))):
        options = [x for f in flags for x in ('--update', f)]
        label = 'build ' + ' '.join(options)
        code, out, err = run('build', '--quiet', *options, OLD, NEW, patch)
        check(code == 0, '%s exits 0 (%d: %s%s)' % (label, code, out.strip(), err.strip()))
        code, out, err = run('verify', *options, OLD, NEW, patch)
        check(code == 0, 'verify %s exits 0 (%d)' % (' '.join(options), code))
        code, out, err = run('apply', OLD, patch, applied)
        check(code == 0, 'apply after %s exits 0' % label)
        if code == 0:
            compare_with(applied, NEW, label, kept_old=kept)

    # The old CFF is longer than the new one: kept with flag 0, it does not fit its record.
    code, out, err = run('build', '--quiet', '--update', 'CFF=0', OLD, NEW, patch)
    check(code == 2 and 'CFF' in out, 'build --update CFF=0 exits 2 naming CFF (%d)' % code)

    for command in ('build', 'verify'):
        code, out, err = run(command, '--help')
        check(code == 0 and 'usage: refontis-patch ' + command in out, '%s --help' % command)

    other_patch = os.path.join(WORK, 'other.pa')
    if os.path.exists(other_patch):
        os.remove(other_patch)
    code, out, err = run('build', '--quiet', OLD, OTHER, other_patch)
    check(code == 1, 'build of differently named fonts exits 1 (%d)' % code)
    check('旧フォントと新フォントの名前が一致しません' in err, 'and says so: %r' % err.strip())
    check(not os.path.exists(other_patch), 'and writes no patch')

    if failures:
        print('%d check(s) failed' % len(failures))
        sys.exit(1)


if __name__ == '__main__':
    main()
