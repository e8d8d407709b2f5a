#!/usr/bin/env bash
# Returned-mail extraction speed and memory: runs tarnwick-cli extract on mails written here at
# the size limit (20 MiB) in the shapes that cost the most — thousands of failed recipients, one
# endless line of "@" signs, messages nested a hundred thousand deep, a thousand-part report —
# and on an ordinary returned mail, and prints seconds and peak memory for each.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/build_cli.sh build

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
limit = (20 << 20) - 1024
head = ("From: MAILER-DAEMON@mx.example.jp\r\nSubject: Undeliverable\r\n"
        "Content-Type: multipart/mixed; boundary=h\r\n\r\n--h\r\nContent-Type: text/plain\r\n\r\n"
        "Delivery to the following recipients failed:\r\n")
lines, size, i = [head], len(head), 0
while size < limit:
    line = "  member%d@example.jp\r\n" % i
    lines.append(line); size += len(line); i += 1
open(work + "/recipients.eml", "w").write("".join(lines) + "--h--\r\n")
open(work + "/at-signs.eml", "w").write(head + "@" * (limit - len(head)) + "\r\n--h--\r\n")
nest = "Content-Type: message/rfc822\r\n\r\n"
open(work + "/nested.eml", "w").write("From: MAILER-DAEMON@mx.example.jp\r\n" +
                                      nest * (limit // len(nest)))
parts = ["From: <>\r\nContent-Type: multipart/report; boundary=p\r\n\r\n"]
for n in range(190):
    parts.append("--p\r\nContent-Type: message/delivery-status\r\n\r\n" +
                 "".join("Final-Recipient: rfc822; r%d.%d@example.jp\r\nAction: failed\r\n\r\n"
                         % (n, k) for k in range(500)))
open(work + "/reports.eml", "w").write("".join(parts) + "--p--\r\n")
open(work + "/ordinary.eml", "w").write(
    "From: MAILER-DAEMON@mx.example.jp (Mail Delivery System)\r\n"
    "Subject: Undelivered Mail Returned to Sender\r\n\r\n"
    "<gone@example.jp>: host mx.example.jp said: 550 5.1.1 User unknown\r\n")
PY

printf '%-16s %10s %8s %12s %10s\n' mail MiB seconds "peak KiB" addresses
for mail in ordinary recipients at-signs nested reports; do
  file="$work/$mail.eml"
  /usr/bin/time -f '%e %M' -o "$work/time" "$cli" extract "$file" > "$work/out" 2>/dev/null || true
  # The last line: a failed extraction (nothing found) adds a line about its exit status first.
  read -r seconds peak < <(tail -1 "$work/time")
  printf '%-16s %10s %8s %12s %10s\n' "$mail" "$(awk -v b="$(stat -c %s "$file")" \
    'BEGIN { printf "%.1f", b / 1048576 }')" "$seconds" "$peak" "$(wc -l < "$work/out")"
done
