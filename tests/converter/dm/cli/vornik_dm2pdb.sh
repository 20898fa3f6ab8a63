# A session with vornik-cli dm2pdb: the sample DM sheet into its two databases (checked by
# the independent reader, the attribute database shown through pdb2csv), then broken DM
# files, each refused with its message and leaving nothing behind, an earlier output that
# survives a refused run, and wrong usage. "run" prints each command line and its exit status.
run() {
  echo "\$ vornik-cli $*"
  "$VORNIK_CLI" "$@" 2>&1
  echo "[exit $?]"
}
cp "$SAMPLES/dm/sample.dm" sample.dm
mkdir out
run dm2pdb sample.dm out --frame 33,14,300,131,36,0,33,13,905,131,36,125 --today 2001-12-05
ls out
perl "$PALM_CHECK" out/sample_G.pdb
perl "$PALM_CHECK" out/sample_A.pdb
# Header dates, then the frame header element (origin 44000, 7800; extents 400000, 300000;
# the twelve frame values) and the header of the first area element.
od -A d -t x1 -j 32 -N 16 out/sample_G.pdb
od -A d -t x1 -j 88 -N 56 out/sample_G.pdb
run pdb2csv out/sample_A.pdb out/sample_A.csv
iconv -f CP932 -t UTF-8 out/sample_A.csv | tr -d '\r'

# Broken files: the message names the file, line and columns; no database is written.
for case in dm_wrong_unit dm_short_line dm_not_number dm_no_second_m dm_count_past_end \
            dm_group_before_m dm_utf16; do
  cp "$TESTDATA/$case/input.dm" "$case.dm"
  mkdir "$case"
  run dm2pdb "$case.dm" "$case"
  echo "files written: $(ls "$case" | wc -l)"
done
# A file far larger than memory (sparse, all zero bytes) is refused at once.
truncate -s 64G huge.dm
mkdir huge
run dm2pdb huge.dm huge
echo "files written: $(ls huge | wc -l)"
rm huge.dm

# A point outside the sheet: reported, the element keeps its other points, the run ends
# with exit status 3 (0 is for a run without an error or warning on the way).
cp "$TESTDATA/dm_overflow/input.dm" overflow.dm
run dm2pdb overflow.dm . --today 2001-12-05
perl "$PALM_CHECK" overflow_G.pdb | tail -n 2
perl "$PALM_CHECK" overflow_A.pdb | tail -n 1

# A refused run leaves the earlier databases of the same name as they were.
cp "$TESTDATA/dm_wrong_unit/input.dm" sample.dm
cp out/sample_G.pdb earlier_G.pdb
run dm2pdb sample.dm out
cmp out/sample_G.pdb earlier_G.pdb && echo "sample_G.pdb unchanged"

# Wrong usage and missing input.
run dm2pdb sample.dm
run dm2pdb sample.dm out --frame 1,2,3
run dm2pdb missing.dm out
run dm2pdb "" out
