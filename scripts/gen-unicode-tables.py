#!/usr/bin/env python3
"""Writes the character model's tables, src/text/unicode_tables.h and .cpp.

Reads Unicode's data files from Debian's unicode-data package
(/usr/share/unicode) and code page 932 from glibc's iconv(3), the converter
the tool uses, so that the library's code page 932 and the tool's agree. The
partners of code page 932 characters come from src/text/partners.h.

Usage: scripts/gen-unicode-tables.py [--check] [--data DIR] [--out DIR]
  --check  write nothing; exit 0 when the committed tables are what this
           script makes, 1 when they differ, 77 when the data files or
           iconv's CP932 are missing
"""
import argparse
import ctypes
import ctypes.util
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIP = 77

# Flags of a record; text/unicode_data.h (CodePointInfo) names the same bits.
JOINS, LETTER, EMOJI, EXTENDS, DIGIT, PICTOGRAPHIC = 0x1, 0x2, 0x4, 0x8, 0x10, 0x20
# Values in the order of text/unicode_data.h's enums.
CLUSTER_BREAKS = ["Other", "CR", "LF", "Control", "Extend", "ZWJ", "Regional_Indicator", "Prepend",
                  "SpacingMark", "L", "V", "T", "LV", "LVT"]
EAST_ASIAN_WIDTHS = ["N", "A", "H", "F", "Na", "W"]
SCRIPT_CLASSES = {"Latin": 1, "Greek": 2, "Cyrillic": 3}  # every other script: 0
MODES = 3  # Ambiguous: kCp932, kWide, kNarrow
OWN_CHARACTERS = {0xFF9E, 0xFF9F}  # the half-width sound marks never join a cluster

MAX = 0x110000
BMP = 0x10000
BMP_SHIFT = 6  # two-stage tables of the Basic Multilingual Plane: blocks of 64
# Kana, CJK symbols and kanji: spelt with one lookup in a flat table, as fast
# as the rest of the line's bytes are copied.
WINDOW_FIRST, WINDOW_END = 0x3000, 0xA000


class Missing(Exception):
    pass


# ---- Unicode's data files --------------------------------------------------

def read_lines(path):
    if not os.path.exists(path):
        raise Missing(f"{path} is missing (Debian's unicode-data)")
    with open(path, encoding="utf-8") as f:
        return f.readlines()


def parse_span(text):
    text = text.strip()
    if ".." in text:
        first, last = text.split("..")
        return int(first, 16), int(last, 16)
    return int(text, 16), int(text, 16)


def property_file(path, default, values=None):
    """A list of MAX values from a data file: @missing lines first (later
    ones winning), then each listed range. values keeps only those values
    (a file that lists several properties)."""
    table = [default] * MAX
    explicit = []
    for line in read_lines(path):
        missing = re.match(r"#\s*@missing:\s*([0-9A-F.]+)\s*;\s*(\S+)", line)
        if missing:
            first, last = parse_span(missing.group(1))
            table[first:last + 1] = [missing.group(2)] * (last - first + 1)
            continue
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        fields = [f.strip() for f in line.split(";")]
        if values is not None and fields[1] not in values:
            continue
        explicit.append((parse_span(fields[0]), fields[1]))
    for (first, last), value in explicit:
        table[first:last + 1] = [value] * (last - first + 1)
    return table


def binary_property(path, name):
    table = property_file(path, False, {name})
    return [v == name for v in table]


def unicode_version(path):
    first = read_lines(path)[0]
    match = re.search(r"-(\d+)\.(\d+)\.\d+\.txt", first)
    if not match:
        raise Missing(f"{path} names no version")
    return f"{match.group(1)}.{match.group(2)}"


# ---- Code page 932 from glibc's iconv --------------------------------------

class Iconv:
    """One iconv(3) conversion descriptor, as the tool opens it."""

    def __init__(self, libc, to, frm):
        self.libc = libc
        self.cd = libc.iconv_open(to.encode(), frm.encode())
        if self.cd in (None, ctypes.c_void_p(-1).value):
            raise Missing(f"iconv cannot convert from {frm} to {to}")

    def convert(self, data):
        """The whole of data converted, or None."""
        self.libc.iconv(self.cd, None, None, None, None)
        src = ctypes.create_string_buffer(data, len(data))
        out = ctypes.create_string_buffer(16)
        src_ptr = ctypes.c_char_p(ctypes.addressof(src))
        out_ptr = ctypes.c_char_p(ctypes.addressof(out))
        left = ctypes.c_size_t(len(data))
        room = ctypes.c_size_t(16)
        result = self.libc.iconv(self.cd, ctypes.byref(src_ptr), ctypes.byref(left), ctypes.byref(out_ptr),
                                 ctypes.byref(room))
        if result == ctypes.c_size_t(-1).value or left.value != 0:
            return None
        return out.raw[:16 - room.value]

    def close(self):
        self.libc.iconv_close(self.cd)


def open_libc():
    libc = ctypes.CDLL(ctypes.util.find_library("c"))
    libc.iconv_open.restype = ctypes.c_void_p
    libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    libc.iconv.restype = ctypes.c_size_t
    libc.iconv.argtypes = [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p]
    libc.iconv_close.argtypes = [ctypes.c_void_p]
    return libc


def is_lead(byte):
    return 0x81 <= byte <= 0x9F or 0xE0 <= byte <= 0xFC


def cp932_tables():
    """(decoded, encoded): decoded[code] is the code point that code (a byte,
    or lead * 256 + trail) decodes to, or None; encoded[cp] is the code that
    encoding a code point that some code decodes to gives (several codes
    decode to one code point; encoding picks one)."""
    libc = open_libc()
    decode = Iconv(libc, "UTF-32LE", "CP932")
    encode = Iconv(libc, "CP932", "UTF-32LE")
    decoded = [None] * BMP
    codes = []
    for byte in range(1, 0x100):
        if is_lead(byte):
            codes += [(byte << 8 | trail, bytes([byte, trail])) for trail in range(0x40, 0xFD) if trail != 0x7F]
        else:
            codes.append((byte, bytes([byte])))
    for code, data in codes:
        out = decode.convert(data)
        if out is not None and len(out) == 4:
            decoded[code] = int.from_bytes(out, "little")
    decoded[0] = 0  # NUL is a character of code page 932 too
    encoded = {}
    for cp in sorted({cp for cp in decoded if cp is not None and 0 < cp < BMP}):
        out = encode.convert(cp.to_bytes(4, "little"))
        if out is not None and len(out) in (1, 2):
            encoded[cp] = int.from_bytes(out, "big")
    decode.close()
    encode.close()
    if not encoded:
        raise Missing("iconv has no CP932")
    return decoded, encoded


def partners():
    with open(os.path.join(ROOT, "src/text/partners.h"), encoding="utf-8") as f:
        text = f.read()
    body = text[text.index("kCp932Partners"):]
    body = body[:body.index("};")]
    return [(int(a, 16), int(b, 16)) for a, b in re.findall(r"\{0x([0-9A-Fa-f]+),\s*0x([0-9A-Fa-f]+)\}", body)]


# ---- The model --------------------------------------------------------------

def build(data_dir):
    path = lambda name: os.path.join(data_dir, name)
    version = unicode_version(path("EastAsianWidth.txt"))
    eaw = property_file(path("extracted/DerivedEastAsianWidth.txt"), "N")
    eaw = [{"Neutral": "N", "Ambiguous": "A", "Halfwidth": "H", "Fullwidth": "F", "Narrow": "Na",
            "Wide": "W"}.get(v, v) for v in eaw]
    gcb = property_file(path("auxiliary/GraphemeBreakProperty.txt"), "Other")
    gc = property_file(path("extracted/DerivedGeneralCategory.txt"), "Cn")
    script = property_file(path("Scripts.txt"), "Unknown")
    emoji_presentation = binary_property(path("emoji/emoji-data.txt"), "Emoji_Presentation")
    pictographic = binary_property(path("emoji/emoji-data.txt"), "Extended_Pictographic")

    decoded, encoded = cp932_tables()
    codes = [0] * BMP
    for cp, code in encoded.items():
        codes[cp] = code
    # A partner that code page 932 lacks and that is drawn wide, or ambiguous
    # as its two-byte partner is, is spelt as that partner, so that it folds
    # exactly as the partner does. The narrow ones keep their own width.
    for pair in partners():
        for side in range(2):
            me, other = pair[side], pair[1 - side]
            if codes[me] == 0 and codes[other] > 0xFF and eaw[me] in ("W", "F", "A"):
                codes[me] = codes[other]

    records = {}
    record_of = [0] * MAX
    spellings = [[0] * BMP for _ in range(MODES)]
    for cp in range(MAX):
        cp932 = codes[cp] if cp < BMP else 0
        own = cp in OWN_CHARACTERS
        cluster = gcb[cp]
        flags = 0
        if not own:
            if cluster in ("Extend", "ZWJ", "SpacingMark"):
                flags |= JOINS | EXTENDS
            elif cluster in ("Prepend", "Regional_Indicator", "L", "V", "T"):
                flags |= JOINS
        category = gc[cp]
        if category[0] in "LM" or category == "Nd":
            flags |= LETTER
        if emoji_presentation[cp]:
            flags |= EMOJI
        if category == "Nd":
            flags |= DIGIT
        if pictographic[cp]:
            flags |= PICTOGRAPHIC
        # Zero-width code points add nothing when they begin a cluster; a
        # held character is exactly as wide as its code page 932 form.
        zero = (not own and cp932 == 0 and (category in ("Mn", "Me", "Cf") or cluster in ("V", "T")))
        base = 2 if eaw[cp] in ("W", "F") or emoji_presentation[cp] else 1
        if cp932:
            base = 2 if cp932 > 0xFF else 1
        widths = 0
        mode_widths = []
        for mode in range(MODES):
            width = 0 if zero else base
            if not zero and eaw[cp] == "A":
                width = {0: width, 1: 2, 2: 1}[mode]
            widths |= width << (2 * mode)
            mode_widths.append(width)
        classes = EAST_ASIAN_WIDTHS.index(eaw[cp]) | SCRIPT_CLASSES.get(script[cp], 0) << 4
        record = (widths, flags, CLUSTER_BREAKS.index(cluster), classes)
        record_of[cp] = records.setdefault(record, len(records))
        if cp932 and not flags & JOINS:
            length = 2 if cp932 > 0xFF else 1
            for mode in range(MODES):
                if mode_widths[mode] == length:
                    spellings[mode][cp] = cp932
    decoded_cps = [0xFFFF if cp is None else cp for cp in decoded]
    return version, list(records), record_of, codes, spellings, decoded_cps


# ---- Compact tables ---------------------------------------------------------

class BlockPool:
    """Blocks of 2**shift values, each kept once."""

    def __init__(self, shift):
        self.shift = shift
        self.values = []
        self.at = {}

    def add(self, block):
        key = tuple(block)
        if key not in self.at:
            self.at[key] = len(self.values) >> self.shift
            self.values.extend(block)
        return self.at[key]

    def stage(self, values):
        """The block numbers of values, block by block."""
        size = 1 << self.shift
        return [self.add(values[i:i + size]) for i in range(0, len(values), size)]


def trie(values, low, high):
    """Three levels: level0[cp >> high] is a block of level1, whose entry
    (cp >> low) & (2**(high - low) - 1) is a block of level2."""
    level2 = BlockPool(low)
    middle = level2.stage(values)
    level1 = BlockPool(high - low)
    level0 = level1.stage(middle)
    return level0, level1.values, level2.values


def best_trie(values):
    choice = None
    for low in range(4, 9):
        for high in range(low + 2, 16):
            level0, level1, level2 = trie(values, low, high)
            size = len(level0) * width_of(level0) + len(level1) * width_of(level1) + len(level2) * width_of(level2)
            if choice is None or size < choice[0]:
                choice = (size, low, high, level0, level1, level2)
    return choice


def width_of(values):
    return 1 if max(values) < 0x100 else 2


def c_type(values):
    return "uint8_t" if width_of(values) == 1 else "uint16_t"


def c_array(name, values, per_line=16, digits=None):
    digits = digits or (2 if width_of(values) == 1 else 4)
    lines = []
    for i in range(0, len(values), per_line):
        lines.append("    " + ", ".join(f"0x{v:0{digits}X}" for v in values[i:i + per_line]) + ",")
    return f"const {c_type(values)} {name}[{len(values)}] = {{\n" + "\n".join(lines) + "\n};\n"


def render(version, records, record_of, codes, spellings, decoded):
    size, low, high, level0, level1, level2 = best_trie(record_of)
    pool = BlockPool(BMP_SHIFT)
    stages = [pool.stage(codes)] + [pool.stage(s) for s in spellings] + [pool.stage(decoded)]
    # Stage entries are offsets into the pool, so a lookup only adds.
    stages = [[block << BMP_SHIFT for block in stage] for stage in stages]
    assert len(pool.values) <= 0x10000
    window = spellings[0][WINDOW_FIRST:WINDOW_END]
    for mode in range(1, MODES):
        # One window serves every width rule only while they agree there.
        assert spellings[mode][WINDOW_FIRST:WINDOW_END] == window, "width rules differ in the kanji window"
    bmp_size = 2 * (len(pool.values) + sum(len(s) for s in stages) + len(window))
    total = size + 4 * len(records) + bmp_size

    banner = ("// Generated by scripts/gen-unicode-tables.py from Unicode {v} (Debian's\n"
              "// unicode-data) and glibc iconv's CP932; do not edit. {n} bytes in all.\n").format(
                  v=version, n=total)
    header = banner + f"""// The character model's tables: a record per code point (widths,
// flags, grapheme cluster break, East Asian Width, script class) through a
// three-level trie, and two-stage tables of the Basic Multilingual Plane for
// code page 932 (the code of a code point, its spelling per width rule, and
// the code point of a code). text/unicode_data.h reads them.
#pragma once

#include <cstdint>

namespace lumo::text::tables {{

inline constexpr char kUnicodeVersion[] = "{version}";

struct Record {{
    uint8_t widths;   // two bits per Ambiguous value
    uint8_t flags;    // CodePointInfo's flag bits
    uint8_t cluster;  // ClusterBreak
    uint8_t classes;  // EastAsianWidth in bits 0-2, ScriptClass in bits 4-5
}};

// Records: kRecordLevel2[(kRecordLevel1[(kRecordLevel0[cp >> kRecordHigh]
// << (kRecordHigh - kRecordLow)) + ((cp >> kRecordLow) & kRecordMiddleMask)]
// << kRecordLow) + (cp & kRecordLowMask)] indexes kRecords.
inline constexpr unsigned kRecordLow = {low};
inline constexpr unsigned kRecordHigh = {high};
inline constexpr uint32_t kRecordMiddleMask = {(1 << (high - low)) - 1};
inline constexpr uint32_t kRecordLowMask = {(1 << low) - 1};
extern const Record kRecords[{len(records)}];
extern const {c_type(level0)} kRecordLevel0[{len(level0)}];
extern const {c_type(level1)} kRecordLevel1[{len(level1)}];
extern const {c_type(level2)} kRecordLevel2[{len(level2)}];

// The Basic Multilingual Plane in blocks of 2^kBmpShift: kBmpPool[stage[x >>
// kBmpShift] + (x & kBmpLowMask)] for a code point or a code x. 0xFFFF in
// kCodePoints: no character.
inline constexpr unsigned kBmpShift = {BMP_SHIFT};
inline constexpr uint32_t kBmpLowMask = {(1 << BMP_SHIFT) - 1};
enum BmpStage : unsigned {{
    kCodes = 0,      // code page 932 code of a code point (partners as their partner); 0: none
    kSpellings = 1,  // kSpellings + Ambiguous: the code when the width rule keeps it, else 0
    kCodePoints = 4, // code point of a code page 932 code
}};
extern const uint16_t kBmpStages[5][{BMP >> BMP_SHIFT}];
extern const uint16_t kBmpPool[{len(pool.values)}];

// kSpellings of U+{WINDOW_FIRST:04X}..U+{WINDOW_END - 1:04X} (kana, CJK symbols, kanji), the
// same under every width rule, flat: kSpellingWindow[cp - kSpellingWindowFirst].
inline constexpr uint32_t kSpellingWindowFirst = 0x{WINDOW_FIRST:04X};
inline constexpr uint32_t kSpellingWindowSize = 0x{WINDOW_END - WINDOW_FIRST:04X};
extern const uint16_t kSpellingWindow[{len(window)}];

}}  // namespace lumo::text::tables
"""
    record_lines = "\n".join(f"    {{0x{w:02X}, 0x{f:02X}, {c}, 0x{k:02X}}},  // {i}"
                             for i, (w, f, c, k) in enumerate(records))
    stage_text = ",\n".join("    {" + ", ".join(f"0x{v:04X}" for v in stage) + "}" for stage in stages)
    source = banner + f"""#include "text/unicode_tables.h"

namespace lumo::text::tables {{

const Record kRecords[{len(records)}] = {{
{record_lines}
}};

{c_array("kRecordLevel0", level0)}
{c_array("kRecordLevel1", level1)}
{c_array("kRecordLevel2", level2)}
const uint16_t kBmpStages[5][{BMP >> BMP_SHIFT}] = {{
{stage_text}
}};

{c_array("kBmpPool", pool.values, digits=4)}
{c_array("kSpellingWindow", window, digits=4)}
}}  // namespace lumo::text::tables
"""
    sizes = (f"records {len(records)} x 4 bytes, record trie {size} bytes (levels {len(level0)}, {len(level1)}, "
             f"{len(level2)}; shifts {low}, {high}), BMP tables {bmp_size} bytes (pool {len(pool.values)} "
             f"values, kanji window {2 * len(window)} bytes), {total} bytes in all")
    return header, source, sizes


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--data", default="/usr/share/unicode")
    parser.add_argument("--out", default=os.path.join(ROOT, "src/text"))
    args = parser.parse_args()
    try:
        header, source, sizes = render(*build(args.data))
    except Missing as e:
        print(f"gen-unicode-tables: skipped: {e}", file=sys.stderr)
        return SKIP
    files = {"unicode_tables.h": header, "unicode_tables.cpp": source}
    if args.check:
        stale = []
        for name, text in files.items():
            path = os.path.join(args.out, name)
            current = open(path, encoding="utf-8").read() if os.path.exists(path) else None
            if current != text:
                stale.append(path)
        for path in stale:
            print(f"gen-unicode-tables: {path} differs from what the data makes", file=sys.stderr)
        if not stale:
            print(f"gen-unicode-tables: tables current ({sizes})")
        return 1 if stale else 0
    for name, text in files.items():
        with open(os.path.join(args.out, name), "w", encoding="utf-8") as f:
            f.write(text)
    print(f"gen-unicode-tables: {sizes}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
