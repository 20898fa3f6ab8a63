# Digital Map 2500 conversion: the sample sheet folder (48 buildings sharing party walls,
# 4 town polygons, 6 blocks, a river and a railway) into a graphic database, an attribute
# CSV and an attribute database with vornik-cli nsdi2pdb. The messages are compared with
# the expected ones, the graphic database is walked element by element, and the first
# lines of the CSV and of the attribute database (through pdb2csv) are shown.
set -euo pipefail
work="$OUT/digitalmap"
mkdir -p "$work"
sheet="$SAMPLES/dm2500/53394525"
echo "\$ vornik-cli nsdi2pdb samples/dm2500/53394525 digitalmap --frame 35,40,0,139,45,0,35,39,300,139,46,150 --today 2001-12-05"
"$VORNIK_CLI" nsdi2pdb "$sheet" "$work" --frame 35,40,0,139,45,0,35,39,300,139,46,150 \
  --today 2001-12-05 2>"$work/messages.txt"
cat "$work/messages.txt"
echo "\$ diff samples/dm2500/expected_messages.txt messages.txt"
diff -u "$SAMPLES/dm2500/expected_messages.txt" "$work/messages.txt" && echo "(identical)"
echo "\$ ls -l digitalmap"
ls -l "$work" | tail -n +2 | awk '{print $5, $9}'
records=$((16#$(xxd -s 76 -l 2 -p "$work/53394525_G.pdb")))
start=$((80 + 8 * records))
echo "\$ xxd -s $start -l 96 digitalmap/53394525_G.pdb   (frame header, first building at record 1)"
xxd -s "$start" -l 96 "$work/53394525_G.pdb"
echo "\$ walk digitalmap/53394525_G.pdb   (records joined, elements counted by kind and class)"
python3 - "$work/53394525_G.pdb" <<'PY'
import struct, sys, collections
data = open(sys.argv[1], 'rb').read()
n = struct.unpack('>H', data[76:78])[0]
pos = [struct.unpack('>I', data[78 + 8 * k:82 + 8 * k])[0] for k in range(n)]
stream = b''.join(data[pos[k]:(pos[k + 1] if k + 1 < n else len(data))] for k in range(n))
names = {(1, 1): 'frame header', (6, 1): 'area (building)', (17, 10): 'label (town)',
         (4, 2): 'line (block)', (4, 4): 'line (river)', (4, 3): 'line (railway)'}
count, at = collections.Counter(), 0
while at + 8 <= len(stream) and stream[at] != 0:
    kind, cls, length = stream[at], stream[at + 1], struct.unpack('>h', stream[at + 2:at + 4])[0]
    count[names.get((kind, cls), '?')] += 1
    at += 8 + 4 * length + (4 if length % 2 else 0)
print('%d records of 1024 bytes, %d bytes of elements, %d bytes of zero fill'
      % (n, at, len(stream) - at))
for name, c in count.items():
    print('  %4d %s' % (c, name))
PY
echo "\$ head -n 5 digitalmap/53394525.csv   (Shift-JIS, shown as UTF-8)"
head -n 5 "$work/53394525.csv" | iconv -f CP932 -t UTF-8 | tr -d '\r'
echo "\$ vornik-cli pdb2csv digitalmap/53394525_A.pdb back.csv; head -n 5 back.csv"
"$VORNIK_CLI" pdb2csv "$work/53394525_A.pdb" "$work/back.csv" 2>&1
head -n 5 "$work/back.csv" | iconv -f CP932 -t UTF-8 | tr -d '\r'
