#!/usr/bin/env bash
# Takes a screenshot of Tarnwick as its user sees it, on a virtual screen: an FML list selected
# and its subscribe plate shown, and over it the view named (main, the default; queue, the
# queued-mail review with the first mail previewed; settings, the common settings).
# Usage: scripts/screenshot.sh [view] [file]; writes build/screenshot-<view>.png by default.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build run screenshot
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_TESTS=OFF
cmake --build build/release --target tarnwick tarnwick-cli
view=${1:-main}
case "$view" in
  main) keys="" ;;
  queue) keys="alt+m e ctrl+a" ;;
  settings) keys="alt+s c" ;;
  *) echo "unknown view: $view (main, queue, settings)" >&2; exit 2 ;;
esac
out=$(realpath -m "${2:-build/screenshot-$view.png}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TARNWICK_REGISTRY="$work/registry.db"
cli=build/release/src/tarnwick-cli
"$cli" settings MailBox "$work/box"
mkdir -p "$work/box"
"$cli" list-add --title "開発ML" --type fml --name dev --address fml@example.jp \
  --admin admin@example.jp --password secret
"$cli" list-add --title "お知らせ" --type majordomo --name news --address majordomo@example.org \
  --admin owner@example.org
"$cli" compose "開発ML" members > /dev/null

# The command line selects the list and opens its 登録 plate.
xvfb-run -a -s "-screen 0 780x580x24" bash -c '
  build/release/src/tarnwick subscribe "開発ML" &
  sleep 3
  # No window manager gives the window the keyboard: it is given by hand.
  [ -z "$1" ] || xdotool search --onlyvisible --name "Tarnwick|ﾒｰﾙ" windowfocus --sync || true
  for key in $1; do xdotool key "$key"; sleep 0.5; done
  sleep 1
  import -window root "$0"
  kill $!' "$out" "$keys"
echo "$out"
