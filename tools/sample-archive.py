#!/usr/bin/env python3
"""Writes an archive of sample events around today, for screenshots."""
import datetime
import sys

FIELDS = [80, 20, 6, 10, 15, 10, 16]


def record(texts):
    out = b""
    for text, size in zip(texts, FIELDS):
        data = text.encode("cp1252")[:size]
        out += bytes([len(data)]) + data + b"\0" * (size - len(data))
    return out


now = datetime.datetime.now()
stamp = now.strftime("%d/%m/%Y %H.%M")
rows = []
for description, delta, lead, frequency in [
    ("Bollo auto", datetime.timedelta(hours=6), "1 giorno prima", "Ogni ora"),
    ("Compleanno di Maria", datetime.timedelta(days=9), "2 settimane prima", "Ogni giorno"),
    ("Rata del mutuo", datetime.timedelta(days=20), "1 settimana prima", "Ogni giorno"),
    ("Visita dal dentista", datetime.timedelta(hours=-4), "1 giorno prima", "Avvio Computer"),
    ("Assicurazione casa", datetime.timedelta(days=40), "1 mese prima", "Ogni settimana"),
    ("Caff\u00e8 con Anna", datetime.timedelta(days=2), "Nessun Avviso", "Avvio Computer"),
]:
    moment = now + delta
    if moment.year != now.year:
        moment = now.replace(month=12, day=31, hour=23, minute=0)
    rows.append(record([description, lead, moment.strftime("%d/%m"), moment.strftime("%H.%M"), frequency,
                        "Annuale", stamp]))
if len(sys.argv) != 2:
    sys.exit("usage: tools/sample-archive.py ARCHIVE   (for example build/run/Ricordex.psc)")
open(sys.argv[1], "wb").write(b"".join(rows))
