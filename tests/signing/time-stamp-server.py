#!/usr/bin/env python3
"""Usage: time-stamp-server.py CERT_FOLDER PORT_FILE

An RFC 3161 time-stamp server on 127.0.0.1 for the signing tests, answering with `openssl ts
-reply` and the throwaway time-stamping certificate of CERT_FOLDER (make-throwaway-certificate.sh).
It listens on a free port, writes the port number to PORT_FILE, answers at most 20 requests and
stops by itself after 120 seconds at the latest."""
import http.server
import os
import subprocess
import sys
import tempfile
import threading

folder, port_file = sys.argv[1], sys.argv[2]
CONFIG = """
[tsa]
default_tsa = tolvek_tests
[tolvek_tests]
serial = {folder}/tsa.serial
signer_digest = sha256
default_policy = 1.3.6.1.4.1.99999.1
digests = sha1, sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
"""


class TimeStamps(http.server.BaseHTTPRequestHandler):
    answered = 0

    def do_POST(self):
        TimeStamps.answered += 1
        query = self.rfile.read(int(self.headers.get("Content-Length", "0")))
        with tempfile.TemporaryDirectory() as scratch:
            with open(os.path.join(scratch, "query"), "wb") as out:
                out.write(query)
            made = subprocess.run(
                ["openssl", "ts", "-reply", "-config", os.path.join(folder, "tsa.cnf"),
                 "-queryfile", os.path.join(scratch, "query"),
                 "-signer", os.path.join(folder, "tsa.pem"),
                 "-inkey", os.path.join(folder, "tsa.key"),
                 "-chain", os.path.join(folder, "tsa-chain.pem"),
                 "-out", os.path.join(scratch, "reply")],
                capture_output=True)
            if made.returncode != 0:
                self.send_error(500, made.stderr.decode(errors="replace")[:200])
                return
            with open(os.path.join(scratch, "reply"), "rb") as reply:
                body = reply.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


with open(os.path.join(folder, "tsa.cnf"), "w") as config:
    config.write(CONFIG.format(folder=folder))
with open(os.path.join(folder, "tsa.serial"), "w") as serial:
    serial.write("01\n")
server = http.server.HTTPServer(("127.0.0.1", 0), TimeStamps)
server.timeout = 1
with open(port_file + ".tmp", "w") as out:
    out.write(str(server.server_address[1]))
os.replace(port_file + ".tmp", port_file)
deadline = threading.Timer(120, lambda: os._exit(0))
deadline.daemon = True
deadline.start()
while TimeStamps.answered < 20:
    server.handle_request()
