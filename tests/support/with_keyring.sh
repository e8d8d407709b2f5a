#!/usr/bin/env bash
# Runs a command inside a D-Bus session of its own with a GNOME Keyring daemon unlocked in a
# scratch home: a real secret service that touches nothing of the user's.
set -euo pipefail
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME=$home XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
exec dbus-run-session -- bash -c '
  eval "$(printf tarnwick | gnome-keyring-daemon --unlock --components=secrets 2>/dev/null)"
  exec "$@"' _ "$@"
