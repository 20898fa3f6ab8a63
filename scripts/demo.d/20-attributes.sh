# Attribute CSV and database: the bundled CSV converted to an attribute database with
# vornik-cli csv2pdb, its header and first record shown, then converted back with pdb2csv.
set -euo pipefail
work="$OUT/attributes"
mkdir -p "$work"
cp "$SAMPLES/attributes.csv" "$work/attributes.csv"
echo "\$ cat attributes.csv   (Shift-JIS, shown as UTF-8)"
iconv -f CP932 -t UTF-8 "$work/attributes.csv" | tr -d '\r'
echo "\$ vornik-cli csv2pdb attributes.csv --today 2001-04-01"
"$VORNIK_CLI" csv2pdb "$work/attributes.csv" --today 2001-04-01 2>&1 | sed "s#$work/##"
echo "\$ xxd -l 240 attributes.pdb   (header, 4 record-list entries, gap, first record)"
xxd -l 240 "$work/attributes.pdb"
echo "\$ vornik-cli pdb2csv attributes.pdb back.csv"
"$VORNIK_CLI" pdb2csv "$work/attributes.pdb" "$work/back.csv" 2>&1
echo "\$ cat back.csv   (Shift-JIS, shown as UTF-8)"
iconv -f CP932 -t UTF-8 "$work/back.csv" | tr -d '\r'
