#!/usr/bin/env python3
"""Writes a coin table with python3-dbf: the twenty coin fields by name, and the records
given as JSON on stdin (a list of objects from field name to text, number or
"YYYY-MM-DD" date)."""
import datetime
import json
import sys

import dbf

SPECS = ('COUNTRY C(20); FACEVALUE C(20); YEAR C(7); CONDITION C(30); MINTMARK C(3); '
         'PURCHASEPR F(19,4); MARKETVALU F(19,4); PREMIUMVAL F(19,4); TOPIC C(20); '
         'DESCRIPTIO C(40); PURCHDATE D; MISCELLANE C(110); QUANTITY N(11,0); '
         'COMMENT C(80); YEARAPPROX C(5); WANTED C(3); USERDEF1 C(40); USERDEF2 C(40); '
         'USERDEF3 C(40); USERDEF4 C(40)')

table = dbf.Table(sys.argv[1], SPECS, dbf_type='db3', codepage='cp1252')
table.open(dbf.READ_WRITE)
for record in json.load(sys.stdin):
    values = {}
    for name, value in record.items():
        if name == 'PURCHDATE':
            value = datetime.date.fromisoformat(value)
        values[name.lower()] = value
    table.append(values)
table.close()
