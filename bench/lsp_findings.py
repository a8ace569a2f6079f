#!/usr/bin/env python3
"""Times `scenario lsp` on a train definition with many findings, as an
editor drives it: the first check after opening the file, then a burst of
quick changes (one per keystroke) and how far the server is behind once
the last one is sent.

  bench/lsp_findings.py SCENARIO_BINARY [FINDINGS...]   (default 8000 32000; Linux: reads /proc)

Each finding is an unknown key ("pippo, N"), a warning of its own line.
Prints, per size: the time from didOpen to the train's diagnostics (and
the server's CPU time for it: reading the text, the check, writing), the
number of checks published for 20 changes sent back to back, and the time
from the last change to the diagnostics of its text.
"""
import json
import os
import queue
import subprocess
import sys
import tempfile
import threading
import time

ROUTE, TRAIN = "Brenvalo_Morvena", "4815"


class Client:
    def __init__(self, binary, folder):
        self.proc = subprocess.Popen([binary, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, cwd=folder)
        self.next_id = 1
        self.messages = queue.Queue()
        threading.Thread(target=self.read_all, daemon=True).start()

    def send(self, message):
        body = json.dumps(message).encode()
        self.proc.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.proc.stdin.flush()

    def request(self, method, params):
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params})
        self.next_id += 1

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def read_all(self):
        """Reads the server's output as it comes (an editor does, or the
        server blocks on a full pipe), one message at a time."""
        buffer = b""
        while True:
            end = buffer.find(b"\r\n\r\n")
            if end >= 0:
                length = int(buffer[:end].split(b":")[1])
                if len(buffer) >= end + 4 + length:
                    came = time.monotonic()  # before Python's own parsing
                    self.messages.put((json.loads(buffer[end + 4:end + 4 + length]), came))
                    buffer = buffer[end + 4 + length:]
                    continue
            chunk = os.read(self.proc.stdout.fileno(), 1 << 20)
            if not chunk:
                return
            buffer += chunk

    def receive(self, timeout):
        """The next message and when it came, or (None, now) after `timeout` seconds."""
        try:
            return self.messages.get(timeout=timeout)
        except queue.Empty:
            return None, time.monotonic()

    def diagnostics(self, uri, timeout=60):
        """The next diagnostics published for `uri`, with the time they came."""
        while True:
            m, came = self.receive(timeout)
            if m is None:
                return None, came
            if m.get("method") == "textDocument/publishDiagnostics" and m["params"]["uri"] == uri:
                return m["params"]["diagnostics"], came

    def close(self):
        self.request("shutdown", None)
        self.notify("exit", None)
        self.proc.wait(10)


def cpu_ms(pid):
    """CPU time (user and system) the process has used so far."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) * 1000 / os.sysconf("SC_CLK_TCK")


def measure(binary, findings):
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([binary, "example", folder], check=True, stdout=subprocess.DEVNULL)
        path = os.path.join(folder, f"{ROUTE}_{TRAIN}-.txt")
        with open(path, "rb") as f:
            text = f.read().decode("cp1252")
        at = text.find("[fine]")
        unknown = "".join(f"pippo, {k}\r\n" for k in range(findings))
        text = text[:at] + unknown + text[at:]
        uri = "file://" + path

        client = Client(binary, folder)
        client.request("initialize", {"processId": None, "rootUri": "file://" + folder, "capabilities": {}})
        client.receive(10)
        client.notify("initialized", {})
        start, cpu = time.monotonic(), cpu_ms(client.proc.pid)
        client.notify("textDocument/didOpen",
                      {"textDocument": {"uri": uri, "languageId": "scenario", "version": 1, "text": text}})
        first, came = client.diagnostics(uri)
        opened, opened_cpu = came - start, cpu_ms(client.proc.pid) - cpu

        # 20 keystrokes: each adds a digit to the last unknown key's value.
        changes = 20
        for k in range(changes):
            text = text[:at - 2] + "1" + text[at - 2:]
            client.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": k + 2},
                                                     "contentChanges": [{"text": text}]})
        last_sent = time.monotonic()
        # The server answers in order: its last publication is of the last text.
        checks, behind = 0, 0.0
        while True:
            got, came = client.diagnostics(uri, timeout=3)
            if got is None:
                break
            checks += 1
            behind = came - last_sent
        client.close()
        print(f"{findings} avvisi: primo controllo {opened * 1000:.0f} ms ({opened_cpu:.0f} ms di CPU del server, "
              f"{len(first)} diagnostiche); "
              f"{changes} modifiche di fila: {checks} controlli, l'ultima pubblicata {behind * 1000:.0f} ms dopo l'invio")


def main():
    binary = os.path.abspath(sys.argv[1])
    for n in [int(a) for a in sys.argv[2:]] or [8000, 32000]:
        measure(binary, n)


if __name__ == "__main__":
    main()
