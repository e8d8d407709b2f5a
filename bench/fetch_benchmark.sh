#!/usr/bin/env bash
# Fetching replies from a large mailbox: a Dovecot of its own on a loopback port with N mails
# (default 100000) in the administrator's INBOX, of which 10 come from the list's server. Prints
# the time and peak memory of the first `tarnwick-cli fetch` (every mail new) and of a second one
# (nothing new), and what each read and kept.
# Usage: bench/fetch_benchmark.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-100000}
source bench/build_cli.sh build test bench

work=$(mktemp -d)
dovecot=
cleanup() {
  [[ -n "$dovecot" ]] && kill "$dovecot" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export TARNWICK_REGISTRY="$work/registry.db"
chmod 711 "$work"

# Dovecot serves no mail as root: the mail then belongs to "nobody".
owner=$(id -un)
[[ $(id -u) -eq 0 ]] && owner=nobody
mkdir -p "$work/imap"/{run,state,home,Maildir/new,Maildir/cur,Maildir/tmp}
/usr/bin/python3 - "$work/imap/Maildir/cur" "$count" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    server = i % (count // 10 or 1) == 0
    sender = "fml@example.jp" if server else f"friend{i}@example.org"
    with open(os.path.join(folder, f"{i}.bench:2,"), "w") as mail:
        mail.write(f"From: {sender}\nTo: admin@example.jp\nSubject: mail {i}\n"
                   f"Message-ID: <{i}@bench>\n\n" + "A line of text.\n" * 20)
PY
chown -R "$owner": "$work/imap/home" "$work/imap/Maildir"
port=$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat > "$work/imap/dovecot.conf" <<CONF
base_dir = $work/imap/run
state_dir = $work/imap/state
log_path = $work/imap/dovecot.log
ssl = no
protocols = imap
listen = 127.0.0.1
service imap-login {
  inet_listener imap {
    port = $port
  }
  inet_listener imaps {
    port = 0
  }
  chroot =
}
service anvil {
  chroot =
}
mail_location = maildir:$work/imap/Maildir
passdb {
  driver = static
  args = password=secret
}
userdb {
  driver = static
  args = uid=$(id -u "$owner") gid=$(id -g "$owner") home=$work/imap/home
}
auth_mechanisms = plain
disable_plaintext_auth = no
first_valid_uid = 1
first_valid_gid = 1
CONF
[[ $(id -u) -eq 0 ]] || printf 'default_internal_user = %s\ndefault_login_user = %s\n' \
  "$owner" "$owner" >> "$work/imap/dovecot.conf"
/usr/sbin/dovecot -F -c "$work/imap/dovecot.conf" &
dovecot=$!
sleep 1

"$cli" settings MailBox "$work/box" >/dev/null
mkdir -p "$work/box"
"$cli" list-add --title bench --type fml --name bench --address fml@example.jp \
  --admin admin@example.jp
for setting in "IncomingServer 127.0.0.1" "IncomingPort $port" "IncomingSecurity 0" \
  "IncomingUser admin" "IncomingPassword secret"; do
  # shellcheck disable=SC2086
  "$cli" settings $setting
done

fetch() {
  /usr/bin/time -f "%e s, peak %M kB" "$cli" fetch 2>&1 | tr '\n' ' '
  echo
}
echo "$count mails in the INBOX"
echo "first fetch:  $(fetch)"
echo "second fetch: $(fetch)"
