#!/usr/bin/env python3
"""Prints the number of cells of each row of a CSV file as Python's csv module reads it."""
import csv
import sys

with open(sys.argv[1], encoding="cp932", newline="") as f:
    for row in csv.reader(f):
        print(len(row))
