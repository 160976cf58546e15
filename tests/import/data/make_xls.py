#!/usr/bin/python3
# Writes loans.xls beside this script with Debian's python3-xlwt: the binary workbook that the
# .xls import test reads and the xls fuzz target starts from (libfreexl, which reads it, has no
# writer). Sheet "Loans": a title row, a blank row, the header, six records of texts, whole and
# decimal numbers, booleans as texts, dates and date-times, an empty cell; sheet "Notes".
import datetime
import os

import xlwt

book = xlwt.Workbook(encoding="utf-8")
loans = book.add_sheet("Loans")
notes = book.add_sheet("Notes")
day = xlwt.easyxf(num_format_str="DD.MM.YYYY")
stamp = xlwt.easyxf(num_format_str="DD.MM.YYYY HH:MM")
loans.write(0, 0, "Loans of 2024")
for c, name in enumerate(["Name", "Age", "Income", "Since", "Loan"]):
    loans.write(2, c, name)
rows = [
    ("Novák", 31, 1200.5, datetime.date(2019, 3, 1), "approved"),
    ("Dvořák", 45, 2300.25, datetime.datetime(2020, 7, 15, 10, 30), "refused"),
    ("Černá", 28, 900, datetime.date(2021, 1, 31), "approved"),
    ("Kučera", 52, 3100.75, datetime.date(2018, 11, 2), "refused"),
    ("Svoboda", 39, 1500, datetime.date(2022, 5, 20), "approved"),
    ("Veselá", None, None, datetime.date(2023, 9, 9), "approved"),
]
for r, (name, age, income, since, loan) in enumerate(rows, start=3):
    loans.write(r, 0, name)
    if age is not None:
        loans.write(r, 1, age)
        loans.write(r, 2, income)
    loans.write(r, 3, since, stamp if isinstance(since, datetime.datetime) else day)
    loans.write(r, 4, loan)
notes.write(0, 0, "Remark")
notes.write(1, 0, "checked")
book.save(os.path.join(os.path.dirname(os.path.abspath(__file__)), "loans.xls"))
