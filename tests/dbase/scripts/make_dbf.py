#!/usr/bin/env python3
"""Writes a table with python3-dbf for the engine to read: every field kind the engine
reads, empty values, a non-ASCII text and one deleted record."""
import datetime
import sys

import dbf

table = dbf.Table(sys.argv[1], 'NAME C(20); PRICE N(12,2); BOUGHT D; QTY N(5,0); '
                  'AMOUNT F(19,4); OK L', dbf_type='db3', codepage='cp1252')
table.open(dbf.READ_WRITE)
table.append(('Zürich', 12.5, datetime.date(2001, 2, 3), 7, 1.25, True))
table.append(('', None, None, None, None, None))
table.append(('Gone', 1, datetime.date(1999, 12, 31), 1, -3.5, False))
table.append(('Åland Øre', -0.75, datetime.date(2024, 2, 29), 0, 123456.789, False))
dbf.delete(table[2])
table.close()
