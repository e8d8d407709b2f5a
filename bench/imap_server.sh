# Sourced by the benchmarks that read a mailbox: imap_maildir makes the INBOX's Maildir (its mails
# go into "$work/imap/Maildir/cur"), start_imap serves it with Debian's Dovecot on a free loopback
# port (user "admin", password "secret") and sets $port and $dovecot (its process, for the
# caller's cleanup), use_imap points the registry's incoming settings at it.

# Dovecot serves no mail as root: the mail then belongs to "nobody".
owner=$(id -un)
[[ $(id -u) -eq 0 ]] && owner=nobody

imap_maildir() {
  mkdir -p "$work/imap"/{run,state,home,Maildir/new,Maildir/cur,Maildir/tmp}
}

start_imap() {
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
  # Until it listens, for at most 10 s.
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return
    sleep 0.1
  done
  echo "Dovecot did not start: $(cat "$work/imap/dovecot.log" 2>/dev/null)" >&2
  exit 1
}

use_imap() {
  for setting in "IncomingServer 127.0.0.1" "IncomingPort $port" "IncomingSecurity 0" \
    "IncomingUser admin" "IncomingPassword secret"; do
    # shellcheck disable=SC2086
    "$cli" settings $setting >/dev/null
  done
}
