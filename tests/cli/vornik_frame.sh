# vornik-cli frame: the frame of a DM file and of a Digital Map 2500 sheet (the figures agree
# with the Gauss–Krüger series, as in tests/converter/georef), the zone taken from a DM
# file's name, and each kind of bad input. "run" prints each command line and its status.
run() {
  echo "\$ vornik-cli $*"
  "$VORNIK_CLI" "$@" 2>&1
  echo "[exit $?]"
}
cp "$SAMPLES/dm/sample.dm" sample.dm
cp "$SAMPLES/dm/sample.dm" 09LD351.dm
cp -r "$SAMPLES/dm2500/53394525" 53394525
mkdir empty
run frame sample.dm --zone 9 --datum jgd2011
run frame 09LD351.dm --datum jgd2011
run frame 53394525 --zone 9 --datum tokyo
run frame 53394525 --zone 9 --datum tokyo --extent-unit km
run frame sample.dm --datum jgd2011
run frame 09LD351.dm
run frame 09LD351.dm --zone 20 --datum jgd2011
run frame 09LD351.dm --datum wgs84
run frame empty --zone 9 --datum tokyo --extent-unit cm
run frame empty --zone 9 --datum tokyo
