"""The least a client can do, for the kill benchmark to measure against: sends each file of
QUEUE (in name order) to the SMTP server on the loopback PORT with Python's smtplib, and moves it
into DONE the moment its 250 is read.

Usage: smtp_reference_client.py QUEUE DONE PORT
"""
import os
import smtplib
import sys

queue, done, port = sys.argv[1], sys.argv[2], int(sys.argv[3])
os.makedirs(done, exist_ok=True)
with smtplib.SMTP("127.0.0.1", port) as server:
    for name in sorted(os.listdir(queue)):
        path = os.path.join(queue, name)
        with open(path, "rb") as mail:
            server.sendmail("admin@example.jp", ["fml@example.jp"], mail.read())
        os.rename(path, os.path.join(done, name))
