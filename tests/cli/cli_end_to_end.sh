#!/bin/sh
# The real tarnwick-cli binary on a store of its own: a list added is listed.
set -eu
cli=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TARNWICK_REGISTRY="$work/registry.db"
"$cli" settings MailBox "$work/box"
"$cli" list-add --title "開発ML" --type fml --name dev --address fml@example.jp \
  --admin admin@example.jp --password secret
mkdir -p "$work/box/dev" && : > "$work/box/dev/RXV1.tmp"
expected=$(printf '開発ML\tFML\tdev\tfml@example.jp\tadmin@example.jp\t1')
actual=$("$cli" lists)
if [ "$actual" != "$expected" ]; then
  printf 'expected: %s\nactual:   %s\n' "$expected" "$actual" >&2
  exit 1
fi
if "$cli" list-add --title x 2>/dev/null; then
  echo "an incomplete list-add must fail" >&2
  exit 1
fi
# A command mail queued for the list is listed in its queue, and the mail names the server.
path=$("$cli" compose "開発ml" subscribe --address taro@example.jp)
[ -f "$path" ] || { echo "compose printed no queued file: $path" >&2; exit 1; }
grep -q "^# admin add taro@example.jp" "$path" || { echo "wrong mail in $path" >&2; exit 1; }
"$cli" queue "開発ML" | grep -q "	ﾒﾝﾊﾞｰ登録$" || { echo "queue lacks the mail" >&2; exit 1; }
printf 'The following addresses had permanent fatal errors\n<b@x>\n<a@x>\n\n' > "$work/bounce"
[ "$("$cli" extract "$work/bounce")" = "$(printf 'a@x\nb@x')" ] || { echo "extract" >&2; exit 1; }
# Ctrl+C stops a send that waits on a silent server: at once, with the report, the mail queued.
# The server says its port, then "connected" once the send is waiting on it.
/usr/bin/python3 -c '
import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", 0)); s.listen()
print(s.getsockname()[1], flush=True); c, _ = s.accept(); print("connected", flush=True)
time.sleep(60)' > "$work/port" &
silent=$!
trap 'kill $silent 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
"$cli" settings SMTPServer 127.0.0.1
"$cli" settings SMTPPort "$(head -n 1 "$work/port")"
"$cli" send > "$work/send.out" 2>&1 &
send=$!
for _ in $(seq 100); do grep -q '^connected$' "$work/port" && break; sleep 0.1; done
kill -INT $send
status=0
wait $send || status=$?
[ "$status" = 1 ] || { echo "send after Ctrl+C exited $status" >&2; cat "$work/send.out" >&2; exit 1; }
grep -q "送信を中止しました" "$work/send.out" || { cat "$work/send.out" >&2; exit 1; }
[ -f "$path" ] || { echo "the mail in the queue was lost" >&2; exit 1; }
