"""The memo benchmark's work done with python3-dbf, for comparison.

Usage: python_dbf_memo_peer.py <folder> <records> <db3|fp>
Prints one line per figure: "<name> <per second>".
"""
import os
import sys
import time

import dbf

LENGTHS = (10, 100, 600, 3000)
LINE = "the clue of a crossword, with its answer and some notes on it"[:58] + "\r\n"


def text(i):
    length = LENGTHS[i % 4]
    return (LINE * (length // len(LINE) + 1))[:length]


def main():
    folder, records, kind = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    path = os.path.join(folder, "pydbf_memo_%s.dbf" % kind)
    table = dbf.Table(path, "NAME C(10); NOTES M", dbf_type=kind)
    table.open(dbf.READ_WRITE)
    start = time.perf_counter()
    for i in range(records):
        table.append(("n%d" % i, text(i)))
    print(f"write {records / (time.perf_counter() - start):.0f}")
    table.close()

    table.open(dbf.READ_ONLY)
    start = time.perf_counter()
    total = 0
    for record in table:
        total += len(record.notes)
    print(f"read {records / (time.perf_counter() - start):.0f}")
    table.close()


main()
