#!/usr/bin/env bash
# Takes a screenshot of Tarnwick as its user sees it, on a virtual screen: an FML list selected
# and its subscribe plate shown, and over it the view named:
#   main      the window alone (the default)
#   queue     the queued-mail review, the first mail previewed
#   settings  the common settings
#   send      the report of a run whose server can't be reached
#   extract   the addresses found in a returned mail
#   sent      the sent mails with the servers' replies
#   bounces   an mbox of returned mails reviewed from the 削除 plate, members marked
#   guide     the guide of a first start (設定 → 設定ｶﾞｲﾄﾞ), on a 1024x700 screen
# Usage: scripts/screenshot.sh [view] [file]; writes build/screenshot-<view>.png by default.
# TARNWICK_BUILD names a build folder whose tarnwick and tarnwick-cli are built already (the
# release build is then skipped); TARNWICK_SCREEN a screen size other than the view's own.
# (The configuration sheet's pages are saved by its test: TARNWICK_SHOTS=<folder> and run
# build/test/tests/config_sheet_tests.)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build run screenshot
build=${TARNWICK_BUILD:-build/release}
if [[ -z ${TARNWICK_BUILD:-} ]]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_TESTS=OFF
  cmake --build build/release --target tarnwick tarnwick-cli
fi
build=$(realpath "$build")
view=${1:-main}
returned=$PWD/tests/data/returned/sendmail_user_unknown.eml
# Each step is one xdotool command; the window has the keyboard before the first.
case "$view" in
  main) steps=() ;;
  queue) steps=("key alt+m e" "key ctrl+a") ;;
  settings) steps=("key alt+s c") ;;
  send) steps=("key F5") ;;
  extract) steps=("mousemove 699 419 click 1" "type --delay 20 $returned" "key Return") ;;
  sent) steps=("key alt+m r") ;;
  bounces) steps=("mousemove 699 419 click 1" "type --delay 20 RETURNED_MBOX" "key Return" "sleep 2") ;;
  guide) steps=("key alt+s g") ;;
  *) echo "unknown view: $view (main, queue, settings, send, extract, sent, bounces, guide)" >&2; exit 2 ;;
esac
out=$(realpath -m "${2:-build/screenshot-$view.png}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TARNWICK_REGISTRY="$work/registry.db"
cli=$build/src/tarnwick-cli
"$cli" settings MailBox "$work/box"
"$cli" settings SMTPServer 127.0.0.1
"$cli" settings SMTPPort 1  # nothing listens there: the run fails at once
mkdir -p "$work/box"
"$cli" list-add --title "開発ML" --type fml --name dev --address fml@example.jp \
  --admin admin@example.jp --password secret
"$cli" list-add --title "お知らせ" --type majordomo --name news --address majordomo@example.org \
  --admin owner@example.org
"$cli" compose "開発ML" members > /dev/null
if [[ "$view" == sent || "$view" == bounces ]]; then
  # Two mails sent earlier, as a delivery leaves them, and fml's replies to them.
  "$cli" compose "開発ML" unsubscribe --address nobody@example.jp > /dev/null
  mkdir -p "$work/box/.sent/dev" "$work/box/.replies"
  for file in "$work"/box/dev/RXV*.tmp; do
    id=$(sed -n 's/^Message-ID: \(<[^>]*>\).*/\1/p' "$file")
    command=$(grep '^# admin [a-z]' "$file" | grep -v 'admin pass' | tr -d '\r' | cut -c3-)
    reply="From: dev-admin@example.jp\nReply-To: fml@example.jp\nReferences: $id\n"
    if [[ "$command" == *bye* ]]; then
      result="メンバーリストの変更に失敗しました。そのようなメンバーはいません。"
    else
      result=""
      printf "${reply}Subject: members (dev ML)\n\n-----\nhanako@example.jp\ntaro@example.jp\n-----\n" \
        > "$work/box/.replies/$(basename "$file").members.eml"
    fi
    printf "${reply}Subject: fml Command Status report (dev ML)\nContent-Type: text/plain; charset=utf-8\n\n>>> admin pass ********\n認証されました。\n>>> %s\n%s\n" \
      "$command" "$result" > "$work/box/.replies/$(basename "$file").eml"
    mv "$file" "$work/box/.sent/dev/"
  done
  "$cli" compose "開発ML" members > /dev/null
fi

plate=subscribe
if [[ "$view" == bounces ]]; then
  plate=unsubscribe
  # Returned mails over several days: permanent failures, a full mailbox on three days, one
  # address the roster (hanako, taro) no longer holds.
  /usr/bin/python3 - "$work/returned.mbox" <<'PY'
import sys
failures = [("hanako@example.jp", "5.1.1", 1), ("taro@example.jp", "4.2.2", 1),
            ("taro@example.jp", "4.2.2", 2), ("taro@example.jp", "4.2.2", 4),
            ("jiro@example.net", "5.1.1", 3), ("saburo@example.org", "4.4.7", 5)]
with open(sys.argv[1], "w") as mbox:
    for address, status, day in failures:
        mbox.write(f"From MAILER-DAEMON Tue Dec  {day} 10:00:00 2026\n"
                   "From: MAILER-DAEMON@mx.example.net\nTo: admin@example.jp\n"
                   f"Subject: Undelivered Mail Returned to Sender\nDate: {day} Dec 2026 10:00:00 +0900\n"
                   "MIME-Version: 1.0\nContent-Type: multipart/report; report-type=delivery-status; "
                   "boundary=R\n\n--R\nContent-Type: message/delivery-status\n\n"
                   f"Final-Recipient: rfc822; {address}\nAction: failed\nStatus: {status}\n\n--R--\n\n")
PY
  steps=("${steps[@]/RETURNED_MBOX/$work/returned.mbox}")
fi

# The command line selects the list and opens its plate.
screen=780x580x24
[[ "$view" == guide ]] && screen=1024x700x24
screen=${TARNWICK_SCREEN:-$screen}
xvfb-run -a -s "-screen 0 $screen" bash -c '
  out=$1
  plate=$2
  window=$3
  shift 3
  "$window" "$plate" "開発ML" &
  sleep 3
  # No window manager gives the window the keyboard: it is given by hand.
  [ $# -eq 0 ] || xdotool search --onlyvisible --name "Tarnwick" windowfocus --sync || true
  for step in "$@"; do
    if [[ $step == sleep* ]]; then $step; else xdotool $step; sleep 1; fi
  done
  sleep 1
  import -window root "$out"
  kill $!' _ "$out" "$plate" "$build/src/tarnwick" "${steps[@]}"
echo "$out"
