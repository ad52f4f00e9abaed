#!/usr/bin/env python3
"""Writes the broken tables the engine tests open. Run once; the output is committed."""
import struct

def table(fields, records, count=None, header_len=None, rec_len=None, flag28=0, terminator=True):
    desc = b''
    for name, typ, length, dec in fields:
        desc += name.encode().ljust(11, b'\0') + typ.encode() + b'\0' * 4 + bytes([length, dec]) + b'\0' * 14
    hl = 32 + len(desc) + 1 if header_len is None else header_len
    rl = 1 + sum(f[2] for f in fields) if rec_len is None else rec_len
    n = len(records) if count is None else count
    head = struct.pack('<B3BIHH', 3, 126, 12, 8, n, hl, rl) + b'\0' * 20
    head = head[:28] + bytes([flag28, 0x57]) + head[30:32]
    body = (head + desc + (b'\r' if terminator else b'')).ljust(hl, b'\0')[:hl]
    for r in records:
        body += b' ' + r
    return body + b'\x1a'

fields = [('NAME', 'C', 10, 0), ('QTY', 'N', 5, 0)]
recs = [b'Alpha     ' + b'    1', b'Beta      ' + b'    2']
good = table(fields, recs)

files = {
    'empty.dbf': b'',
    'truncated_header.dbf': good[:20],
    'count_too_large.dbf': table(fields, recs, count=1000),
    # Header length 80 holds one descriptor, but a second starts at 64 and runs to 96.
    'descriptors_overrun.dbf': table(fields, recs, header_len=80, terminator=False),
    'record_length_mismatch.dbf': table(fields, recs, rec_len=40),
    'not_a_table.dbf': b'This is a plain text file that happens to end in .dbf.\n' * 4,
    'no_fields.dbf': table([], []),
    'missing_mdx.dbf': table(fields, recs, flag28=1),
    'damaged_mdx.dbf': table(fields, recs, flag28=1),
    'damaged_mdx.mdx': b'\x02' + b'garbage' * 100,
    'good.dbf': good,
}
for name, data in files.items():
    with open(name, 'wb') as f:
        f.write(data)
