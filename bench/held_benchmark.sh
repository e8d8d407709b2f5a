#!/usr/bin/env bash
# Moderation at scale, with N held-post notices (default 10000) in the administrator's INBOX (a
# Dovecot of its own on a loopback port). Prints:
# - the fetch of the N notices against the fetch of N plain replies of the server, of the same
#   size, into another mail box: what collecting the notices costs on top of the fetch itself, in
#   time and in the CPU time of the fetch (which a busy machine shakes less);
# - `tarnwick-cli held --all` on the N items: the store opened and every item listed, through the
#   core calls the 保留ﾒｰﾙ window's loader makes of each (its list's title, the decoded sender
#   and subject), so what the window waits for before its rows (median of 5);
# - the 保留ﾒｰﾙ window itself on them: from its start until its table is filled (median of 5);
# - `tarnwick-cli approve` of 1000 of the items at once: each approval composed and queued.
# Goals: under 1 s each for the collection on top of the fetch, the window and the approvals.
# Usage: bench/held_benchmark.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-10000}
source bench/build_cli.sh build test bench

work=$(mktemp -d)
dovecot=
cleanup() {
  [[ -n "$dovecot" ]] && kill "$dovecot" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export TARNWICK_REGISTRY="$work/registry.db"
chmod 711 "$work"
source bench/imap_server.sh

# N mails of the kind ("notice" or "reply") in the INBOX, in place of those there.
fill_inbox() {
  rm -f "$work/imap/Maildir/cur/"* "$work/imap/Maildir/new/"*
  /usr/bin/python3 - "$work/imap/Maildir/cur" "$count" "$1" <<'PY'
import os, sys
folder, count, kind = sys.argv[1], int(sys.argv[2]), sys.argv[3]
for i in range(count):
    post = (f"From: poster{i}@example.net\nTo: testlist@localhost\nSubject: post {i}\n"
            f"Message-Id: <m{i}@example.net>\nDate: Tue, 04 Jun 2024 10:00:00 +0900\n\n"
            + "A line of the post.\n" * 20)
    if kind == "notice":
        head = ("From: owner-testlist@localhost\nTo: testlist-approval@localhost\n"
                "Subject: BOUNCE testlist@localhost: Approval required:    \n\n")
    else:
        head = "From: majordomo@localhost\nTo: admin@example.org\nSubject: Majordomo results\n\n"
    with open(os.path.join(folder, f"{kind}{i}.bench:2,"), "w") as mail:
        mail.write(head + post)
PY
  chown -R "$owner": "$work/imap/Maildir"
}

milliseconds() {
  local t0 t1
  t0=$(date +%s%N)
  "$@" >/dev/null
  t1=$(date +%s%N)
  echo $(((t1 - t0) / 1000000))
}

# The command's wall-clock milliseconds, its CPU milliseconds (user and system) after a space.
with_cpu() {
  local wall
  wall=$(milliseconds /usr/bin/time -f '%U %S' -o "$work/cpu" "$@")
  echo "$wall $(awk '{ printf "%d", ($1 + $2) * 1000 }' "$work/cpu")"
}

mkdir -p "$work/replies-box" "$work/box"
imap_maildir
fill_inbox reply
start_imap
"$cli" list-add --title bench --type majordomo --name testlist --address majordomo@localhost \
  --admin admin@example.org --password postpw >/dev/null
use_imap

"$cli" settings MailBox "$work/replies-box" >/dev/null
read -r replies replies_cpu < <(with_cpu "$cli" fetch)
fill_inbox notice
"$cli" settings MailBox "$work/box" >/dev/null
read -r notices notices_cpu < <(with_cpu "$cli" fetch)
lines=$("$cli" held --all | wc -l)
[[ $lines == "$count" ]] || { echo "held listed $lines of $count items" >&2; exit 1; }
echo "fetch of $count replies: $replies ms (CPU $replies_cpu ms); of $count held notices:" \
  "$notices ms (CPU $notices_cpu ms); collecting them: $((notices - replies)) ms" \
  "(CPU $((notices_cpu - replies_cpu)) ms) on top"
echo "the held store: $(find "$work/box/.held" -type f | wc -l) files," \
  "$(du -sk "$work/box/.held" | cut -f1) KiB"

# The median of five figures, each the output of the command given.
median_of_5() {
  local times=() round
  for round in 1 2 3 4 5; do
    times+=("$("$@")")
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}
echo "held --all with $count items: $(median_of_5 milliseconds "$cli" held --all) ms (median of 5)"

# The window itself, built beside the command line program.
window_bench=$(dirname "$cli")/../bench/held_window_benchmark
[[ -n ${TARNWICK_BENCH_CLI:-} ]] || cmake --build build/release --target held_window_benchmark >/dev/null
window_ms() { QT_QPA_PLATFORM=offscreen "$window_bench" 2>/dev/null | cut -d' ' -f1; }
echo "保留ﾒｰﾙ window with $count items: loaded and shown in $(median_of_5 window_ms) ms" \
  "(median of 5)"

# shellcheck disable=SC2046
approve=$(milliseconds "$cli" approve $(seq 1 1000))
queued=$(find "$work/box" -path "$work/box/.*" -prune -o -name '*.tmp' -print | wc -l)
echo "approve of 1000 items: $approve ms, $queued mails queued"
