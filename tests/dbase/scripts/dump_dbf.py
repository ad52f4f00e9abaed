#!/usr/bin/env python3
"""Prints a table as python3-dbf reads it, as JSON: fields, count, and every record."""
import datetime
import json
import sys

import dbf

table = dbf.Table(sys.argv[1])
table.open(dbf.READ_ONLY)
out = {'count': len(table), 'codepage': str(table.codepage).split()[0], 'fields': [], 'records': []}
for name in table.field_names:
    info = table.field_info(name)
    out['fields'].append([name.upper(), chr(info.field_type), info.length, info.decimal])
for rec in table:
    values = []
    for i in range(len(table.field_names)):
        v = rec[i]
        if isinstance(v, str):
            v = v.rstrip()
        elif isinstance(v, datetime.date):
            v = v.isoformat()
        elif v is not None and not isinstance(v, (int, float, bool)):
            v = str(v)
        values.append(v)
    out['records'].append({'deleted': bool(dbf.is_deleted(rec)), 'values': values})
table.close()
print(json.dumps(out))
