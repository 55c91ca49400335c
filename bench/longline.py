#!/usr/bin/env python3
"""Writes the two inputs of the long-line measurement, of the same bytes but
for the line ends: LINES, whole lines of SOURCE (repeated as needed) up to
BYTES, and ONE-LINE, the same text as one line without any line end, each
CR LF replaced by two spaces and each other LF or CR by one, so that both
have the same size and the same characters to fold. Line ends are ASCII in
Shift-JIS and UTF-8 alike, so either encoding works.

Usage: longline.py SOURCE BYTES LINES ONE-LINE
"""
import sys


def main():
    source, size, lines_path, one_path = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    one = open(source, "rb").read()
    if not one:
        sys.exit(f"longline: {source} is empty")
    text = one * (size // len(one) + 1)
    end = text.rfind(b"\n", 0, size)
    if end < 0:
        sys.exit(f"longline: no line end in the first {size} bytes of {source} repeated")
    text = text[:end + 1]
    with open(lines_path, "wb") as f:
        f.write(text)
    with open(one_path, "wb") as f:
        f.write(text.replace(b"\r\n", b"  ").replace(b"\n", b" ").replace(b"\r", b" "))


if __name__ == "__main__":
    main()
