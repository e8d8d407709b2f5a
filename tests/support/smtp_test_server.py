"""A real SMTP server for the tests, on a free loopback port.

Prints the port on the first line of its output, then serves until its standard input closes.
Each mail it takes is written to OUTDIR as N.eml (the content as received, dot-stuffing undone)
with N.envelope beside it ("MAIL FROM" and "RCPT TO" addresses, one per line). Recipients that
start with "reject" are refused with 550.

Further arguments, all optional: DELAY (seconds before each mail's data is answered; "rcpt:S"
waits S seconds before each recipient is answered instead, and answers the data at once), MODE
("plain", "starttls" or "tls" from the first byte), CERT and KEY (PEM files for TLS), and
USER:PASSWORD (then AUTH is offered, also without TLS, and must succeed before mail is taken).
"""
import asyncio
import os
import socket
import sys

import ssl

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


class Keeper:
    def __init__(self, outdir, delay):
        self.outdir = outdir
        before_rcpt = delay.startswith("rcpt:")
        seconds = float(delay[5:] if before_rcpt else delay or 0)
        self.rcpt_delay = seconds if before_rcpt else 0
        self.delay = 0 if before_rcpt else seconds
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        await asyncio.sleep(self.rcpt_delay)
        if address.startswith("reject"):
            return "550 no such user here"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        await asyncio.sleep(self.delay)
        self.count += 1
        base = os.path.join(self.outdir, str(self.count))
        with open(base + ".eml", "wb") as content:
            content.write(envelope.original_content or envelope.content)
        with open(base + ".envelope", "w") as addresses:
            addresses.write(envelope.mail_from + "\n" + "\n".join(envelope.rcpt_tos) + "\n")
        return "250 Message accepted"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def authenticator(credentials):
    user, _, password = credentials.partition(":")

    def check(server, session, envelope, mechanism, auth_data):
        ok = auth_data.login.decode() == user and auth_data.password.decode() == password
        return AuthResult(success=ok, handled=False)

    return check


def main():
    port = free_port()
    args = sys.argv[1:] + [""] * 6
    outdir, delay, mode, cert, key, credentials = args[:6]
    options = {}
    if cert:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        context.load_cert_chain(cert, key)
        if mode == "tls":
            options["ssl_context"] = context
        elif mode == "starttls":
            options["tls_context"] = context
    if credentials:
        options["authenticator"] = authenticator(credentials)
        options["auth_require_tls"] = False
        options["auth_required"] = True
    controller = Controller(Keeper(outdir, delay), hostname="127.0.0.1", port=port,
                            **options)
    controller.start()
    print(port, flush=True)
    sys.stdin.read()
    controller.stop()


main()
