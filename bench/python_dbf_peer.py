"""The table benchmark's work done with python3-dbf, for comparison.

Usage: python_dbf_peer.py <folder> <records> <random reads>
Prints one line per figure: "<name> <per second>".
"""
import os
import random
import sys
import time

import dbf

SPEC = "TAG C(20); NAME C(40); AMOUNT N(10,2); COUNT N(8,0); DAY D; FLAG L; NOTE C(12)"


def main():
    folder, records, reads = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    path = os.path.join(folder, "pydbf.dbf")
    table = dbf.Table(path, SPEC, dbf_type="db3")
    table.open(dbf.READ_WRITE)
    day = dbf.Date(2024, 5, 17)
    start = time.perf_counter()
    for i in range(records):
        table.append((f"T{i}", "name of the record", i * 0.25, i, day, i % 2 == 0, "note"))
    elapsed = time.perf_counter() - start
    print(f"appends {records / elapsed:.0f}")
    table.close()

    table.open(dbf.READ_ONLY)
    start = time.perf_counter()
    total = 0
    for record in table:
        total += record.count
    elapsed = time.perf_counter() - start
    print(f"scan {records / elapsed:.0f}")

    start = time.perf_counter()
    for record in table:
        values = tuple(record)  # every field as its value
        total += values[3]
    elapsed = time.perf_counter() - start
    print(f"scan_fields {records / elapsed:.0f}")

    rng = random.Random(1)
    start = time.perf_counter()
    for _ in range(reads):
        total += table[rng.randrange(records)].count
    elapsed = time.perf_counter() - start
    print(f"random_go {reads / elapsed:.0f}")
    table.close()


main()
