#!/usr/bin/python3
"""Writes the updater's shipped demo data: 22 demo fonts in an old and a revised version, the
configuration, the product codes and the resource list.

Run it from anywhere with /usr/bin/python3 (fontTools 4.38); it rewrites, byte for byte the same
every time:

  fonts/old/<stem>.old.otf, fonts/new/<stem>.new.otf   the 22 font pairs (CFF OpenType); the
  extra ".old"/".new" keeps these files from ever fitting a patch stem, so a run of the
  updater never revises the repository's own copies
  config/refontis.ini                         the configuration, code page 932, CRLF
  config/product_codes.txt                    the 22 product codes, one a line
  resources.list                              the embedded resources (configuration, patches)

Every font is a 5 x 7 pixel alphabet (A-Z, three alternates, space, .notdef) whose pixels are
drawn in a style and weight of its own, with a cmap, a kern feature (GPOS), an alternates
feature (GSUB) and Macintosh (1, 0, 0) plus Windows (3, 1, 0x409) name records for name IDs
0-6 and 13. The Macintosh records sort first, so the fifth record is the Macintosh full name,
which is what identifies a font and goes into its patch header. The licence texts (name ID 13)
are the same in both versions, so applying a patch rebuilds the new font exactly.

Every revision bumps head.fontRevision from 1.000 to 1.001 and the version string (name ID 5)
from "Version 1.000" to "Version 1.001". What else each one changes:

  outlines  CFF charstrings of some glyphs redrawn (the glyphs named in the table below)
  gsub      the alternates feature extended or a stylistic set added
  name      copyright (ID 0) and unique identifier (ID 3) strings
  head      nothing more than the revision (and so name ID 5), plus head.lowestRecPPEM

  font                            change
  RefontisDemoSans-Regular        outlines (G Q)
  RefontisDemoSans-Bold           gsub (G added to salt)
  RefontisDemoSerif-Regular       name
  RefontisDemoSerif-Bold          head
  RefontisDemoRound-Light         outlines (J)
  RefontisDemoRound-Medium        gsub (ss01 added)
  RefontisDemoMono-Regular        name
  RefontisDemoGothic-Light        head
  RefontisDemoGothic-Regular      outlines (M W)
  RefontisDemoGothic-ExtraBold    outlines, gsub and name (G J M Q W; class substitution)
  RefontisDemoMincho-Regular      gsub (class substitution)
  RefontisDemoMincho-Bold         name
  RefontisDemoBrush-Regular       head
  RefontisDemoKaisho-Medium       outlines (G J M Q W; J's new left side bearing in hmtx)
  RefontisPop-Heavy               gsub (G added to salt)
  RefontisDemoMaru-Regular        name
  RefontisDemoMaru-Bold           head
  RefontisDemoStencil-Regular     outlines (Q)
  RefontisDemoSlab-Regular        gsub (ss01 added)
  RefontisDemoSlab-Bold           name
  RefontisDemoOutline-Regular     head
  RefontisDemoOutline-Black       outlines (M)
"""

import hashlib
import io
import os
import struct
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.misc.timeTools import timestampFromString
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))

PERMITTED_TABLES = {"BASE", "CFF ", "GPOS", "GSUB", "OS/2", "VORG", "cmap", "head", "hhea",
                    "hmtx", "maxp", "name", "post", "vhea", "vmtx"}

CREATED = timestampFromString("Mon Jun  2 09:00:00 2025")
OLD_MODIFIED = timestampFromString("Mon Jun  2 09:00:00 2025")
NEW_MODIFIED = timestampFromString("Tue Dec  1 09:00:00 2026")

# The families in start-page order: (family name, file stem prefix, style, [(weight, change)]).
FAMILIES = [
    ("Refontis Demo Sans", "RefontisDemoSans", "sans",
     [("Regular", "outlines:GQ"), ("Bold", "gsub:salt")]),
    ("Refontis Demo Serif", "RefontisDemoSerif", "serif",
     [("Regular", "name"), ("Bold", "head")]),
    ("Refontis Demo Round", "RefontisDemoRound", "round",
     [("Light", "outlines:J"), ("Medium", "gsub:ss01")]),
    ("Refontis Demo Mono", "RefontisDemoMono", "mono", [("Regular", "name")]),
    ("Refontis Demo Gothic", "RefontisDemoGothic", "sans",
     [("Light", "head"), ("Regular", "outlines:MW"),
      ("ExtraBold", "outlines:GJMQW+gsub:class+name")]),
    ("Refontis Demo Mincho", "RefontisDemoMincho", "serif",
     [("Regular", "gsub:class"), ("Bold", "name")]),
    ("Refontis Demo Brush", "RefontisDemoBrush", "slant", [("Regular", "head")]),
    ("Refontis Demo Kaisho", "RefontisDemoKaisho", "slant", [("Medium", "outlines:GJMQW")]),
    ("Refontis Pop", "RefontisPop", "round", [("Heavy", "gsub:salt")]),
    ("Refontis Demo Maru", "RefontisDemoMaru", "round",
     [("Regular", "name"), ("Bold", "head")]),
    ("Refontis Demo Stencil", "RefontisDemoStencil", "stencil", [("Regular", "outlines:Q")]),
    ("Refontis Demo Slab", "RefontisDemoSlab", "serif",
     [("Regular", "gsub:ss01"), ("Bold", "name")]),
    ("Refontis Demo Outline", "RefontisDemoOutline", "outline",
     [("Regular", "head"), ("Black", "outlines:M")]),
]

# Fill of a pixel's width by weight, and the OS/2 weight class.
WEIGHTS = {"Light": (0.55, 300), "Regular": (0.7, 400), "Medium": (0.78, 500),
           "Bold": (0.88, 700), "ExtraBold": (0.94, 800), "Heavy": (0.97, 900),
           "Black": (1.0, 900)}

GLYPHS = {
    "A": ".###. #...# #...# ##### #...# #...# #...#",
    "B": "####. #...# #...# ####. #...# #...# ####.",
    "C": ".###. #...# #.... #.... #.... #...# .###.",
    "D": "####. #...# #...# #...# #...# #...# ####.",
    "E": "##### #.... #.... ####. #.... #.... #####",
    "F": "##### #.... #.... ####. #.... #.... #....",
    "G": ".###. #...# #.... #.### #...# #...# .###.",
    "H": "#...# #...# #...# ##### #...# #...# #...#",
    "I": ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.",
    "J": "..### ...#. ...#. ...#. ...#. #..#. .##..",
    "K": "#...# #..#. #.#.. ##... #.#.. #..#. #...#",
    "L": "#.... #.... #.... #.... #.... #.... #####",
    "M": "#...# ##.## #.#.# #.#.# #...# #...# #...#",
    "N": "#...# #...# ##..# #.#.# #..## #...# #...#",
    "O": ".###. #...# #...# #...# #...# #...# .###.",
    "P": "####. #...# #...# ####. #.... #.... #....",
    "Q": ".###. #...# #...# #...# #.#.# #..#. .##.#",
    "R": "####. #...# #...# ####. #.#.. #..#. #...#",
    "S": ".#### #.... #.... .###. ....# ....# ####.",
    "T": "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..",
    "U": "#...# #...# #...# #...# #...# #...# .###.",
    "V": "#...# #...# #...# #...# #...# .#.#. ..#..",
    "W": "#...# #...# #...# #.#.# #.#.# #.#.# .#.#.",
    "X": "#...# #...# .#.#. ..#.. .#.#. #...# #...#",
    "Y": "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..",
    "Z": "##### ....# ...#. ..#.. .#... #.... #####",
    "A.alt": "##### #...# #...# ##### #...# #...# #...#",
    "G.alt": ".#### #.... #.... #..## #...# #...# .####",
    "R.alt": "####. #...# #...# ####. #..#. #...# #...#",
}

# The redrawn glyphs of an outline revision.
REVISED = {
    "G": ".###. #...# #.... #..## #...# #...# .####",
    "J": "....# ....# ....# ....# ....# #...# .###.",
    "M": "#...# ##.## #.#.# #...# #...# #...# #...#",
    "Q": ".###. #...# #...# #...# #.#.# #..## .####",
    "W": "#...# #...# #...# #...# #.#.# ##.## #...#",
}

GLYPH_ORDER = [".notdef", "space"] + [chr(c) for c in range(ord("A"), ord("Z") + 1)] + [
    "A.alt", "G.alt", "R.alt"]

SHORT_LICENCE = "This demo font is free to use, copy and modify."
MEDIUM_LICENCE = ("This demo font is part of the Refontis demo data. It may be used, copied, "
                  "modified and redistributed without restriction, with or without this notice.")
LONG_LICENCE = MEDIUM_LICENCE + (
    " It is provided as is, without warranty of any kind, express or implied, including but not "
    "limited to the warranties of merchantability, fitness for a particular purpose and "
    "noninfringement. It exists to exercise a font updater and carries no typographic value.")


def fonts():
    """The 22 fonts in configuration order, each a dict of what makes it."""
    out = []
    for family_index, (family, prefix, style, weights) in enumerate(FAMILIES):
        for weight_index, (weight, change) in enumerate(weights):
            n = len(out)
            out.append({
                "index": n,
                "family": family,
                "weight": weight,
                "style": style,
                "stem": prefix + "-" + weight,
                "full_name": family + " " + weight,
                "ps_name": prefix + "-" + weight,
                "changes": dict(part.split(":") if ":" in part else (part, "")
                                for part in change.split("+")),
                "licence": (SHORT_LICENCE, MEDIUM_LICENCE, LONG_LICENCE)[n % 3],
                "product_code": 40000 + 100 * (family_index + 1) + weight_index + 1,
            })
    return out


def pixel_rows(pattern):
    return pattern.split(" ")


def draw_glyph(pen, rows, style, fill, cell_w, cell_h, left):
    """Draws a 5 x 7 pixel pattern; counter-clockwise outer contours, as CFF wants them."""
    slant = 0.2 if style == "slant" else 0.0

    def poly(points):
        pts = [(round(x + slant * y), round(y)) for x, y in points]
        pen.moveTo(pts[0])
        for p in pts[1:]:
            pen.lineTo(p)
        pen.closePath()

    inset_x = cell_w * (1 - fill) / 2
    # Solid styles let rows touch, so stems are continuous; dotted ones keep pixels apart.
    inset_y = cell_h * (1 - fill) / 4 if style in ("round", "stencil", "outline") else 0
    for r, row in enumerate(rows):
        y0 = (6 - r) * cell_h + inset_y
        y1 = (7 - r) * cell_h - inset_y
        runs = []
        c = 0
        while c < 5:
            if row[c] != "#":
                c += 1
                continue
            start = c
            while c < 5 and row[c] == "#":
                c += 1
            runs.append((start, c))
        if style in ("stencil", "outline"):
            runs = [(c, c + 1) for start, end in runs for c in range(start, end)]
        for start, end in runs:
            x0 = left + start * cell_w + inset_x
            x1 = left + end * cell_w - inset_x
            if style == "serif" and r in (0, 6) and end - start == 1:
                x0 -= cell_w * 0.3
                x1 += cell_w * 0.3
            if style == "round":
                k = min(x1 - x0, y1 - y0) * 0.3
                poly([(x0 + k, y0), (x1 - k, y0), (x1, y0 + k), (x1, y1 - k), (x1 - k, y1),
                      (x0 + k, y1), (x0, y1 - k), (x0, y0 + k)])
            else:
                poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])
            if style == "outline":
                # A counter, clockwise: each pixel is a hollow square.
                t = (x1 - x0) * 0.28
                poly([(x0 + t, y0 + t), (x0 + t, y1 - t), (x1 - t, y1 - t), (x1 - t, y0 + t)])


def build_font(plan, revised):
    style = plan["style"]
    fill, weight_class = WEIGHTS[plan["weight"]]
    changes = plan["changes"] if revised else {}
    # Each font has a cell of its own, so no two fonts draw alike.
    cell_w = 96 + 4 * (plan["index"] % 6) + (8 if style == "mono" else 0)
    cell_h = 100
    side = 40 + 2 * (plan["index"] % 5)
    advance = 5 * cell_w + 2 * side
    upm = 1000

    fb = FontBuilder(upm, isTTF=False)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder(GLYPH_ORDER)
    cmap = {0x20: "space"}
    cmap.update({ord(c): c for c in map(chr, range(ord("A"), ord("Z") + 1))})
    fb.setupCharacterMap(cmap)

    redrawn = set(changes.get("outlines", ""))
    charstrings = {}
    metrics = {}
    for name in GLYPH_ORDER:
        width = advance if name != "space" or style == "mono" else advance // 2
        pen = T2CharStringPen(width, None)
        if name == ".notdef":
            x0, x1, y0, y1 = side, advance - side, 0, 700
            for (a, b, c, d) in ((x0, y0, x1, y1), (x0 + 50, y0 + 50, x1 - 50, y1 - 50)):
                outer = (a, b) == (x0, y0)
                pts = [(a, b), (c, b), (c, d), (a, d)] if outer else [(a, b), (a, d), (c, d),
                                                                      (c, b)]
                pen.moveTo(pts[0])
                for p in pts[1:]:
                    pen.lineTo(p)
                pen.closePath()
            lsb = x0
        elif name == "space":
            lsb = 0
        else:
            pattern = REVISED[name] if name in redrawn else GLYPHS[name]
            draw_glyph(pen, pixel_rows(pattern), style, fill, cell_w, cell_h, side)
            lsb = None  # from the outline, below
        charstrings[name] = pen.getCharString()
        metrics[name] = (width, lsb)

    fb.setupCFF(plan["ps_name"], {"FullName": plan["full_name"], "FamilyName": plan["family"],
                                  "Weight": plan["weight"]}, charstrings,
                {"BlueValues": [-10, 0, 700, 710], "StdVW": round(cell_w * fill),
                 "StdHW": round(cell_h * fill)})
    for name, (width, lsb) in metrics.items():
        if lsb is None:
            bounds = charstrings[name].calcBounds(None)
            metrics[name] = (width, bounds[0] if bounds else 0)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=880, descent=-120)

    revision = "1.001" if revised else "1.000"
    year = "2025-2026" if "name" in changes else "2025"
    unique_year = "2026" if "name" in changes else "2025"
    names = {
        0: "Copyright (c) %s Refontis demo data. Not a real typeface." % year,
        1: plan["family"],
        2: "Bold" if plan["weight"] == "Bold" else "Regular",
        3: "RFTS: %s: %s" % (plan["full_name"], unique_year),
        4: plan["full_name"],
        5: "Version " + revision,
        6: plan["ps_name"],
        13: plan["licence"],
    }
    if plan["weight"] not in ("Regular", "Bold"):
        names[1] = plan["family"] + " " + plan["weight"]
    fb.setupNameTable({})
    name_table = fb.font["name"]
    for name_id, text in names.items():
        name_table.setName(text, name_id, 1, 0, 0)
        name_table.setName(text, name_id, 3, 1, 0x409)

    bold = plan["weight"] == "Bold"
    fb.setupOS2(version=4, usWeightClass=weight_class, achVendID="RFTS", fsType=0,
                fsSelection=0x20 if bold else 0x40, sTypoAscender=880, sTypoDescender=-120,
                sTypoLineGap=0, usWinAscent=880, usWinDescent=120, sxHeight=500,
                sCapHeight=700, ulCodePageRange1=1)
    fb.setupPost(keepGlyphNames=False)

    features = gsub_features(changes.get("gsub")) + (
        "feature kern { pos A V -%d; pos V A -%d; pos L T -%d; pos T A -%d; } kern;\n" %
        ((cell_w,) * 4))
    fb.addOpenTypeFeatures(features, tables=["GSUB", "GPOS"])

    fb.updateHead(fontRevision=1.001 if revised else 1.0, created=CREATED,
                  modified=NEW_MODIFIED if revised else OLD_MODIFIED, macStyle=1 if bold else 0,
                  lowestRecPPEM=6 if "head" in changes else 3)
    out = io.BytesIO()
    fb.font.save(out, reorderTables=True)
    return out.getvalue()


def gsub_features(change):
    text = "languagesystem DFLT dflt;\nlanguagesystem latn dflt;\n"
    if change == "salt":
        return text + "feature salt { sub A by A.alt; sub G by G.alt; } salt;\n"
    if change == "class":
        return text + "feature salt { sub [A G R] by [A.alt G.alt R.alt]; } salt;\n"
    salt = "feature salt { sub A by A.alt; } salt;\n"
    if change == "ss01":
        return text + salt + "feature ss01 { sub R by R.alt; } ss01;\n"
    return text + salt


def check_font(plan, data, revised):
    """Checks what the updater relies on, in the saved bytes."""
    font = TTFont(io.BytesIO(data))
    assert font.sfntVersion == "OTTO", plan["stem"]
    tags = set(font.keys()) - {"GlyphOrder"}
    assert tags <= PERMITTED_TABLES, (plan["stem"], tags - PERMITTED_TABLES)
    assert abs(font["head"].fontRevision - (1.001 if revised else 1.0)) < 1e-4
    # The fifth record of the name table as stored must be the Macintosh full name.
    raw = font.reader["name"]
    count, string_offset = struct.unpack(">HH", raw[2:6])
    assert count >= 10, plan["stem"]
    platform, encoding, language, name_id, length, offset = struct.unpack(
        ">6H", raw[6 + 4 * 12:6 + 5 * 12])
    assert (platform, encoding, language, name_id) == (1, 0, 0, 4), plan["stem"]
    full = raw[string_offset + offset:string_offset + offset + length]
    assert full == plan["full_name"].encode("ascii") and len(full) <= 32, plan["stem"]
    records = {(r.platformID, r.nameID) for r in font["name"].names}
    assert (1, 13) in records and (3, 13) in records, plan["stem"]
    return font


def compare(old, new):
    """The tags whose bytes differ between the two versions."""
    return sorted(t for t in old.reader.keys() if old.reader[t] != new.reader[t])


def check_stems(plans):
    stems = [s["stem"] for s in plans]
    assert len(set(stems)) == len(stems) == 22
    for stem in stems:
        assert 17 <= len(stem) <= 28 and stem.isascii(), stem
    for a in stems:
        for b in stems:
            # A file named b + suffix must not fit a's name (search: length difference 0, 2, 3).
            if a != b and b.startswith(a):
                assert len(b) - len(a) not in (0, 2, 3), (a, b)
    names = [s["full_name"] for s in plans]
    assert len(set(names)) == len(names)
    assert len({s["product_code"] for s in plans}) == 22


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def title_lines():
    lines = []
    for family, _prefix, _style, weights in FAMILIES:
        # The start page's columns are narrow: the series name stands in the heading already.
        name = family.replace("Refontis ", "", 1)
        lines.append("\u3000\u3000・" + name + "\u3000" + " / ".join(w for w, _ in weights))
    return lines


def write_config(plans):
    lines = ["[UPDATE_FONT]", "MAXNUM=%d" % len(plans)]
    for n, plan in enumerate(plans, 1):
        lines.append("FONT_PAFILE%d=%s.pa" % (n, plan["stem"]))
        lines.append("FONT_RESNUM%d=%d" % (n, 2000 + n))
    titles = title_lines()
    assert len(titles) == 13
    lines += ["", "[UPDATE_STARTDLG_STRING]",
              "MAIN_TEXTTITLE=Refontis デモフォントシリーズ（OpenType）%d書体を改訂版に更新します。"
              % len(plans),
              "MAXNUM=%d" % len(titles)]
    lines += ["FONT_TEXTTITLE%d=%s" % (i, t) for i, t in enumerate(titles, 1)]
    text = "\r\n".join(lines) + "\r\n"
    write(os.path.join(HERE, "config", "refontis.ini"), text.encode("cp932"))
    write(os.path.join(HERE, "config", "product_codes.txt"),
          "".join("%05d\n" % s["product_code"] for s in plans).encode("ascii"))


def write_resource_list(plans):
    lines = ["# The updater's embedded resources: TYPE ID PATH, one a line. PATH is relative to",
             "# data/ (data:) or to this folder's build directory (build:). Written by",
             "# make_demo_fonts.py.", "INIFILE 2000 data:config/refontis.ini"]
    lines += ["FONT_PA %d build:patches/%s.pa" % (2001 + i, s["stem"])
              for i, s in enumerate(plans)]
    write(os.path.join(HERE, "resources.list"), ("\n".join(lines) + "\n").encode("ascii"))


def main():
    plans = fonts()
    check_stems(plans)
    for plan in plans:
        old_bytes = build_font(plan, revised=False)
        new_bytes = build_font(plan, revised=True)
        old = check_font(plan, old_bytes, revised=False)
        new = check_font(plan, new_bytes, revised=True)
        write(os.path.join(HERE, "fonts", "old", plan["stem"] + ".old.otf"), old_bytes)
        write(os.path.join(HERE, "fonts", "new", plan["stem"] + ".new.otf"), new_bytes)
        if "-v" in sys.argv:
            print("%-30s %5d %5d  %s  %s" % (plan["stem"], len(old_bytes), len(new_bytes),
                                            ",".join(compare(old, new)),
                                            hashlib.sha256(new_bytes).hexdigest()[:12]))
    write_config(plans)
    write_resource_list(plans)


if __name__ == "__main__":
    main()
