#!/usr/bin/env bash
# The quote tool's cost as a whole process, on the starter database of the build's
# program folder: one quote end to end (open the folder, price, write the text file),
# a batch of 1,000 trips, and the sqlite3 shell reading the airports of those trips
# for comparison. Best of 5 each. Usage: bench/quote_tool.sh [BUILD-DIR]
set -euo pipefail
build=${1:-build}
folder="$build/Brisklander"
tool="$build/brisklander-quote"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

best() { # best of 5 runs of the command, in microseconds
    local best=999999999 start t
    for _ in 1 2 3 4 5; do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1 || true
        t=$(( ($(date +%s%N) - start) / 1000 ))
        [ "$t" -lt "$best" ] && best=$t
    done
    echo "$best"
}

# 1,000 trips of two or three airports drawn from the starter database (fixed seed).
sqlite3 "$folder/Brisklander.mdb" "SELECT ID FROM Airports ORDER BY ID" >"$dir/ids"
awk 'BEGIN { srand(7) } { id[NR] = $1 } END {
        print "stops,rate,tax,passengers"
        for (i = 0; i < 1000; ++i) {
            a = id[int(rand() * NR) + 1]; b = id[int(rand() * NR) + 1]
            if (i % 2) { c = id[int(rand() * NR) + 1]; print a "-" b "-" c ",,," }
            else print a " " b ",,,"
        }
    }' "$dir/ids" >"$dir/trips.csv"
tr ' ,-' '\n\n\n' <"$dir/trips.csv" | grep -v '^$' | sed 1,4d | sort -u |
    awk '{ printf "%s\x27%s\x27", (NR > 1 ? "," : ""), $1 }' >"$dir/in"

echo "one quote (KTEB KBOS EGLL, text file): $(best "$tool" "$folder" KTEB KBOS EGLL --text "$dir/q.txt") us"
echo "batch of 1000 trips: $(best "$tool" "$folder" --batch "$dir/trips.csv" --output "$dir/f.csv") us"
echo "sqlite3 reading the airports of those trips: $(best sqlite3 "$folder/Brisklander.mdb" "SELECT * FROM Airports WHERE ID IN ($(cat "$dir/in"))") us"
