# GIS data: the bundled town (GeoJSON layers of buildings, a river, a railway, roads and
# place names, in Japanese) into a graphic and an attribute database with vornik-cli
# ogr2pdb, then the graphic database back out as GeoJSON with pdb2ogr (element by element,
# in plane coordinates) and the attribute database through pdb2csv.
set -euo pipefail
work="$OUT/ogr"
mkdir -p "$work"
echo "\$ vornik-cli ogr2pdb samples/ogr/town ogr --zone 9 --datum jgd2011 --map samples/ogr/town-map.json --today 2001-12-05"
"$VORNIK_CLI" ogr2pdb "$SAMPLES/ogr/town" "$work" --zone 9 --datum jgd2011 \
  --map "$SAMPLES/ogr/town-map.json" --today 2001-12-05 2>&1 | sed "s#$SAMPLES/##"
echo "\$ ls -l ogr"
ls -l "$work" | tail -n +2 | awk '{print $5, $9}'
echo "\$ vornik-cli pdb2ogr ogr/town_G.pdb ogr/town_A.pdb ogr/town.geojson --zone 9 --datum jgd2011"
"$VORNIK_CLI" pdb2ogr "$work/town_G.pdb" "$work/town_A.pdb" "$work/town.geojson" --zone 9 \
  --datum jgd2011 2>&1 | sed "s#$work/#ogr/#"
echo "\$ the elements of town.geojson (kind, class, style, serial, label text, name, use), then the first building"
ogr2ogr -f CSV /vsistdout/ "$work/town.geojson" -select kind,class,style,serial,text,Text1,Text2 2>/dev/null
grep -m 1 '"serial": 1,' "$work/town.geojson" | sed 's/"Value1".*"geometry"/… "geometry"/' 
echo "\$ vornik-cli pdb2csv ogr/town_A.pdb town.csv; head -n 3 town.csv"
"$VORNIK_CLI" pdb2csv "$work/town_A.pdb" "$work/town.csv" 2>&1
head -n 3 "$work/town.csv" | iconv -f CP932 -t UTF-8 | tr -d '\r'
