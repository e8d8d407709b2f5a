"""A real SMTP server for the tests, on a free loopback port.

Prints the port on the first line of its output, then serves until its standard input closes.
Each mail it takes is written to OUTDIR as N.eml (the content as received, dot-stuffing undone)
with N.envelope beside it ("MAIL FROM" and "RCPT TO" addresses, one per line). Recipients that
start with "reject" are refused with 550. With a second argument, each mail's data is answered
only after that many seconds.
"""
import asyncio
import os
import socket
import sys

from aiosmtpd.controller import Controller


class Keeper:
    def __init__(self, outdir, delay):
        self.outdir = outdir
        self.delay = delay
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
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


def main():
    port = free_port()
    delay = float(sys.argv[2]) if len(sys.argv) > 2 else 0.0
    controller = Controller(Keeper(sys.argv[1], delay), hostname="127.0.0.1", port=port)
    controller.start()
    print(port, flush=True)
    sys.stdin.read()
    controller.stop()


main()
