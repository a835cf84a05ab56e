#!/usr/bin/env bash
# Compiles the example project, every fixture project and the compile
# benchmark's generated projects with one build of the program, and keeps
# every file they leave (sources, outputs and the standard output of each
# run), so that two builds can be compared byte for byte:
#
#   bench/output_snapshot.sh path/to/ruvojs OUTDIR [path/to/compile_bench] [sizes...]
#   diff -r OUTDIR_BEFORE OUTDIR_AFTER
#
# The program is copied into one fixed install folder (with the libs/ folder
# beside its own) and the projects are compiled in one fixed work folder, so
# that the paths the outputs print are the same for both builds. compile_bench defaults to the
# one beside the program's build (build/bench/compile_bench); sizes default
# to 100 400 1600 w160 w640. RUVO_SNAPSHOT_WORK names another work folder,
# so that two snapshots can be taken at the same time (compare only
# snapshots taken in the same work folder).
set -euo pipefail
bin=$(realpath "$1")
out=$(realpath -m "$2")
here=$(cd "$(dirname "$0")/.." && pwd)
bench=${3:-$(dirname "$bin")/../bench/compile_bench}
shift $(($# < 3 ? $# : 3))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(100 400 1600 w160 w640)
work=${RUVO_SNAPSHOT_WORK:-/tmp/ruvo-output-snapshot}

rm -rf "$out" "$work"
mkdir -p "$out" "$work/src" "$work/install/bin"
cp "$bin" "$work/install/bin/ruvojs"
[ -d "$(dirname "$bin")/../libs" ] && cp -r "$(dirname "$bin")/../libs" "$work/install/"
cp -r "$here/examples/dungeon" "$work/src/example-dungeon"
for f in "$here"/tests/fixtures/*/; do cp -r "$f" "$work/src/fixture-$(basename "$f")"; done
bin=$work/install/bin/ruvojs
"$bench" --generate "$work/gen" "${sizes[@]}"
for s in "${sizes[@]}"; do mv "$work/gen/$s" "$work/src/bench-$s"; done

for project in "$work"/src/*/; do
  name=$(basename "$project")
  mkdir -p "$work/run"
  rm -rf "$work/run/$name"
  cp -r "$project" "$work/run/$name"
  # Every project file of the folder, in a fixed order.
  find "$work/run/$name" \( -name '*.as3proj' -o -name '.actionScriptProperties' \) -print | LC_ALL=C sort |
    while read -r p; do
      rel=${p#"$work/run/$name/"}
      "$bin" "$p;zafrit=false" >"$work/run/$name.$(echo "$rel" | tr '/' '_').stdout" 2>/dev/null || true
    done
  mv "$work/run/$name"* "$out/"
done
rm -rf "$work"
echo "snapshot in $out: $(find "$out" -type f | wc -l) files"
