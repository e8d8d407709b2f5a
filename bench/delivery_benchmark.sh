#!/usr/bin/env bash
# Delivery speed: queues N command mails (default 1000) with tarnwick-cli and sends them over
# one connection to Postfix's smtp-sink on a loopback port, then lets Postfix's own smtp-source
# send N messages in one session to the same sink, and prints the rates and their ratio: for the
# delivery run (the SMTP session, as tarnwick-cli send times it) and for the whole command (which
# also collects the queue and removes the delivered files).
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
source bench/build_cli.sh build bench

work=$(mktemp -d)
sink=
cleanup() {
  [[ -n "$sink" ]] && kill "$sink" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export TARNWICK_REGISTRY="$work/registry.db"

port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
user=()
[[ $(id -u) -eq 0 ]] && user=(-u nobody)
/usr/sbin/smtp-sink "${user[@]}" "127.0.0.1:$port" 64 &
sink=$!
sleep 0.5

"$cli" settings MailBox "$work/box" >/dev/null
mkdir -p "$work/box"
"$cli" settings SMTPServer 127.0.0.1
"$cli" settings SMTPPort "$port"
"$cli" list-add --title bench --type fml --name bench --address fml@example.jp \
  --admin admin@example.jp --password secret
for ((i = 0; i < count; i++)); do
  "$cli" compose bench subscribe --address "member$i@example.jp" >/dev/null
done

now() { date +%s.%N; }
rate() { /usr/bin/python3 -c "print(f'{$1 / ($3 - $2):.0f}')"; }

start=$(now)
"$cli" send > "$work/send.log" || { tail -3 "$work/send.log"; exit 1; }
whole=$(rate "$count" "$start" "$(now)")
session=$(tail -1 "$work/send.log" | sed -n 's/.* in \([0-9.]*\) s$/\1/p')
run=$(rate "$count" 0 "$session")

start=$(now)
/usr/sbin/smtp-source -s 1 -d -m "$count" "127.0.0.1:$port"
reference=$(rate "$count" "$start" "$(now)")

tail -1 "$work/send.log"
echo "smtp-source:                $reference mails/s"
echo "tarnwick delivery run:      $run mails/s  (ratio $(/usr/bin/python3 -c "print(f'{$run / $reference:.2f}')"))"
echo "tarnwick-cli send, whole:   $whole mails/s  (ratio $(/usr/bin/python3 -c "print(f'{$whole / $reference:.2f}')"))"
