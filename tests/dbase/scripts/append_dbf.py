#!/usr/bin/env python3
"""Appends one record with the given first field to a table, as another program would."""
import sys

import dbf

table = dbf.Table(sys.argv[1])
table.open(dbf.READ_WRITE)
table.append({table.field_names[0]: sys.argv[2]})
table.close()
