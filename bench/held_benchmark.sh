#!/usr/bin/env bash
# The held store at scale: N held posts (default 10000) kept in a mail box's .held folder, then
# the median time of `tarnwick-cli held --all`, which loads every item and prints it.
# Usage: bench/held_benchmark.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-10000}
source bench/build_cli.sh build
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TARNWICK_REGISTRY="$work/registry.db"
"$cli" settings MailBox "$work/box" >/dev/null
"$cli" list-add --title bench --type majordomo --name testlist --address majordomo@localhost \
  --admin admin@example.org >/dev/null
mkdir -p "$work/box/.held"
chmod 700 "$work/box/.held"
# Each item as the store writes it: its fields, and its post beside them.
python3 - "$work/box/.held" "$count" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(1, count + 1):
    key = "%032x" % i
    post = "From: poster%d@example.net\nSubject: post %d\n\nbody\n" % (i, i)
    fields = [("id", i), ("key", key), ("state", 0), ("state-reason", ""), ("form", 0),
              ("server", 0), ("list", "testlist"), ("host", "localhost"), ("kind", 0),
              ("sender", "poster%d@example.net" % i), ("subject", "post %d" % i),
              ("date", 1717462800), ("arrived", 1717462800), ("reason", "Approval required:"),
              ("requester", ""), ("fml-id", ""), ("message-ids", "<m%d@example.net>" % i),
              ("answer-id", ""), ("post-whole", 1)]
    with open(os.path.join(folder, key + ".item"), "w") as f:
        f.writelines("%s\t%s\n" % field for field in fields)
    with open(os.path.join(folder, key + ".eml"), "w") as f:
        f.write(post)
PY
lines=$("$cli" held --all | wc -l)
[[ $lines == "$count" ]] || { echo "held listed $lines of $count items" >&2; exit 1; }
times=()
for round in 1 2 3 4 5; do
  t0=$(date +%s%N)
  "$cli" held --all >/dev/null
  t1=$(date +%s%N)
  times+=($(((t1 - t0) / 1000000)))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)
echo "held --all with $count items: ${median} ms (median of 5)"
