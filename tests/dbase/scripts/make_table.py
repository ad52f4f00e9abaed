#!/usr/bin/env python3
"""Writes a dBase III table with python3-dbf: make_table.py PATH 'NAME C(20); ...' ROWS
where ROWS is a JSON list of records, each a list of values ([y, m, d] for a date, null for
an empty value) or {"deleted": true, "values": [...]} for a deleted record."""
import datetime
import json
import sys

import dbf

table = dbf.Table(sys.argv[1], sys.argv[2], dbf_type='db3', codepage='cp1252')
table.open(dbf.READ_WRITE)
for row in json.loads(sys.argv[3]):
    deleted = isinstance(row, dict) and row.get('deleted', False)
    values = row['values'] if isinstance(row, dict) else row
    table.append(tuple(datetime.date(*v) if isinstance(v, list) else v for v in values))
    if deleted:
        dbf.delete(table[-1])
table.close()
