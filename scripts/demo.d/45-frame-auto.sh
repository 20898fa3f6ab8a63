# A computed frame: the sample DM sheet converted with --frame auto in zone IX (JGD2011);
# the message shows how the frame was computed, and the frame header of the graphic
# database holds the twelve values it names.
set -euo pipefail
work="$OUT/frame-auto"
mkdir -p "$work"
echo "\$ vornik-cli dm2pdb samples/dm/sample.dm frame-auto --frame auto --zone 9 --datum jgd2011"
"$VORNIK_CLI" dm2pdb "$SAMPLES/dm/sample.dm" "$work" --frame auto --zone 9 --datum jgd2011 2>&1
echo "\$ xxd -s 112 -l 24 frame-auto/sample_G.pdb   (the frame's twelve values, big-endian)"
xxd -s 112 -l 24 "$work/sample_G.pdb"
