"""The expression benchmark's filter run with python3-dbf, for comparison.

Usage: python_dbf_filter.py <table>
Prints "filter <records per second>" and "selected <records>".
"""
import sys
import time

import dbf


def main():
    table = dbf.Table(sys.argv[1])
    table.open(dbf.READ_ONLY)
    start = time.perf_counter()
    selected = 0
    for record in table:
        if record.amount > 500 and record.name.startswith("DELTA"):
            selected += 1
    elapsed = time.perf_counter() - start
    print(f"filter {len(table) / elapsed:.0f}")
    print(f"selected {selected}")
    table.close()


main()
