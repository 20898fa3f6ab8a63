#!/usr/bin/env bash
# Runs a command-line session script in a scratch folder and compares what it printed
# (stdout and stderr, with the scratch folder's path written as $W) with the expected
# transcript.
set -uo pipefail
script=$1
expected=$2
W=$(mktemp -d)
trap 'rm -rf "$W"' EXIT
export W
actual="$W/.transcript"
(cd "$W" && bash "$script") > "$actual" 2>&1
sed -i "s#$W#\$W#g" "$actual"
diff -u "$expected" "$actual"
