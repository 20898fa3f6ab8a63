# DM conversion: the sample DM sheet (buildings, roads, a railway, a river, notes) into a
# graphic and an attribute database with vornik-cli dm2pdb, the start of the graphic
# database shown, then the attribute database converted back with pdb2csv; then the same
# file with --all-elements and its log.
set -euo pipefail
work="$OUT/dm"
mkdir -p "$work"
echo "\$ vornik-cli dm2pdb samples/dm/sample.dm dm --frame 33,14,300,131,36,0,33,13,905,131,36,125"
"$VORNIK_CLI" dm2pdb "$SAMPLES/dm/sample.dm" "$work" \
  --frame 33,14,300,131,36,0,33,13,905,131,36,125 2>&1
echo "\$ ls -l dm"
ls -l "$work" | tail -n +2 | awk '{print $5, $9}'
echo "\$ xxd -s 88 -l 80 dm/sample_G.pdb   (frame header, first area element)"
xxd -s 88 -l 80 "$work/sample_G.pdb"
echo "\$ vornik-cli pdb2csv dm/sample_A.pdb dm/sample_A.csv"
"$VORNIK_CLI" pdb2csv "$work/sample_A.pdb" "$work/sample_A.csv" 2>&1
echo "\$ cat dm/sample_A.csv   (Shift-JIS, shown as UTF-8)"
iconv -f CP932 -t UTF-8 "$work/sample_A.csv" | tr -d '\r'
echo "\$ vornik-cli dm2pdb samples/dm/sample.dm dm-all --all-elements --log dm-all/log.txt   (the note as a label, the circle and the arc as lines)"
mkdir -p "$OUT/dm-all"
"$VORNIK_CLI" dm2pdb "$SAMPLES/dm/sample.dm" "$OUT/dm-all" --all-elements --log "$OUT/dm-all/log.txt" \
  --frame 33,14,300,131,36,0,33,13,905,131,36,125 2>&1
echo "\$ cat dm-all/log.txt"
cat "$OUT/dm-all/log.txt"
