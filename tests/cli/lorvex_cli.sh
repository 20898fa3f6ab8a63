# A session with lorvex-cli: stores (one ending with a warning), lists, a new code added
# without a question and a refused replacement naming its code, removals, designs to JSON
# and back, and wrong usage.
# "run" prints each command line and its exit status.
run() {
  echo "\$ lorvex-cli $*"
  "$LORVEX_CLI" "$@" 2>&1
  echo "[exit $?]"
}
run store --to m.pdb --name Master --code A
run store --to m.pdb --name Master --code B
run store --to m.pdb --name Master --code B
run store --to m.pdb --name Master --code B --yes
run store --from m.pdb --from-code A --to d.pdb --name Default
run list m.pdb
run list d.pdb
run store --to a.pdb --name survey
run store --to abc --name Master --code A
run remove m.pdb A
run remove m.pdb A --yes
run remove d.pdb A --yes
run list m.pdb
# The fresh design is stored with the fixed objects on page 0 (the report shows 0, not -1).
iconv -f CP932 -t UTF-8 m.txt | grep -m1 'ID番号(ページ番号)'
# Names and codes count Shift-JIS bytes: 31 fit; 32 are refused as the database-file dialog
# refuses them, and nothing is written (two codes sharing their first 31 bytes used to
# overwrite each other).
a15=$(printf 'あ%.0s' {1..15})
run store --to m.pdb --name Master --code "${a15}x" --yes
run store --to m.pdb --name Master --code "${a15}xA" --yes
run store --to m.pdb --name "${a15}xA" --yes
run store --from m.pdb --from-code "${a15}xA" --to x.pdb --name Default
run store --from m.pdb --from-name "${a15}xA" --to x.pdb --name Default
run remove m.pdb "${a15}xA" --yes
printf 'h\nh\nh\nh\n' > in.csv
run import-attrs in.csv m.pdb "${a15}xA" survey x.pdb
run import-attrs in.csv m.pdb B "${a15}xA" x.pdb
run list m.pdb
test -e x.pdb || echo "x.pdb: not written"
# Designs as JSON: a design exported, imported into a new master and exported again gives
# the same text; replacing a code asks; a hand-edited bad value is refused with its JSON
# path and nothing is written.
run export-design m.pdb B b.json
sed -n '1,7p;16,17p' b.json
run import-design b.json j.pdb B
run export-design j.pdb B b2.json
cmp b.json b2.json && echo "b.json = b2.json"
run import-design b.json j.pdb B
run import-design b.json j.pdb C
run list j.pdb
sed 's/"labelX":20,/"labelX":70000,/' b.json > bad.json
run import-design bad.json j.pdb D
sed 's/"Cmb\[2\]"/"Cmb☃2"/' b.json > bad.json
run import-design bad.json j.pdb D
run import-design b.json gone/j.pdb B
run export-design m.pdb Z z.json
run export-design d.pdb B z.json
test -e z.json || echo "z.json: not written"
run list nowhere.pdb
run store --to m.pdb
echo "\$ lorvex-cli frobnicate"
out=$("$LORVEX_CLI" frobnicate 2>&1)
status=$?
printf '%s\n' "${out%%$'\n'*}"
echo "[exit $status]"
