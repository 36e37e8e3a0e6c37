#!/usr/bin/python3
"""Makes a revision of a large real CFF font that is hard for a difference builder.

Usage: make_hard_pair.py OLD.otf NEW.otf

NEW is OLD revised all over its CFF table: in every 50th glyph the first integer operand of the
charstring grows by 1000, so its encoded length changes and every later glyph moves. Also
fontRevision + 0.001, one changed GSUB substitution and a new version string (name ID 5);
the full name (the identification) stays. Skipped when NEW exists and is newer than OLD and
this script.
"""
import os
import sys

from fontTools.ttLib import TTFont


def single_substitutions(gsub):
    for lookup in gsub.table.LookupList.Lookup:
        for sub in lookup.SubTable:
            if getattr(sub, 'LookupType', lookup.LookupType) == 7:
                sub = sub.ExtSubTable
            if getattr(sub, 'mapping', None):
                yield sub


def main():
    old_path, new_path = sys.argv[1:3]
    if os.path.exists(new_path) and os.path.getmtime(new_path) > max(
            os.path.getmtime(old_path), os.path.getmtime(__file__)):
        return
    font = TTFont(old_path, recalcBBoxes=False, recalcTimestamp=False)
    font['head'].fontRevision += 0.001

    charstrings = font['CFF '].cff.topDictIndex[0].CharStrings
    changed = 0
    for glyph in font.getGlyphOrder()[::50]:
        cs = charstrings[glyph]
        cs.decompile()
        program = cs.program
        first_operator = next((k for k, op in enumerate(program) if isinstance(op, str)), None)
        # A leading subroutine call's operand is an index; changing it would break the outline.
        if first_operator is None or program[first_operator] in ('callsubr', 'callgsubr'):
            continue
        for k, op in enumerate(program[:first_operator]):
            if isinstance(op, int):
                program[k] = op + 1000
                changed += 1
                break

    sub = next(single_substitutions(font['GSUB']))
    source = sorted(sub.mapping)[0]
    targets = sorted(set(sub.mapping.values()) - {sub.mapping[source]})
    sub.mapping[source] = targets[0]

    for record in font['name'].names:
        if record.nameID == 5:
            record.string = 'Version 2.002;hotconv 1.0.118;makeotfexe 2.5.65603 hard revision'
    font.save(new_path)
    print('%s: %d charstrings changed' % (new_path, changed))


if __name__ == '__main__':
    main()
