#!/usr/bin/env bash
# kill -9 during `tarnwick-cli send`: K times (default 40) a send of the queue (M mails, default
# 100) against an SMTP server taking D seconds per mail (default 0.01) is killed at a random
# moment and started again, until the queue is empty; then prints how many mails the server took
# twice and whether any was lost. A delivered mail leaves the queue the moment its 250 is read.
# A server that takes its time after the data's final dot has the mail before the client hears
# so (the duplicate window of SMTP itself, RFC 1047): D as "rcpt:S" puts the server's time before
# the recipient's answer instead, which leaves only the client's own window.
# Usage: bench/kill_send_benchmark.sh [K] [M] [D]
set -euo pipefail
cd "$(dirname "$0")/.."
kills=${1:-40}
mails=${2:-100}
delay=${3:-0.01}
source bench/build_cli.sh build test

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TARNWICK_REGISTRY="$work/registry.db"
mkdir -p "$work/box" "$work/outbox"
# The system Python: Debian's aiosmtpd lives there.
coproc SERVER { /usr/bin/python3 tests/support/smtp_test_server.py "$work/outbox" "$delay"; }
read -r port <&"${SERVER[0]}"
"$cli" settings MailBox "$work/box" >/dev/null
"$cli" settings SMTPServer 127.0.0.1 >/dev/null
"$cli" settings SMTPPort "$port" >/dev/null
"$cli" settings SentDays 0 >/dev/null
"$cli" list-add --title dev --type fml --name dev --address fml@example.jp \
  --admin admin@example.jp --password pw >/dev/null

duplicates=0
for ((round = 1; round <= kills; round++)); do
  for ((i = 0; i < mails; i++)); do
    "$cli" compose dev members >/dev/null
  done
  rm -f "$work"/outbox/*
  "$cli" send >/dev/null 2>&1 &
  sender=$!
  sleep "0.$((RANDOM % 90 + 5))"
  kill -9 "$sender" 2>/dev/null || true
  wait "$sender" 2>/dev/null || true
  until "$cli" send >/dev/null 2>&1; do sleep 0.1; done
  taken=$(grep -h '^Message-ID:' "$work"/outbox/*.eml 2>/dev/null | sort | uniq -d | wc -l)
  distinct=$(grep -h '^Message-ID:' "$work"/outbox/*.eml 2>/dev/null | sort -u | wc -l)
  duplicates=$((duplicates + taken))
  if ((distinct != mails)); then
    echo "round $round: $distinct of $mails mails reached the server" >&2
  fi
done
exec {SERVER[1]}>&-
printf '%d kills during send of %d mails at %s s a mail: %d sent twice\n' \
  "$kills" "$mails" "$delay" "$duplicates"
