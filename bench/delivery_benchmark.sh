#!/usr/bin/env bash
# Delivery speed against Postfix's smtp-sink on a loopback port: N queued command mails
# (default 1000) sent over one connection by the whole `tarnwick-cli send` (collecting the queue,
# the SMTP session, moving the delivered files into the sent folder), once with the plain HELO
# dialogue and once with the extended one (SMTPExtended 1: EHLO and pipelining), against
# Postfix's own smtp-source sending N messages in one session to the same sink. R rounds
# (default 5) alternate the three; the medians, the rates and the ratios are printed.
# Usage: bench/delivery_benchmark.sh [N] [R]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
rounds=${2:-5}
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
# One real command mail, copied N times under queue names of its own (five hex digits reach past
# the 65,536 names the writer uses, which the reader takes as well).
"$cli" compose bench subscribe --address member@example.jp >/dev/null
mkdir -p "$work/template"
mv "$work"/box/bench/RXV*.tmp "$work/mail"
/usr/bin/python3 - "$work/mail" "$work/template" "$count" <<'EOF'
import os, sys
mail, folder, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
content = open(mail, "rb").read()
for i in range(count):
    with open(os.path.join(folder, f"RXV{i:05X}.tmp"), "wb") as copy:
        copy.write(content)
EOF

now() { date +%s.%N; }
# Seconds taken by the command.
timed() {
  local start
  start=$(now)
  "$@" >"$work/out.log" || { tail -3 "$work/out.log" >&2; exit 1; }
  /usr/bin/python3 -c "print($(now) - $start)"
}
# The run also notes its peak memory, in kB, into $work/peak.
send() {
  "$cli" settings SMTPExtended "$1" >/dev/null
  # Fresh links to the template's files, and no sent mails yet (a sent mail that is another link
  # to the same file would turn the move into a removal).
  rm -rf "$work/box/.sent"
  cp -al "$work/template/." "$work/box/bench/"
  sync
  timed /usr/bin/time -a -o "$work/peak" -f %M "$cli" send
}

plain=() extended=() reference=()
for ((round = 0; round < rounds; round++)); do
  plain+=("$(send 0)")
  extended+=("$(send 1)")
  reference+=("$(timed /usr/sbin/smtp-source -s 1 -d -m "$count" "127.0.0.1:$port")")
done

/usr/bin/python3 - "$count" "${plain[*]}" "${extended[*]}" "${reference[*]}" "$work/peak" <<'EOF'
import statistics, sys
count = int(sys.argv[1])
plain, extended, reference = (statistics.median(map(float, a.split())) for a in sys.argv[2:5])
peak = max(int(line) for line in open(sys.argv[5]) if line.strip().isdigit())
print(f"{count} mails, medians of {len(sys.argv[2].split())} alternating rounds")
print(f"smtp-source -s 1 -d:                   {count / reference:8.0f} mails/s")
for name, took in (("tarnwick-cli send, plain HELO:", plain),
                   ("tarnwick-cli send, EHLO + pipelining:", extended)):
    print(f"{name:38} {count / took:8.0f} mails/s  (ratio {reference / took:.2f})")
print(f"peak memory of tarnwick-cli send:      {peak / 1024:8.1f} MB")
EOF
