#!/usr/bin/env bash
# The register at scale: adds N lists (default 1000) one `tarnwick-cli list-add` at a time, then
# prints the median time of one more list-add, of `lists`, and of the window's start (until it is
# shown, with the counts of queued mails, on a virtual screen), with every list holding queued
# mail when Q (default 0) mails are queued for each.
# Usage: bench/register_benchmark.sh [N] [Q]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
queued=${2:-0}
source bench/build_cli.sh build run screenshot
cmake --build build/release --target tarnwick >/dev/null
window=$PWD/build/release/src/tarnwick

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TARNWICK_REGISTRY="$work/registry.db"
"$cli" settings MailBox "$work/box"
mkdir -p "$work/box"

add() {
  "$cli" list-add --title "list $1" --type fml --name "l$1" --address fml@example.jp \
    --admin admin@example.jp >/dev/null
}
start=$(date +%s.%N)
for ((i = 1; i <= count; i++)); do
  add "$i"
  for ((j = 0; j < queued; j++)); do
    "$cli" compose "list $i" members >/dev/null
  done
done
end=$(date +%s.%N)

# Median of five runs of a command, in milliseconds.
median_ms() {
  local times=()
  for round in 1 2 3 4 5; do
    local t0 t1
    t0=$(date +%s%N)
    "$@" >/dev/null
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}
extra=0
add_next() {
  extra=$((extra + 1))
  add "extra$extra"
}
printf 'adding %d lists one at a time: %s s\n' "$count" "$(awk "BEGIN { printf \"%.1f\", $end - $start }")"
median_ms add_next >/dev/null  # warms the caches alike for both
printf 'one more list-add:  %s ms\n' "$(median_ms add_next)"
printf 'lists:              %s ms\n' "$(median_ms "$cli" lists)"

# From the start of the program until its window is on the screen.
window_start() {
  "$window" >/dev/null 2>&1 &
  local program=$!
  until xdotool search --onlyvisible --name '^Tarnwick$' >/dev/null 2>&1; do
    kill -0 "$program" 2>/dev/null || { echo "the window did not start" >&2; exit 1; }
    sleep 0.002
  done
  kill "$program"
  wait "$program" 2>/dev/null || true
}
display=:$((RANDOM % 1000 + 100))
# Without -noreset the screen resets whenever its last program ends, and refuses the next one.
Xvfb "$display" -noreset -screen 0 1280x1024x24 >/dev/null 2>&1 &
screen=$!
trap 'kill $screen 2>/dev/null; rm -rf "$work"' EXIT
export DISPLAY=$display
sleep 0.5
window_start  # the first start reads fonts and libraries from disk
printf 'window shown:       %s ms\n' "$(median_ms window_start)"
