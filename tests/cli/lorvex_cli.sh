# A session with lorvex-cli: stores (one ending with a warning), lists, a refused overwrite,
# removals, and wrong usage.
# "run" prints each command line and its exit status.
run() {
  echo "\$ lorvex-cli $*"
  "$LORVEX_CLI" "$@" 2>&1
  echo "[exit $?]"
}
run store --to m.pdb --name Master --code A
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
run list nowhere.pdb
run store --to m.pdb
echo "\$ lorvex-cli frobnicate"
out=$("$LORVEX_CLI" frobnicate 2>&1)
status=$?
printf '%s\n' "${out%%$'\n'*}"
echo "[exit $status]"
