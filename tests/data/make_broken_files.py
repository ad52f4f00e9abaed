#!/usr/bin/env python3
"""Writes the broken tables the engine tests open. Run once; the output is committed.

damaged_coins.* and overfull_coins.* are not made here: they are a five-coin table written
by the program with its index NewIndex on Upper(Left(Miscellane,80)). damaged_coins.mdx is
the first 300 bytes of that index; in overfull_coins.mdx the root leaf (page 6) claims 13
keys where its 84-byte items leave room for 12.
"""
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

def looping_mdx():
    # One tag NewIndex on Upper(NAME) whose root is an interior block that points at itself.
    head = bytearray(2048)
    head[0] = 2
    head[4:8] = b'LOOP'
    struct.pack_into('<HHBBB', head, 20, 2, 1024, 1, 48, 32)
    struct.pack_into('<H', head, 28, 1)
    head[31] = 0x1B
    struct.pack_into('<II', head, 32, 8, 8)
    struct.pack_into('<I', head, 544, 4)
    head[548:556] = b'NewIndex'
    head[559] = 0x10
    head[563] = 2
    head[564] = ord('C')
    tag = bytearray(1024)
    struct.pack_into('<II', tag, 0, 6, 4)
    tag[8] = 0x10
    tag[9] = ord('C')
    struct.pack_into('<HHHH', tag, 12, 10, 63, 0, 16)
    expr = b'Upper(NAME)'
    tag[24:24 + len(expr)] = expr
    tag[246] = 1
    node = bytearray(1024)
    struct.pack_into('<I', node, 0, 1)
    struct.pack_into('<I', node, 8, 6)          # child of item 0: itself
    node[12:22] = b'ZZZZZZZZZZ'
    struct.pack_into('<I', node, 8 + 16, 6)     # rightmost child: itself
    return bytes(head + tag + node)


def overflow_mdx():
    # A tag header claiming 65,535 keys per node of item length 65,535: the product of the
    # two does not fit a 32-bit int. The root block claims 65,535 keys.
    head = bytearray(2048)
    head[0] = 2
    head[4:12] = b'OVERFLOW'
    struct.pack_into('<HHBBB', head, 20, 2, 1024, 1, 48, 32)
    struct.pack_into('<H', head, 28, 1)
    head[31] = 0x1B
    struct.pack_into('<II', head, 32, 8, 8)
    struct.pack_into('<I', head, 544, 4)
    head[548:556] = b'NewIndex'
    head[559] = 0x10
    head[563] = 2
    head[564] = ord('C')
    tag = bytearray(1024)
    struct.pack_into('<II', tag, 0, 6, 4)
    tag[8] = 0x10
    tag[9] = ord('C')
    struct.pack_into('<HHHH', tag, 12, 10, 65535, 0, 65535)
    expr = b'Upper(NAME)'
    tag[24:24 + len(expr)] = expr
    tag[246] = 1
    struct.pack_into('<II', tag, 248, 6, 6)
    node = bytearray(1024)
    struct.pack_into('<I', node, 0, 65535)
    struct.pack_into('<I', node, 8, 1)
    node[12:22] = b'ALPHA     '
    return bytes(head + tag + node)


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
    'date_width.dbf': table([('NAME', 'C', 10, 0), ('BOUGHT', 'D', 2, 0)], [b'Alpha     ' + b'20']),
    'looping_mdx.dbf': table(fields, recs, flag28=1),
    'looping_mdx.mdx': looping_mdx(),
    'overflow_mdx.dbf': table(fields, recs, flag28=1),
    'overflow_mdx.mdx': overflow_mdx(),
}
for name, data in files.items():
    with open(name, 'wb') as f:
        f.write(data)
