#!/usr/bin/env python3
"""A loopback mail server for the notification tests, on Debian's aiosmtpd.

Prints "READY <port>" once it listens on 127.0.0.1, then one JSON line per
message received: the envelope, whether the session was encrypted, the login,
and the message's headers and body as Python's email package reads them.
Runs until its standard input closes.

  --mode plain     no encryption offered
  --mode starttls  STARTTLS offered and required before MAIL
  --mode smtps     TLS from the first byte
  --login USER:PASSWORD  require this login (only over TLS)
"""
import argparse
import asyncio
import email
import email.policy
import json
import logging
import socket
import ssl
import sys
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult


class Recorder:
    async def handle_DATA(self, server, session, envelope):
        message = email.message_from_bytes(envelope.original_content, policy=email.policy.default)
        login = getattr(session.auth_data, "login", None)
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            # session.ssl tells of STARTTLS; an smtps connection is TLS from its start.
            "tls": session.ssl is not None or server.transport.get_extra_info("ssl_object") is not None,
            "login": login.decode() if isinstance(login, bytes) else None,
            "subject": str(message["subject"]),
            "from": str(message["from"]),
            "to": str(message["to"]),
            "date": str(message["date"]),
            "message_id": str(message["message-id"]),
            "content_type": message.get_content_type(),
            "charset": message.get_content_charset(),
            "body": message.get_content(),
            "defects": [type(d).__name__ for d in message.defects],
        }
        print(json.dumps(record, ensure_ascii=False), flush=True)
        return "250 OK"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--mode", choices=["plain", "starttls", "smtps"], default="plain")
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--login")
    args = parser.parse_args()

    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)
    parameters = {"decode_data": False}
    if args.mode == "starttls":
        parameters.update(tls_context=context, require_starttls=True)
    if args.login:
        expected = args.login.encode().split(b":", 1)

        def authenticate(server, session, envelope, mechanism, data):
            # handled=False: a refusal is answered with 535, not left to the authenticator.
            return AuthResult(success=[data.login, data.password] == expected, handled=False)

        parameters.update(authenticator=authenticate, auth_required=True)
        if args.mode == "smtps":
            # The whole connection is encrypted: aiosmtpd's warning about AUTH without TLS does not apply.
            parameters.update(auth_require_tls=False)
            warnings.simplefilter("ignore")
            logging.getLogger("mail.log").setLevel(logging.ERROR)
    port = free_port()
    controller = Controller(Recorder(), hostname="127.0.0.1", port=port,
                            ssl_context=context if args.mode == "smtps" else None,
                            server_hostname="127.0.0.1", **parameters)
    controller.start()
    print(f"READY {port}", flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
