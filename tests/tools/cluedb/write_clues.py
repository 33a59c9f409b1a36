# Writes a clue table with python3-dbf, as another program would: ENTRY C(<length>), MORE L,
# CLUE1 to CLUE10 C(60) and NOTE M, dBase III with its DBT. The records of <count> entries go in
# a shuffled order, with deleted records between them. Prints every entry as cluedb lookup lists
# it: "<word>|<clue>|..." with the note last, as "Note: <note>".
#
# Usage: write_clues.py <table> <seed> <count> [<entry length>]
import random
import sys

import dbf

path, seed, count = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
length = int(sys.argv[4]) if len(sys.argv) > 4 else 30
rng = random.Random(seed)
fields = 'ENTRY C(%d); MORE L; %s; NOTE M' % (length, '; '.join('CLUE%d C(60)' % n for n in range(1, 11)))
table = dbf.Table(path, fields, dbf_type='db3', codepage='cp1252')
table.open(dbf.READ_WRITE)

words = set()
while len(words) < count:
    words.add(''.join(rng.choice('ABCDEFGHIJKLMNOPQRSTUVWXYZ') for _ in range(rng.randint(2, 8))))
records = []
for word in sorted(words):
    clues = ['%s clue %d' % (word.lower(), n) for n in range(1, rng.choice([1, 2, 3, 5, 12, 21]) + 1)]
    note = 'note of %s' % word if rng.random() < 0.2 else ''
    chunks = [clues[i:i + 10] for i in range(0, len(clues), 10)]
    for k, chunk in enumerate(chunks):
        records.append((word + '&' * k, k + 1 < len(chunks), chunk, note if k == 0 else ''))
    listed = clues + (['Note: ' + note] if note else [])
    print(word + '|' + '|'.join(listed))
rng.shuffle(records)
for entry, more, chunk, note in records:
    if rng.random() < 0.15:
        table.append({'entry': entry, 'more': False, 'clue1': 'deleted'})
        dbf.delete(table[-1])
    values = {'entry': entry, 'more': more, 'note': note}
    for i, clue in enumerate(chunk):
        values['clue%d' % (i + 1)] = clue
    table.append(values)
table.close()
