#!/bin/sh
# Runs every fuzz target for SECONDS each, two at a time, each over a copy of
# its seed corpus (what it finds is kept in BUILD_DIR/fuzz/corpus for the next
# run). A crash, a sanitizer report, a leak or a hang fails the run and prints
# the input that caused it. See fuzz/README.md.
#   fuzz/run.sh SECONDS [BUILD_DIR]     (BUILD_DIR defaults to build-fuzz)
set -eu
seconds=${1:?usage: fuzz/run.sh SECONDS [BUILD_DIR]}
build=${2:-build-fuzz}
here=$(cd "$(dirname "$0")" && pwd)
work=$build/fuzz
mkdir -p "$work/corpus" "$work/artifacts" "$work/logs"

targets=""
for binary in "$work"/fuzz_*; do
    [ -x "$binary" ] || continue
    name=$(basename "$binary")
    targets="$targets $name"
    mkdir -p "$work/corpus/$name"
    cp -n "$here/corpus/$name"/* "$work/corpus/$name/" 2>/dev/null || true
done
[ -n "$targets" ] || { echo "no fuzz targets in $work: build with -DCV_UNITS_FUZZ=ON" >&2; exit 2; }

# The built-in package seeds the SQL loader's target, whole and as its part.
package=$build/toolbox/corvane/cv_units/ud
if [ -f "$package" ] && [ -d "$work/corpus/fuzz_sql_package" ]; then
    python3 - "$package" "$work/corpus/fuzz_sql_package" <<'PY'
import sys, zipfile
package, out = sys.argv[1], sys.argv[2]
data = open(package, "rb").read()
open(out + "/builtin_package", "wb").write(b"\0" + data)
open(out + "/builtin_part", "wb").write(b"\1" + zipfile.ZipFile(package).read("ud_part"))
PY
fi

run_one() {
    name=$1
    "$work/$name" "$work/corpus/$name" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -dict="$here/units.dict" -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/$name-" >"$work/logs/$name.log" 2>&1
}

failed=""
pids=""
running=0
for name in $targets; do
    run_one "$name" &
    pids="$pids $!:$name"
    running=$((running + 1))
    if [ "$running" -ge 2 ]; then
        for entry in $pids; do
            wait "${entry%%:*}" || failed="$failed ${entry#*:}"
        done
        pids=""
        running=0
    fi
done
for entry in $pids; do
    wait "${entry%%:*}" || failed="$failed ${entry#*:}"
done

for name in $targets; do
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$work/logs/$name.log" | tail -1 || true)
    echo "$name: ${done_line:-no summary, see $work/logs/$name.log}"
done
if [ -n "$failed" ]; then
    for name in $failed; do
        echo "=== $name failed; the end of its log:"
        tail -n 40 "$work/logs/$name.log"
        for artifact in "$work/artifacts/$name-"*; do
            [ -f "$artifact" ] || continue
            echo "=== reproducer $artifact (hex):"
            od -A d -t x1 "$artifact" | head -n 16
            echo "reproduce with: $work/$name $artifact"
        done
    done
    exit 1
fi
