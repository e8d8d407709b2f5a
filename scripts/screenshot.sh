#!/usr/bin/env bash
# Takes a screenshot of Tarnwick as its user sees it: an FML list selected and its subscribe plate
# shown, on a virtual screen. Writes build/screenshot.png, or the path given.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build run screenshot
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_TESTS=OFF
cmake --build build/release --target tarnwick tarnwick-cli
out=$(realpath -m "${1:-build/screenshot.png}")

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
  import -window root "$0"
  kill $!' "$out"
echo "$out"
