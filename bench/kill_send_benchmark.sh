#!/usr/bin/env bash
# kill -9 during `tarnwick-cli send`: K times (default 40) a send of the queue (M mails, default
# 100) against an SMTP server taking D seconds per mail (default 0.01) is killed at a random
# moment and started again, until the queue is empty; then prints how many mails the server took
# twice and whether any was lost. A delivered mail leaves the queue the moment its 250 is read.
# The server spends D after the data's final dot, then takes the mail and answers at once (it
# keeps the mails in memory, on /dev/shm: the server's disk is not the client's, and creating
# files on this one would stretch the time between taking a mail and saying so). A
# client killed in the last moment before is dead before the server hears of it (the kernel closes
# its connection only as the process ends, about a millisecond here), so the server takes the mail
# and any client sends it again. D as "rcpt:S" spends the time before the recipient's answer
# instead, which leaves only the client's own window, from the 250 to the mail's leaving the
# queue. CLIENT "reference" kills bench/smtp_reference_client.py instead, the least a client can
# do, to measure against.
# Usage: bench/kill_send_benchmark.sh [K] [M] [D] [CLIENT]
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-40}
mails=${2:-100}
delay=${3:-0.01}
client=${4:-tarnwick}
source bench/build_cli.sh build test

work=$(mktemp -d)
outbox=$(mktemp -d -p /dev/shm)
trap 'rm -rf "$work" "$outbox"' EXIT
export TARNWICK_REGISTRY="$work/registry.db"
mkdir -p "$work/box"
# The system Python: Debian's aiosmtpd lives there.
coproc SERVER { /usr/bin/python3 tests/support/smtp_test_server.py "$outbox" "$delay"; }
read -r port <&"${SERVER[0]}"
"$cli" settings MailBox "$work/box" >/dev/null
"$cli" settings SMTPServer 127.0.0.1 >/dev/null
"$cli" settings SMTPPort "$port" >/dev/null
"$cli" settings SentDays 0 >/dev/null
"$cli" list-add --title dev --type fml --name dev --address fml@example.jp \
  --admin admin@example.jp --password pw >/dev/null

send=("$cli" send)
if [[ $client == reference ]]; then
  send=(/usr/bin/python3 bench/smtp_reference_client.py "$work/box/dev" "$work/done" "$port")
fi

duplicates=0
for ((round = 1; round <= kills; round++)); do
  for ((i = 0; i < mails; i++)); do
    "$cli" compose dev members >/dev/null
  done
  rm -f "$outbox"/*
  "${send[@]}" >/dev/null 2>&1 &
  sender=$!
  sleep "0.$((RANDOM % 90 + 5))"
  kill -9 "$sender" 2>/dev/null || true
  wait "$sender" 2>/dev/null || true
  until "${send[@]}" >/dev/null 2>&1; do sleep 0.1; done
  taken=$(grep -h '^Message-ID:' "$outbox"/*.eml 2>/dev/null | sort | uniq -d | wc -l)
  distinct=$(grep -h '^Message-ID:' "$outbox"/*.eml 2>/dev/null | sort -u | wc -l)
  duplicates=$((duplicates + taken))
  if ((distinct != mails)); then
    echo "round $round: $distinct of $mails mails reached the server" >&2
  fi
done
exec {SERVER[1]}>&-
printf '%d kills during send (%s) of %d mails at %s s a mail: %d sent twice\n' \
  "$kills" "$client" "$mails" "$delay" "$duplicates"
