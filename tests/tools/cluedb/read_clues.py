# Prints a clue table as python3-dbf reads it: one line a record in record order,
# "<*| ><ENTRY>|<T|F>|<clue>|...|<memo>", fields trimmed, text as UTF-8.
import sys

import dbf

table = dbf.Table(sys.argv[1], codepage='cp1252')
table.open(dbf.READ_ONLY)
for record in table:
    values = []
    for name in table.field_names:
        value = record[name]
        if value is None:
            value = ''
        elif value is True or value is False:
            value = 'T' if value else 'F'
        values.append(str(value).rstrip())
    print(('*' if dbf.is_deleted(record) else ' ') + '|'.join(values))
table.close()
