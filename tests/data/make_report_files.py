#!/usr/bin/env python3
"""Writes the damaged report definition files the report tests read. Run once; the output
is committed."""
import struct

SIZE = 20622

def string(text, size, length=None):
    raw = text.encode('cp1252')
    n = len(raw) if length is None else length
    return bytes([n]) + raw.ljust(size, b'X')[:size]

def record(name, width, lines, item_width, field, length=None, margin=0.5):
    r = bytearray(SIZE)
    r[0:31] = string(name, 30, length)
    struct.pack_into('<h', r, 31, width)
    struct.pack_into('<h', r, 343, lines)
    for m in (1845, 1853, 1861, 1869):
        struct.pack_into('<d', r, m, margin)
    for line in range(13):
        base = 345 if line == 0 else 622 + 1500 * line
        for i in range(20):
            at = base + 75 * i
            r[at:at + 31] = string('Country', 30, length)
            r[at + 31] = field
            struct.pack_into('<h', r, at + 32, item_width)
            r[at + 34:at + 75] = string('label', 40, length)
    for k in range(5):  # font blocks with a face length past the field and size 0
        at = 33 + 61 * k
        r[at:at + 51] = string('Arial', 50, length)
        struct.pack_into('<h', r, at + 51, -7)
    return bytes(r)

# Length bytes of 255, widths and counts out of range, NaN margins.
damaged = (record('Long', 999, 77, 999, 200, length=255, margin=float('nan'))
           + record('Negative', -5, -3, -40, 0, length=200, margin=-3.0))
open('damaged_reports.urp', 'wb').write(damaged)
# One whole record, then 1000 bytes of a second.
good = record('Whole', 90, 1, 90, 1)
open('partial_reports.urp', 'wb').write(good + good[:1000])
