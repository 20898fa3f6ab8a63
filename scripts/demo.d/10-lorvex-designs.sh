# Screen designs: two designs stored into a new master database with lorvex-cli,
# listed, then the first lines of the check report written beside it.
set -euo pipefail
master="$OUT/Master.pdb"
echo "\$ lorvex-cli store --to Master.pdb --name Master --code SURVEY-A"
"$LORVEX_CLI" store --to "$master" --name Master --code SURVEY-A 2>&1
echo "\$ lorvex-cli store --from Master.pdb --from-code SURVEY-A --to Master.pdb --name Master --code SURVEY-B --yes"
"$LORVEX_CLI" store --from "$master" --from-code SURVEY-A --to "$master" --name Master --code SURVEY-B --yes 2>&1
echo "\$ lorvex-cli list Master.pdb"
"$LORVEX_CLI" list "$master" 2>&1
echo "\$ head -n 24 Master.txt   (Shift-JIS, shown as UTF-8)"
head -n 24 "$OUT/Master.txt" | iconv -f CP932 -t UTF-8 | tr -d '\r'
