# A session with vornik-cli csv2pdb and pdb2csv: an attribute CSV there and back, refused
# input that keeps the earlier output, and wrong usage. "run" prints each command line and
# its exit status.
run() {
  echo "\$ vornik-cli $*"
  "$VORNIK_CLI" "$@" 2>&1
  echo "[exit $?]"
}
zeros='0,0,0,0,0,0,0,0,0,,,0,0,0,0,0,0,0,0,0,'
cp "$TESTDATA/csv2pdb-cli/list.csv" list.csv
run csv2pdb list.csv --today 2001-04-01
od -A d -t x1 -j 32 -N 16 list.pdb
perl "$PALM_CHECK" list.pdb
run pdb2csv list.pdb back.csv
iconv -f CP932 -t UTF-8 back.csv | tr -d '\r'

# A bad field on line 3: the message names it, the earlier database stays.
cp list.pdb earlier.pdb
printf '1,%s\r\n2,%s\r\n3,0,0,98304,0,0,0,0,0,0,,,0,0,0,0,0,0,0,0,0,\r\n' "$zeros" "$zeros" > list.csv
run csv2pdb list.csv --today 2001-04-01
cmp list.pdb earlier.pdb && echo "list.pdb unchanged"
printf '1,%s,extra\r\n' "$zeros" > list.csv
run csv2pdb list.csv
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR' > list.csv
run csv2pdb list.csv
cmp list.pdb earlier.pdb && echo "list.pdb unchanged"
run csv2pdb missing.csv
printf '1,%s\r\n' "$zeros" > noext
run csv2pdb noext

# A file name that cannot be a database name: the helper's report, then the run goes on
# to its end, with exit status 3 for the error on the way.
printf '1,%s\r\n' "$zeros" > 'ab建物.csv'
run csv2pdb 'ab建物.csv' --today 2001-04-01
od -A d -t x1 -N 4 'ab建物.pdb'

# pdb2csv refuses a database whose stored name is not its file name; the CSV stays.
cp list.pdb other.pdb
echo old > other.csv
run pdb2csv other.pdb other.csv
cat other.csv

# Wrong usage.
run csv2pdb
run csv2pdb list.csv --today 2001-02-30
run pdb2csv list.pdb
