# Editor attribute conversion: a survey CSV made into an attribute database with the
# design SURVEY-A of the master database (lorvex-cli import-attrs), exported back to CSV
# (export-attrs), and imported again: the second database is the same file.
set -euo pipefail
work="$OUT/editor-attrs"
mkdir -p "$work"
master="$OUT/Master.pdb"
if [[ ! -f "$master" ]]; then
  "$LORVEX_CLI" store --to "$master" --name Master --code SURVEY-A 2>&1
fi

# Four header rows (not read back), a short row, a full row of the standard design's
# 10 + 50 + 30 + 30 + 10 cells, and a row cut after its position.
full="3,1,2,0,100,-200,40,30,139700000,35650000"
for k in $(seq 1 50); do full+=",$((k % 3))"; done
for k in $(seq 1 30); do full+=",$((k * 10))"; done
for k in $(seq 1 30); do full+=",$k.25"; done
full+=",東京都港区,芝公園４丁目,,,,,,,,"
{
  printf '%s\r\n' "項目名称(ID),StatusCode,SymbolCode" "ページ番号" "ラベル名称" "項目名称(Cmb),"
  printf '%s\r\n' "1,0,5,0,-16000,12000,400,250,139690000,35660000,2,1" "$full" "4,0,0,0,10,20"
} | iconv -f UTF-8 -t CP932 > "$work/survey.csv"

cd "$work"
echo "\$ lorvex-cli import-attrs survey.csv Master.pdb SURVEY-A 調査データ survey.pdb"
"$LORVEX_CLI" import-attrs survey.csv "$master" SURVEY-A 調査データ survey.pdb 2>&1
echo "\$ lorvex-cli list survey.pdb"
"$LORVEX_CLI" list survey.pdb 2>&1
echo "\$ lorvex-cli export-attrs survey.pdb back.csv"
"$LORVEX_CLI" export-attrs survey.pdb back.csv 2>&1
echo "\$ cells per row of back.csv, and the first 14 and last 10 cells of each data row"
iconv -f CP932 -t UTF-8 back.csv | tr -d '\r' | awk -F, '{ printf "row %d: %d cells\n", NR, NF }'
tail -n +5 back.csv | iconv -f CP932 -t UTF-8 | tr -d '\r' | awk -F, '{
  s = $1; for (i = 2; i <= 14; i++) s = s "," $i; s = s " ..."
  for (i = NF - 9; i <= NF; i++) s = s "," $i; print s }'
echo "\$ lorvex-cli import-attrs back.csv Master.pdb SURVEY-A 調査データ again.pdb"
"$LORVEX_CLI" import-attrs back.csv "$master" SURVEY-A 調査データ again.pdb 2>&1
echo "\$ cmp survey.pdb again.pdb && ls -l survey.pdb"
cmp survey.pdb again.pdb && ls -l survey.pdb | awk '{print $5, $9}'
