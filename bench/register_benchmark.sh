#!/usr/bin/env bash
# The register at scale: adds N lists (default 1000), the first thousand one `tarnwick-cli
# list-add` at a time and any beyond them in one `import-reg` (each add rewrites the register, so
# tens of thousands one at a time would take hours), then prints the median time of one more
# list-add, of `lists`, and of the window's start (until it is shown, with the counts of queued
# mails, on a virtual screen), with every list holding queued mail when Q (default 0) mails are
# queued for each. With TARNWICK_BENCH_CLI set, the window is the tarnwick built beside it.
# Usage: bench/register_benchmark.sh [N] [Q]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
queued=${2:-0}
one_at_a_time=$((count < 1000 ? count : 1000))
source bench/build_cli.sh build run screenshot
if [[ -n ${TARNWICK_BENCH_CLI:-} ]]; then
  window=$(dirname "$cli")/tarnwick
else
  cmake --build build/release --target tarnwick >/dev/null
  window=$PWD/build/release/src/tarnwick
fi

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
for ((i = 1; i <= one_at_a_time; i++)); do
  add "$i"
done
end=$(date +%s.%N)
printf 'adding %d lists one at a time: %s s\n' "$one_at_a_time" "$(awk "BEGIN { printf \"%.1f\", $end - $start }")"
if ((count > one_at_a_time)); then
  # The rest as a Windows export of the register holds them.
  {
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Ombrel\\Tarnwick\\MLPropertys]\r\n\r\n'
    for ((i = one_at_a_time + 1; i <= count; i++)); do
      printf '[HKEY_CURRENT_USER\\Software\\Ombrel\\Tarnwick\\MLPropertys\\ML%d]\r\n' "$i"
      printf '@="list %d"\r\n"Type"=dword:00000001\r\n"Name"="l%d"\r\n' "$i" "$i"
      printf '"Address"="fml@example.jp"\r\n"Admin"="admin@example.jp"\r\n\r\n'
    done
  } >"$work/more.reg"
  imported=$(date +%s.%N)
  "$cli" import-reg "$work/more.reg" >/dev/null
  printf 'importing %d more lists at once: %s s\n' "$((count - one_at_a_time))" \
    "$(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $imported }")"
fi
for ((i = 1; i <= count; i++)); do
  for ((j = 0; j < queued; j++)); do
    "$cli" compose "list $i" members >/dev/null
  done
done

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
