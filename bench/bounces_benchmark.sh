#!/usr/bin/env bash
# Bulk reading of returned mails: an mbox of N returned mails (default 10000, the test samples
# over and over) read by `tarnwick-cli bounces`, against Python's mailbox module parsing the same
# mbox with its standard parser and nothing else. Prints both times and tarnwick's peak memory.
# Usage: bench/bounces_benchmark.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-10000}
source bench/build_cli.sh build bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 - "$count" "$work/returned.mbox" tests/data/returned/formats <<'PY'
import os, sys
count, out, folder = int(sys.argv[1]), sys.argv[2], sys.argv[3]
samples = [open(os.path.join(folder, name), "rb").read() for name in sorted(os.listdir(folder))]
with open(out, "wb") as mbox:
    for i in range(count):
        mbox.write(b"From MAILER-DAEMON Mon Dec  7 10:00:00 2026\n")
        for line in samples[i % len(samples)].replace(b"\r\n", b"\n").split(b"\n"):
            mbox.write((b">" if line.startswith(b"From ") else b"") + line + b"\n")
        mbox.write(b"\n")
PY
echo "$count returned mails, $(du -h "$work/returned.mbox" | cut -f1)"
start=$(date +%s.%N)
/usr/bin/time -o "$work/peak" -f %M "$cli" bounces "$work/returned.mbox" > "$work/out"
tarnwick=$(/usr/bin/python3 -c "print($(date +%s.%N) - $start)")
start=$(date +%s.%N)
/usr/bin/python3 -c '
import mailbox, sys
for message in mailbox.mbox(sys.argv[1]):
    pass' "$work/returned.mbox"
python=$(/usr/bin/python3 -c "print($(date +%s.%N) - $start)")
printf 'tarnwick-cli bounces: %.2f s, peak %d kB, %d addresses proposed\n' "$tarnwick" \
  "$(cat "$work/peak")" "$(wc -l < "$work/out")"
printf "Python's mailbox:     %.2f s (ratio %.2f)\n" "$python" \
  "$(/usr/bin/python3 -c "print($python / $tarnwick)")"
