#!/usr/bin/env bash
# Members across lists at scale: L lists (default 200) whose latest fml members replies hold M
# members each (default 10000), then the median time of `find` (an address and a pattern), of
# `remove` of 1,000 addresses across the lists (dry run, then once for real), and of `sync` of an
# S-line file (default 100000) against a list of S members, with its peak memory.
# Usage: bench/members_benchmark.sh [L] [M] [S]
set -euo pipefail
cd "$(dirname "$0")/.."
lists=${1:-200}
members=${2:-10000}
synced=${3:-100000}
source bench/build_cli.sh build bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TARNWICK_REGISTRY="$work/registry.db"
"$cli" settings MailBox "$work/box" >/dev/null
mkdir -p "$work/box"
for ((i = 1; i <= lists + 1; i++)); do
  "$cli" list-add --title "list $i" --type fml --name "l$i" --address "l$i-ctl@example.jp" \
    --admin admin@example.jp --password pw >/dev/null
done

# A sent members mail of each list and fml's answer to it, as delivery and fetch leave them; the
# last list holds the sync's roster.
python3 - "$work/box" "$lists" "$members" "$synced" <<'PY'
import os, sys
box, lists, members, synced = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
os.makedirs(f"{box}/.replies", exist_ok=True)
for i in range(1, lists + 2):
    count = synced if i == lists + 1 else members
    token = f"{i:08x}"
    mid = f"<20261207.{token}@example.jp>"
    os.makedirs(f"{box}/.sent/l{i}", exist_ok=True)
    with open(f"{box}/.sent/l{i}/RXV{token}.tmp", "w") as f:
        f.write(f"From: admin@example.jp\r\nTo: l{i}-ctl@example.jp\r\nSubject: T [{token}]\r\n"
                f"Message-ID: {mid}\r\nX-Command: T\r\n\r\n# admin pass pw\r\n# admin members\r\n")
    head = f"From: l{i}-admin@example.jp\nReply-To: l{i}-ctl@example.jp\nReferences: {mid}\n"
    with open(f"{box}/.replies/{token}s.eml", "w") as f:
        f.write(head + "Subject: status\n\n>>> admin pass ********\nOK\n>>> admin members\n\n")
    with open(f"{box}/.replies/{token}m.eml", "w") as f:
        f.write(head + f"Subject: members (l{i} ML)\n\n-----\n")
        f.write("".join(f"member{n}.of{i}@example.jp\n" for n in range(count)))
        f.write("-----\n")
with open(f"{box}/../remove.txt", "w") as f:
    f.write(" ".join(f"member{n}.of{1 + n % lists}@example.jp" for n in range(1000)) + "\n")
with open(f"{box}/../sync.txt", "w") as f:
    f.write("".join(f"member{n + synced // 20}.of{lists + 1}@example.jp\n" for n in range(synced)))
PY

median_ms() {
  local times=()
  for round in 1 2 3 4 5; do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}
read -r -a gone <"$work/remove.txt"
printf '%d lists of %d members, a list of %d\n' "$lists" "$members" "$synced"
# The first reading after new replies makes every list's roster file again; the rest read them.
t0=$(date +%s%N)
"$cli" find member7.of3@example.jp >/dev/null 2>&1 || true
t1=$(date +%s%N)
printf 'find, rosters made anew:  %s ms\n' "$(((t1 - t0) / 1000000))"
printf 'find an address:          %s ms\n' "$(median_ms "$cli" find member7.of3@example.jp)"
printf 'find a pattern:           %s ms\n' "$(median_ms "$cli" find '*7.of3@example.jp')"
printf 'remove 1000 (dry run):    %s ms\n' "$(median_ms "$cli" remove --dry-run "${gone[@]}")"
t0=$(date +%s%N)
"$cli" remove "${gone[@]}" >/dev/null
t1=$(date +%s%N)
printf 'remove 1000, queued:      %s ms\n' "$(((t1 - t0) / 1000000))"
printf 'sync %d (dry run):    %s ms\n' "$synced" \
  "$(median_ms "$cli" sync "list $((lists + 1))" "$work/sync.txt" --dry-run)"
/usr/bin/time -f '%M' -o "$work/peak" "$cli" sync "list $((lists + 1))" "$work/sync.txt" \
  --dry-run >/dev/null 2>&1 || true
printf 'sync peak memory:         %s MB\n' "$(($(tail -1 "$work/peak") / 1024))"
