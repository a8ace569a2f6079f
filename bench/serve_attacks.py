#!/usr/bin/env python3
"""Runs `scenario serve` on the built-in line under a limit of 1024 files
and attacks it as a hostile or broken client would, printing what the
server holds meanwhile: open descriptors, resident memory, CPU, and
whether a real request is still answered and what the page is told.

  bench/serve_attacks.py SCENARIO_BINARY [ATTACK...]

ATTACK: halfopen (1100 requests never finished), cycles (1500 event
streams opened and closed), slow (50 event streams never read, then 60
saves), large (a 100 MB line definition, then the real one back), below_limit
(the same with 60 MB, under the limit). All by default. Linux only (it reads /proc).
"""
import os
import resource
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request

ROUTE, TRAIN = "Brenvalo_Morvena", "4815"


def fds(pid):
    return len(os.listdir(f"/proc/{pid}/fd"))


def rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) // 1024
    return -1


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_percent(pid, seconds=3.0):
    before = cpu_seconds(pid)
    time.sleep(seconds)
    return 100.0 * (cpu_seconds(pid) - before) / seconds


def real_request(port, path="/dati.json", timeout=10):
    """(seconds, status, errore of the state or None); status 0: no answer."""
    start = time.time()
    try:
        with urllib.request.urlopen(f"http://127.0.0.1:{port}{path}", timeout=timeout) as r:
            body = r.read()
            errore = None
            if path == "/dati.json":
                import json
                errore = json.loads(body).get("errore")
            return round(time.time() - start, 2), r.status, errore
    except Exception as e:  # noqa: BLE001 - any failure is the figure
        return round(time.time() - start, 2), 0, str(e)[:80]


def report(name, pid, port):
    took, status, errore = real_request(port)
    print(f"  {name}: fds {fds(pid)}, rss {rss_mb(pid)} MB, cpu {cpu_percent(pid):.0f} %, "
          f"real request {status} in {took} s, errore: {errore}", flush=True)


def connect(port):
    s = socket.create_connection(("127.0.0.1", port))
    return s


def halfopen(pid, port, folder):
    held = []
    for _ in range(1100):
        try:
            s = connect(port)
            s.sendall(f"GET / HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n".encode())
            held.append(s)
        except OSError:
            break
    print(f"  {len(held)} half-open requests held", flush=True)
    report("during", pid, port)
    time.sleep(1)
    report("1 s later", pid, port)
    for s in held:
        s.close()


def cycles(pid, port, folder):
    for _ in range(1500):
        s = connect(port)
        s.sendall(f"GET /eventi HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n\r\n".encode())
        s.recv(200)
        s.close()
    time.sleep(0.5)
    report("after 1500 streams opened and closed", pid, port)


def save(folder, n):
    path = os.path.join(folder, f"{ROUTE}_linea.txt")
    with open(path, "rb") as f:
        text = f.read()
    marker = b"\r\n- salvataggio "
    if marker in text:
        text = text[: text.index(marker)]
    with open(path + ".tmp", "wb") as f:
        f.write(text + marker + str(n).encode() + b"\r\n")
    os.replace(path + ".tmp", path)


def slow(pid, port, folder):
    held = []
    for _ in range(50):
        s = socket.socket()
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        s.connect(("127.0.0.1", port))
        s.sendall(f"GET /eventi HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\n\r\n".encode())
        held.append(s)
    peak = 0
    for n in range(60):
        save(folder, n)
        time.sleep(0.3)
        peak = max(peak, rss_mb(pid))
    print(f"  peak rss during 60 saves with 50 silent streams: {peak} MB", flush=True)
    report("after", pid, port)
    for s in held:
        s.close()


def large(pid, port, folder, megabytes=100):
    path = os.path.join(folder, f"{ROUTE}_linea.txt")
    with open(path, "rb") as f:
        real = f.read()
    junk = b"campo_inventato, 1, 2, 3\r\n"
    with open(path + ".tmp", "wb") as f:
        f.write(real.replace(b"[fine]", b"") + junk * (megabytes * 1024 * 1024 // len(junk)))
    os.replace(path + ".tmp", path)
    worst, peak, start = 0, 0, time.time()
    while time.time() - start < 15:
        took, status, errore = real_request(port, timeout=30)
        worst = max(worst, took)
        peak = max(peak, rss_mb(pid))
        time.sleep(0.2)
    print(f"  {megabytes} MB definition: slowest request {worst} s, peak rss {peak} MB, errore: {errore}", flush=True)
    with open(path + ".tmp", "wb") as f:
        f.write(real)
    os.replace(path + ".tmp", path)
    time.sleep(2)
    report("restored", pid, port)


def below_limit(pid, port, folder):
    large(pid, port, folder, 60)


def main():
    binary = os.path.abspath(sys.argv[1])
    attacks = sys.argv[2:] or ["halfopen", "cycles", "slow", "large", "below_limit"]
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, 8192), hard))
    for attack in attacks:
        work = tempfile.mkdtemp()
        subprocess.run([binary, "example", os.path.join(work, "linea")], check=True, stdout=subprocess.DEVNULL)
        folder = os.path.join(work, "linea")
        port = 18700 + attacks.index(attack)
        server = subprocess.Popen(["prlimit", "--nofile=1024", binary, "serve", folder, "--route", ROUTE,
                                   "--train", TRAIN, "--port", str(port)],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        time.sleep(1.5)
        print(f"{attack}:", flush=True)
        report("idle", server.pid, port)
        globals()[attack](server.pid, port, folder)
        server.terminate()
        try:
            server.wait(10)
        except subprocess.TimeoutExpired:
            server.kill()
        told = server.stderr.read().decode(errors="replace").strip()
        if told:
            print("  server said: " + told.replace("\n", " | ")[:300])
        shutil.rmtree(work)


if __name__ == "__main__":
    main()
