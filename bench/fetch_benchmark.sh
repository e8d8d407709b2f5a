#!/usr/bin/env bash
# Fetching replies from a large mailbox: a Dovecot of its own on a loopback port with N mails
# (default 100000) in the administrator's INBOX, of which 10 come from the list's server. Prints
# the time and peak memory of the first `tarnwick-cli fetch` (every mail new) and of a second one
# (nothing new), and what each read and kept.
# Usage: bench/fetch_benchmark.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-100000}
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
imap_maildir
/usr/bin/python3 - "$work/imap/Maildir/cur" "$count" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    server = i % (count // 10 or 1) == 0
    sender = "fml@example.jp" if server else f"friend{i}@example.org"
    with open(os.path.join(folder, f"{i}.bench:2,"), "w") as mail:
        mail.write(f"From: {sender}\nTo: admin@example.jp\nSubject: mail {i}\n"
                   f"Message-ID: <{i}@bench>\n\n" + "A line of text.\n" * 20)
PY
start_imap

"$cli" settings MailBox "$work/box" >/dev/null
mkdir -p "$work/box"
"$cli" list-add --title bench --type fml --name bench --address fml@example.jp \
  --admin admin@example.jp
use_imap

fetch() {
  /usr/bin/time -f "%e s, peak %M kB" "$cli" fetch 2>&1 | tr '\n' ' '
  echo
}
echo "$count mails in the INBOX"
echo "first fetch:  $(fetch)"
echo "second fetch: $(fetch)"
