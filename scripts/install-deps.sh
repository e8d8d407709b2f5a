#!/usr/bin/env bash
# Installs the Debian packages Tarnwick needs for the given purposes (build, test, run,
# screenshot, package, fuzz, bench), asking apt only for those that are missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config ccache qt6-base-dev libsqlite3-dev libssl-dev
  libgmime-3.0-dev libsecret-1-dev libxml2-dev)
for purpose in "$@"; do
  case "$purpose" in
    build) ;;
    # A real SMTP server for the delivery tests, a real IMAP server (each test runs its own) for
    # fetching replies, a real secret service for the passwords; what the list-server kit needs
    # to run the real Majordomo and fml; Python and Universal Ctags for the check of the
    # tree's shape.
    test) packages+=(libgtest-dev python3 universal-ctags python3-aiosmtpd dovecot-imapd
      gnome-keyring dbus openssl perl patch libperl4-corelibs-perl) ;;
    # A Japanese font, or the interface shows empty boxes; Qt's own texts in Japanese.
    run) packages+=(fonts-noto-cjk qt6-translations-l10n) ;;
    screenshot) packages+=(xvfb xauth imagemagick xdotool) ;;
    # Making the Debian package and checking its desktop entry and AppStream file.
    package) packages+=(dpkg-dev file desktop-file-utils appstream) ;;
    # clang with its runtime libraries: libFuzzer and the sanitizers.
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    # Postfix brings smtp-sink and smtp-source; it is installed without a mail system of its own.
    bench) packages+=(postfix time) ;;
    *) echo "install-deps: unknown purpose: $purpose" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
echo "Installing: ${missing[*]}"
if [[ " ${missing[*]} " == *" postfix "* ]]; then
  echo "postfix postfix/main_mailer_type select No configuration" | "${sudo[@]}" debconf-set-selections
fi
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
  "${missing[@]}"
# The tests start Dovecot on a port of their own: the system-wide one the package starts is not
# wanted.
if [[ " ${missing[*]} " == *" dovecot-imapd "* ]] && command -v systemctl >/dev/null &&
  [[ -d /run/systemd/system ]]; then
  "${sudo[@]}" systemctl disable --now dovecot.service dovecot.socket >/dev/null 2>&1 || true
fi
