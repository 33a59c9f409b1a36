"""An independent reading of dBase expressions, for the expression tests.

    expr_oracle.py write <table>     writes the test table with python3-dbf
    expr_oracle.py select <table>    reads the table's bytes and prints, for each condition,
                                     "<condition><TAB><record numbers, comma-separated or ->"
    expr_oracle.py numbers <table>   reads the number table's fields with python3-dbf and
                                     prints, for each record, the values they hold and what
                                     STR makes of them (see numbers() below)

Every condition is written twice: as the dBase expression the library compiles, and as Python
over the values of a record read from the file here. Dates are compared as day numbers (1721426
is 1 January of the year 1); SET DATE is MM/DD/YY without century.
"""
import datetime
import decimal
import math
import re
import sys

NAMES = ["DELTA", "alpha", "Delta Air", "DELTAS", "Epsilon", "  padded", "", "O'Hara",
         "Ashcraft", "Robert", "Tymczak", "Bb bb", "zeta", "DELTA DAWN", "mu"]
CODES = ["12", " 7.5x", "abc", "-3", "", "1234.5678", "+4", "0.1", "99"]


def rows():
    """The records of the test table: name, code, amount, quantity, ok, born, deleted."""
    out = []
    for i in range(60):
        name = NAMES[i % len(NAMES)]
        code = CODES[i * 7 % len(CODES)]
        amount = ((i * 7919) % 2000 - 700) / 2.0 + (0.005 if i % 11 == 0 else 0) + (0.3 if i % 4 == 1 else 0)
        quantity = (i * 37) % 23 - 3
        ok = i % 3 != 0
        born = None if i % 13 == 5 else datetime.date(1950, 1, 1) + datetime.timedelta(days=i * 1234 % 22000)
        out.append((name, code, amount, quantity, ok, born, i % 9 == 4))
    return out


def write(path):
    import dbf
    table = dbf.Table(path, "NAME C(12); CODE C(9); AMT N(10,2); QTY N(5,0); OK L; BORN D",
                      dbf_type="db3")
    table.open(dbf.READ_WRITE)
    for name, code, amount, quantity, ok, born, deleted in rows():
        table.append((name, code, amount, quantity, ok, born))
        if deleted:
            dbf.delete(table[-1])
    table.close()


# ---- The file's bytes

def read(path):
    data = open(path, "rb").read()
    count = int.from_bytes(data[4:8], "little")
    header = int.from_bytes(data[8:10], "little")
    length = int.from_bytes(data[10:12], "little")
    fields, at, offset = [], 32, 1
    while data[at] != 0x0D:
        name = data[at:at + 11].split(b"\0")[0].decode("ascii")
        fields.append((name, chr(data[at + 11]), offset, data[at + 16]))
        offset += data[at + 16]
        at += 32
    records = []
    for n in range(count):
        raw = data[header + n * length:header + (n + 1) * length]
        record = {"#": n + 1, "*": raw[0:1] == b"*"}
        for name, kind, start, size in fields:
            text = raw[start:start + size].decode("latin-1")
            if kind == "N":
                record[name] = val(text)
            elif kind == "L":
                record[name] = text[:1] in "TtYy" and text != ""
            elif kind == "D":
                record[name] = day_number(text)
            else:
                record[name] = text
        records.append(record)
    return records


# ---- dBase values in Python

def trunc(x):
    return int(math.trunc(x))


def val(text):
    blanks = "".join(chr(c) for c in range(33))
    match = re.match(r"\+?(-?(\d+\.?\d*|\.\d+)([Ee][+-]?\d+)?)", text.strip(blanks))
    if not match:
        return 0.0
    value = float(match.group(1))
    return value if math.isfinite(value) else 0.0


def day_number(stored):
    try:
        return float(datetime.date(int(stored[:4]), int(stored[4:6]), int(stored[6:8])).toordinal() + 1721425)
    except ValueError:
        return 0.0


def date_of(day):
    if not 1721426 <= day <= 5373484:
        return None
    return datetime.date.fromordinal(int(day) - 1721425)


def ctod(text):  # MM/DD/YYYY
    month, day, year = text.split("/")
    return float(datetime.date(int(year), int(month), int(day)).toordinal() + 1721425)


def dtos(day):
    date = date_of(day)
    return date.strftime("%Y%m%d") if date else " " * 8


def dtoc(day):
    date = date_of(day)
    return "%02d/%02d/%02d" % (date.month, date.day, date.year % 100) if date else "  /  /  "


def dow(day):
    date = date_of(day)
    return date.isoweekday() % 7 + 1 if date else 0


def cdow(day):
    names = ["Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"]
    return names[dow(day) - 1].ljust(9) if date_of(day) else " " * 10


def cmonth(day):
    date = date_of(day)
    return date.strftime("%B").ljust(9) if date else " " * 9


def part(day, name):
    date = date_of(day)
    return getattr(date, name) if date else 0


def begins(a, b):  # text =
    return b != "" and a.startswith(b)


def minus(a, b):  # text -
    kept = a.rstrip(" ")
    return (kept + b + " " * (len(a) - len(kept)))[:255]


def left(c, n):
    n = trunc(n)
    return "" if n <= 0 else c[:n]


def right(c, n):
    n = trunc(n)
    return c if n < 0 or n >= len(c) else ("" if n == 0 else c[-n:])


def substr(c, s, k):
    s, k = max(trunc(s), 1), trunc(k)
    return "" if s > len(c) or k <= 0 else c[s - 1:s - 1 + k]


def stuff(c, s, k, r):
    s, k = trunc(s), trunc(k)
    at = min(max(s - 1, 0), len(c))
    deleted = min(max(k, 0), len(c) - at) if 1 <= s <= len(c) else 0
    return (c[:at] + r + c[at + deleted:])[:255]


def at(a, b):
    return b.find(a) + 1 if a else 0


def fixed(x, decimals):
    """x with `decimals` decimals: its exact value rounded, a half away from zero; no "-0"."""
    with decimal.localcontext() as context:
        context.prec = 1000
        rounded = decimal.Decimal(x).quantize(decimal.Decimal(1).scaleb(-decimals), decimal.ROUND_HALF_UP)
        if rounded == 0:
            rounded = abs(rounded)
        return "{:f}".format(rounded)


def dstr(x, width=10, decimals=0):
    width = min(max(trunc(width), 1), 255)
    decimals = min(max(trunc(decimals), 0), 255)
    text = fixed(x, decimals)
    return "*" * width if len(text) > width else text.rjust(width)


def dround(x, k):
    whole = float(math.trunc(x))
    k = min(trunc(k), 308)
    if k <= 0:
        return whole
    fraction = x - whole
    for _ in range(k):
        fraction *= 10
    fraction = float(math.trunc(fraction))
    for _ in range(k):
        fraction /= 10
    return whole + fraction


def mod(a, b):
    n, m = trunc(a), trunc(b)
    if m == 0:
        return 0.0
    r = abs(n) % abs(m)
    return float(-r if n < 0 else r)


def soundex(text):
    codes = "01230120022455012623010202"
    text = text[:100].upper()
    if not text:
        return "0000"
    code, last = text[0], codes[ord(text[0]) - 65] if "A" <= text[0] <= "Z" else "0"
    for c in text[1:]:
        if len(code) == 4:
            break
        if not "A" <= c <= "Z":
            continue
        digit = codes[ord(c) - 65]
        if digit != last and digit != "0":
            code += digit
        last = digit
    return code.ljust(4, "0")


TODAY = float(datetime.date.today().toordinal() + 1721425)

CONDITIONS = [
    ("AMT > 500 .AND. NAME = 'DELTA'", lambda r: r["AMT"] > 500 and begins(r["NAME"], "DELTA")),
    ("QTY >= 10 .OR. .NOT. OK", lambda r: r["QTY"] >= 10 or not r["OK"]),
    ("NAME == 'alpha       '", lambda r: r["NAME"] == "alpha       "),
    ("'LT' $ NAME", lambda r: "LT" in r["NAME"]),
    ("NAME <> 'DELTA       '", lambda r: r["NAME"] != "DELTA       "),
    ("NAME # 'DELTA'", lambda r: r["NAME"] != "DELTA"),
    ("NAME < 'D'", lambda r: r["NAME"] < "D"),
    ("NAME > 'Delta'", lambda r: r["NAME"] > "Delta"),
    ("NAME <= 'DELTA'", lambda r: r["NAME"] <= "DELTA"),
    ("NAME >= 'a'", lambda r: r["NAME"] >= "a"),
    ("UPPER(NAME) = 'DELTA'", lambda r: begins(r["NAME"].upper(), "DELTA")),
    ("LOWER(TRIM(NAME)) == 'delta air'", lambda r: r["NAME"].rstrip(" ").lower() == "delta air"),
    ("LEN(TRIM(NAME)) > 5", lambda r: len(r["NAME"].rstrip(" ")) > 5),
    ("LEN(LTRIM(NAME)) < 12", lambda r: len(r["NAME"].lstrip(" ")) < 12),
    ("RTRIM(NAME) + '|' = 'DELTA|'", lambda r: begins(r["NAME"].rstrip(" ") + "|", "DELTA|")),
    ("LEFT(NAME, 2) = 'De'", lambda r: begins(left(r["NAME"], 2), "De")),
    ("RIGHT(TRIM(NAME), 2) = 'TA'", lambda r: begins(right(r["NAME"].rstrip(" "), 2), "TA")),
    ("SUBSTR(NAME, 2, 3) = 'ELT'", lambda r: begins(substr(r["NAME"], 2, 3), "ELT")),
    ("SUBSTR(NAME, QTY, 2) $ 'ELTA'", lambda r: substr(r["NAME"], r["QTY"], 2) in "ELTA" and substr(r["NAME"], r["QTY"], 2) != ""),
    ("STUFF(NAME, 2, 2, 'xx') = 'Dxx'", lambda r: begins(stuff(r["NAME"], 2, 2, "xx"), "Dxx")),
    ("STUFF(TRIM(NAME), QTY, 1, '-') == 'DE-TA'", lambda r: stuff(r["NAME"].rstrip(" "), r["QTY"], 1, "-") == "DE-TA"),
    ("REPLICATE(LEFT(NAME, 1), 3) = 'DDD'", lambda r: begins(left(r["NAME"], 1) * 3, "DDD")),
    ("LEN(REPLICATE(TRIM(NAME), QTY)) > 40", lambda r: len((r["NAME"].rstrip(" ") * max(0, trunc(r["QTY"])))[:255]) > 40),
    ("SPACE(2) + NAME = '  D'", lambda r: begins("  " + r["NAME"], "  D")),
    ("LEN(SPACE(QTY)) = 4", lambda r: max(0, trunc(r["QTY"])) == 4),
    ("AT('A', NAME) = 5", lambda r: at("A", r["NAME"]) == 5),
    ("ASC(NAME) > 70", lambda r: (ord(r["NAME"][0]) if r["NAME"] else 0) > 70),
    ("CHR(ASC(NAME) + 1) = 'E'", lambda r: begins(chr(((ord(r["NAME"][0]) if r["NAME"] else 0) + 1) & 255), "E")),
    ("VAL(CODE) > 5", lambda r: val(r["CODE"]) > 5),
    ("VAL(CODE) = 0", lambda r: val(r["CODE"]) == 0),
    ("RIGHT(STR(AMT, 10, 1), 1) = '5'", lambda r: begins(right(dstr(r["AMT"], 10, 1), 1), "5")),
    ("STR(QTY) > '         1'", lambda r: dstr(r["QTY"]) > "         1"),
    ("SUBSTR(STR(AMT / 7, 12, 4), 12, 1) = '1'", lambda r: begins(substr(dstr(r["AMT"] / 7, 12, 4), 12, 1), "1")),
    ("STR(AMT, 3) = '*'", lambda r: begins(dstr(r["AMT"], 3), "*")),
    ("STR(AMT, 8, 2) = STR(AMT + 0.001, 8, 2)", lambda r: dstr(r["AMT"], 8, 2) == dstr(r["AMT"] + 0.001, 8, 2)),
    ("ROUND(AMT, 1) = INT(AMT)", lambda r: dround(r["AMT"], 1) == math.trunc(r["AMT"])),
    ("ROUND(AMT / 3, 2) * 3 > AMT - 0.02", lambda r: dround(r["AMT"] / 3, 2) * 3 > r["AMT"] - 0.02),
    ("MOD(QTY, 3) = 1", lambda r: mod(r["QTY"], 3) == 1),
    ("MOD(AMT, QTY + 4) < 0", lambda r: mod(r["AMT"], r["QTY"] + 4) < 0),
    ("ABS(AMT) > 100", lambda r: abs(r["AMT"]) > 100),
    ("INT(AMT / 100) = -2", lambda r: math.trunc(r["AMT"] / 100) == -2),
    ("MAX(AMT, QTY) = QTY", lambda r: (r["AMT"] if r["AMT"] > r["QTY"] else r["QTY"]) == r["QTY"]),
    ("MIN(AMT, QTY) = AMT", lambda r: (r["AMT"] if r["AMT"] < r["QTY"] else r["QTY"]) == r["AMT"]),
    ("AMT + QTY * 2 - 1 > 100", lambda r: r["AMT"] + r["QTY"] * 2 - 1 > 100),
    ("AMT / 2 > QTY", lambda r: r["AMT"] / 2 > r["QTY"]),
    ("QTY ^ 2 > 100", lambda r: r["QTY"] ** 2 > 100),
    ("-AMT > 0 .AND. +QTY > 5", lambda r: -r["AMT"] > 0 and r["QTY"] > 5),
    ("2 ** 3 = 8 .AND. QTY > 8", lambda r: r["QTY"] > 8),
    ("BORN > CTOD('01/01/1990')", lambda r: r["BORN"] > ctod("01/01/1990")),
    ("YEAR(BORN) > 1999", lambda r: part(r["BORN"], "year") > 1999),
    ("MONTH(BORN) = 2", lambda r: part(r["BORN"], "month") == 2),
    ("DAY(BORN) < 10", lambda r: part(r["BORN"], "day") < 10),
    ("DOW(BORN) = 1", lambda r: dow(r["BORN"]) == 1),
    ("CDOW(BORN) = 'Sunday'", lambda r: begins(cdow(r["BORN"]), "Sunday")),
    ("CMONTH(BORN) = 'March'", lambda r: begins(cmonth(r["BORN"]), "March")),
    ("DTOS(BORN) > '1995'", lambda r: dtos(r["BORN"]) > "1995"),
    ("DTOC(BORN) = '03/'", lambda r: begins(dtoc(r["BORN"]), "03/")),
    ("DTOS(BORN) = '        '", lambda r: dtos(r["BORN"]) == " " * 8),
    ("BORN + 30 > CTOD('01/01/2000')", lambda r: r["BORN"] + 30 > ctod("01/01/2000")),
    ("30 + BORN > CTOD('01/01/2000')", lambda r: 30 + r["BORN"] > ctod("01/01/2000")),
    ("BORN - 30 < CTOD('01/01/1980')", lambda r: r["BORN"] - 30 < ctod("01/01/1980")),
    ("CTOD('01/01/2000') - BORN > 3650", lambda r: ctod("01/01/2000") - r["BORN"] > 3650),
    ("BORN <= DATE() .AND. BORN >= CTOD('01/01/1960')", lambda r: r["BORN"] <= TODAY and r["BORN"] >= ctod("01/01/1960")),
    ("BORN <> CTOD('  /  /    ')", lambda r: r["BORN"] != 0),
    ("MAX(BORN, CTOD('06/01/1990')) = BORN", lambda r: (r["BORN"] if r["BORN"] > ctod("06/01/1990") else ctod("06/01/1990")) == r["BORN"]),
    ("OK = .T.", lambda r: r["OK"]),
    ("OK <> .F. .AND. QTY < 0", lambda r: r["OK"] and r["QTY"] < 0),
    ("OK # .T.", lambda r: not r["OK"]),
    ("DELETED()", lambda r: r["*"]),
    ("RECNO() > 30 .AND. .NOT. DELETED()", lambda r: r["#"] > 30 and not r["*"]),
    ("IIF(OK, 'Y', 'N') = 'Y' .AND. QTY < 5", lambda r: r["OK"] and r["QTY"] < 5),
    ("NAME - '*' = 'DELTA*'", lambda r: begins(minus(r["NAME"], "*"), "DELTA*")),
    ("SOUNDEX(NAME) = 'D430'", lambda r: soundex(r["NAME"]) == "D430"),
    ("SOUNDEX(LTRIM(NAME)) $ 'R163 A226 T522'", lambda r: soundex(r["NAME"].lstrip(" ")) in "R163 A226 T522"),
    ("TRIM(CODE) + TRIM(NAME) $ 'abcalpha 12DELTA'", lambda r: (r["CODE"].rstrip(" ") + r["NAME"].rstrip(" ")) in "abcalpha 12DELTA" and (r["CODE"].rstrip(" ") + r["NAME"].rstrip(" ")) != ""),
]


def select(path):
    records = read(path)
    for text, condition in CONDITIONS:
        chosen = [str(r["#"]) for r in records if condition(r)]
        print(text + "\t" + (",".join(chosen) or "-"))


# ---- Numbers as python3-dbf reads them

# The STR calls of numbers(), as the library compiles them, with their width and decimals.
STR_CALLS = [("STR(N)", "N", 10, 0), ("STR(N, 10, 1)", "N", 10, 1), ("STR(N, 8, 2)", "N", 8, 2),
             ("STR(F, 12, 2)", "F", 12, 2), ("STR(F)", "F", 10, 0)]


def numbers(path):
    """For each record of a table with the fields T C, N N, F F (the same number text in each)
    and G N(6,1), H N(8,2) (written with the value of T): the values python3-dbf reads from N,
    F, G and H, what G and H are to hold (T's value rounded as dBase rounds), and what the STR
    calls give for N and F, tab-separated. STR_CALLS comes first, as a line of its own."""
    import dbf
    print("\t".join(call for call, _, _, _ in STR_CALLS))
    table = dbf.Table(path)
    table.open(dbf.READ_ONLY)
    for record in table:
        read = {name: float(record[name.lower()] or 0) for name in "NFGH"}
        value = val(record.t)
        out = [repr(read[name]) for name in "NFGH"]
        out += [fixed(value, 1), fixed(value, 2)]
        out += [dstr(read[field], width, decimals) for _, field, width, decimals in STR_CALLS]
        print("\t".join(out))
    table.close()


if __name__ == "__main__":
    {"write": write, "select": select, "numbers": numbers}[sys.argv[1]](sys.argv[2])
