# A session with lorvex-cli export-attrs and import-attrs: a master database, a CSV made
# into an attribute database and back, the overwrite question, and the refusals.
# "run" prints each command line and its exit status.
run() {
  echo "\$ lorvex-cli $*"
  "$LORVEX_CLI" "$@" 2>&1
  echo "[exit $?]"
}
# Data rows of a CSV as UTF-8, cut to their first 14 cells and the last ten.
rows() {
  tail -n +5 "$1" | iconv -f CP932 -t UTF-8 | tr -d '\r' | awk -F, '{ s = $1; for (i = 2; i <= 14; i++) s = s "," $i; s = s " ..."; for (i = NF - 9; i <= NF; i++) s = s "," $i; print s }'
}
cp "$TESTDATA"/attrcsv_cli/*.csv .
run store --to m.pdb --name Master --code A
run import-attrs survey.csv m.pdb A 調査 a.pdb
run list a.pdb
run export-attrs a.pdb a.csv
rows a.csv
run export-attrs a.pdb a.csv
run export-attrs a.pdb a.csv --yes
run import-attrs long_cell.csv m.pdb A 調査 a.pdb --yes
run import-attrs long_cell.csv m.pdb A long b.pdb
run import-attrs long_cell.csv m.pdb A long b.pdb --yes
run list b.pdb
run import-attrs three_rows.csv m.pdb A short c.pdb
run import-attrs survey.csv m.pdb A Master c.pdb
run import-attrs survey.csv m.pdb Z survey c.pdb
run import-attrs survey.csv a.pdb A survey c.pdb
run import-attrs survey.csv m.pdb A survey m.pdb --yes
run import-attrs missing.csv m.pdb A survey c.pdb
run import-attrs survey.csv m.pdb "A😀" survey c.pdb
run export-attrs m.pdb m.csv
run export-attrs a.pdb nowhere/a.csv
run import-attrs survey.csv m.pdb A
ls *.pdb *.csv | grep -v -e survey -e long_cell -e three_rows
