#!/usr/bin/env python3
"""Tests of several chat copies (chatnode) on a private network.

The harness never touches the host's network. It first re-executes itself
under `unshare --net --mount`: its own network namespace holds a bridge, and
each copy gets a network namespace of its own with one veth end on that
bridge and the address 198.18.0.N/24. Namespace handles live on a tmpfs that
exists only in the harness's mount namespace, so everything disappears with
the harness, also when it fails or is killed.

Usage: chatnet.py --chatnode PATH [--scenario NAME ...] [--list]
"""
import argparse
import json
import os
import queue
import random
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

INNER_MARK = "KC_CHATNET_INNER"
PORT = 54812
SUBNET = "198.18.0"


def fail(msg):
    print("chatnet: " + msg, file=sys.stderr, flush=True)
    sys.exit(1)


def run(*cmd, check=True):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if check and r.returncode != 0:
        raise RuntimeError("%s: %s" % (" ".join(cmd), r.stderr.strip()))
    return r


def enter_private_namespaces():
    """Re-executes this script inside new network and mount namespaces."""
    if os.environ.get(INNER_MARK) == str(os.getpid()):
        return
    if shutil.which("unshare") is None or shutil.which("ip") is None:
        fail("needs unshare (util-linux) and ip (iproute2); cannot make test namespaces")
    env = dict(os.environ)
    # The child proves it runs inside by its own pid; exec keeps the pid.
    env[INNER_MARK] = "pending"
    try:
        r = subprocess.run(["unshare", "--net", "--mount", "--propagation", "private", "true"],
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    except OSError as e:
        fail("cannot run unshare: %s" % e)
    if r.returncode != 0:
        fail("cannot create network namespaces here (needs root or user namespaces): "
             + r.stderr.strip())
    wrapper = ("import os,sys; os.environ['%s']=str(os.getpid()); os.execv(sys.argv[1], sys.argv[1:])"
               % INNER_MARK)
    os.execvpe("unshare", ["unshare", "--net", "--mount", "--propagation", "private", "--",
                           sys.executable, "-c", wrapper, sys.executable,
                           os.path.abspath(sys.argv[0])] + sys.argv[1:], env)


def check_isolated():
    """Refuses to go on unless this network namespace is a fresh one of ours."""
    if os.environ.get(INNER_MARK) != str(os.getpid()):
        fail("refusing to run outside a network namespace of its own")
    # /proc/self/net follows the namespace; /sys would show the mounter's.
    with open("/proc/self/net/dev") as f:
        links = [line.split(":")[0].strip() for line in f.readlines()[2:]]
    if links != ["lo"]:
        fail("network namespace is not fresh (links: %s); refusing to run" % links)


class Network:
    """A bridge in the harness namespace and one namespace per copy."""

    def __init__(self, count):
        self.run_id = "%x" % random.getrandbits(24)
        self.count = count
        self.bridge = "kcbr" + self.run_id
        self.names = []
        self.host_ends = []
        os.makedirs("/run/netns", exist_ok=True)
        run("mount", "-t", "tmpfs", "kcnetns", "/run/netns")
        run("ip", "link", "set", "lo", "up")
        run("ip", "link", "add", self.bridge, "type", "bridge", "forward_delay", "0", "stp_state", "0")
        # The harness itself stands on the bridge as 198.18.0.254, to send
        # and watch raw datagrams.
        run("ip", "addr", "add", SUBNET + ".254/24", "brd", SUBNET + ".255", "dev", self.bridge)
        run("ip", "link", "set", self.bridge, "up")
        for n in range(1, count + 1):
            ns = "kc%d-%s" % (n, self.run_id)
            host_end, node_end = "kh%d%s" % (n, self.run_id), "kn%d%s" % (n, self.run_id)
            run("ip", "netns", "add", ns)
            run("ip", "link", "add", host_end, "type", "veth", "peer", "name", node_end)
            self.host_ends.append(host_end)
            run("ip", "link", "set", host_end, "master", self.bridge)
            run("ip", "link", "set", host_end, "up")
            run("ip", "link", "set", node_end, "netns", ns)
            run("ip", "-n", ns, "link", "set", node_end, "name", "eth0")
            run("ip", "-n", ns, "addr", "add", "%s.%d/24" % (SUBNET, n), "brd", SUBNET + ".255",
                "dev", "eth0")
            run("ip", "-n", ns, "link", "set", "eth0", "up")
            run("ip", "-n", ns, "link", "set", "lo", "up")
            self.names.append(ns)
        # A copy announces itself once, at start: the links must carry by then.
        end = time.monotonic() + 10
        for ns in self.names:
            while "state UP" not in run("ip", "-n", ns, "link", "show", "eth0").stdout:
                if time.monotonic() > end:
                    raise RuntimeError("link of %s did not come up" % ns)
                time.sleep(0.02)

    def close(self):
        # A deleted namespace frees its veth end later, on the kernel's own
        # time; deleting our end takes the pair down now, so the next
        # scenario in this namespace finds it fresh.
        for link in self.host_ends:
            run("ip", "link", "del", link, check=False)
        for ns in self.names:
            run("ip", "netns", "del", ns, check=False)
        run("ip", "link", "del", self.bridge, check=False)
        run("umount", "/run/netns", check=False)


class Node:
    """One chatnode in its namespace, with its own XDG folders."""

    def __init__(self, chatnode, ns, n, args=()):
        self.n = n
        self.ns = ns
        self.home = tempfile.mkdtemp(prefix="kcnode%d-" % n)
        env = dict(os.environ)
        for var, sub in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                         ("XDG_RUNTIME_DIR", "run"), ("HOME", "home")):
            path = os.path.join(self.home, sub)
            os.makedirs(path, mode=0o700, exist_ok=True)
            env[var] = path
        env["KAVET_CODEPAGE"] = "1252"
        env["QT_QPA_PLATFORM"] = "offscreen"
        self.events = []
        self.cond = threading.Condition()
        self.proc = subprocess.Popen(["ip", "netns", "exec", ns, chatnode, "--interface", "eth0"] + list(args),
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, env=env, text=True, encoding="utf-8")
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.errors = []
        threading.Thread(target=self._read_err, daemon=True).start()
        ready = self.wait(lambda e: e["event"] == "ready", 10)
        self.id, self.ip = ready["id"], ready["ip"]

    def _read(self):
        for line in self.proc.stdout:
            try:
                ev = json.loads(line)
            except ValueError:
                ev = {"event": "bad-output", "line": line}
            with self.cond:
                self.events.append(ev)
                self.cond.notify_all()

    def _read_err(self):
        for line in self.proc.stderr:
            self.errors.append(line)

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def wait(self, pred, timeout=5.0, start=0):
        end = time.monotonic() + timeout
        with self.cond:
            while True:
                for ev in self.events[start:]:
                    if pred(ev):
                        return ev
                left = end - time.monotonic()
                if left <= 0:
                    raise AssertionError("node %d: no matching event in %.1fs; events: %s"
                                         % (self.n, timeout, self.events[-20:]))
                self.cond.wait(left)

    def sync(self):
        """Returns once the node has handled every command sent before."""
        mark = len(self.events)
        self.send("users")
        self.wait(lambda e: e["event"] == "users", start=mark)

    def matching(self, pred):
        with self.cond:
            return [e for e in self.events if pred(e)]

    def alive(self):
        return self.proc.poll() is None

    def history(self):
        folder = os.path.join(self.home, "data", "kavet-chat", "History")
        return sorted(os.listdir(folder)) if os.path.isdir(folder) else []

    def stop(self, timeout=5.0, keep=False):
        if self.proc.poll() is None:
            try:
                self.send("quit")
                self.proc.stdin.close()
            except (BrokenPipeError, ValueError):
                pass
            try:
                self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        if not keep:
            shutil.rmtree(self.home, ignore_errors=True)


def settle(seconds=1.0):
    time.sleep(seconds)


def messages(node, body=None, talk=None):
    return node.matching(lambda e: e["event"] == "message"
                         and (body is None or e["body"] == body)
                         and (talk is None or e["talk"] == talk))


def start_all(chatnode, net, count=None, args=()):
    names = net.names if count is None else net.names[:count]
    nodes = [Node(chatnode, ns, i + 1, args) for i, ns in enumerate(names)]
    for node in nodes:
        for other in nodes:
            if other is not node:
                node.wait(lambda e, o=other: e["event"] == "user" and e["change"] == "new"
                          and e["id"] == o.id, 10)
    return nodes


# Scenarios ---------------------------------------------------------------

def scenario_see_each_other(nodes):
    for node in nodes:
        node.send("users")
        ev = node.wait(lambda e: e["event"] == "users")
        ids = [u["id"] for u in ev["list"] if u["active"]]
        assert sorted(ids) == sorted(n.id for n in nodes), ev
        assert len(ev["list"]) == len(nodes), ev
        for u in ev["list"][1:]:
            assert u["ip"].startswith(SUBNET + "."), u


def scenario_say_once(nodes):
    nodes[0].send("say hello all \u00e9t\u00e9")
    for node in nodes:
        node.wait(lambda e: e["event"] == "message" and e["body"] == "hello all \u00e9t\u00e9")
    settle()
    for node in nodes:
        got = messages(node, "hello all \u00e9t\u00e9")
        assert len(got) == 1, (node.n, got)
        assert got[0]["talk"] == 0 and got[0]["from"] == nodes[0].id and got[0]["group"] is None


def scenario_private(nodes):
    a, b, c = nodes[0], nodes[1], nodes[2]
    a.send("private %s psst" % b.id)
    b.wait(lambda e: e["event"] == "message" and e["body"] == "psst")
    settle()
    got = messages(b, "psst")
    assert len(got) == 1 and got[0]["talk"] == 2 and got[0]["from"] == a.id, got
    assert messages(c, "psst") == [], messages(c, "psst")
    echo = messages(a, "psst")
    assert len(echo) == 1 and echo[0]["talk"] == 2 and echo[0]["from"] == a.id, echo


def scenario_group(nodes):
    a, b, c = nodes[0], nodes[1], nodes[2]
    a.send("group Team %s only members" % b.id)
    b.wait(lambda e: e["event"] == "message" and e["body"] == "only members")
    settle()
    got = messages(b, "only members")
    assert len(got) == 1 and got[0]["talk"] == 3 and got[0]["group"] == "Team", got
    assert messages(c, "only members") == []
    own = messages(a, "only members")
    assert len(own) == 1 and own[0]["talk"] == 1, own


def scenario_autoreply(nodes):
    a, b = nodes[0], nodes[1]
    b.send("autoreply on Away|Back soon")
    b.sync()
    a.send("private %s are you there" % b.id)
    reply = a.wait(lambda e: e["event"] == "message" and e["from"] == b.id and e["talk"] == 2)
    assert reply["autoreply"] is True and "Away" in reply["body"], reply
    settle()
    replies = a.matching(lambda e: e["event"] == "message" and e["from"] == b.id and e["talk"] == 2)
    assert len(replies) == 1, replies
    # Both answer automatically now (and cannot type into private talks):
    # a message that starts it all is put on the wire in a's name.
    a.send("autoreply on Out|Gone")
    a.sync()
    mark_a, mark_b = len(a.events), len(b.events)
    # From a's own address: a datagram naming a from anywhere else is
    # dropped as forged.
    send_from(a, ("MESSAGETOUSER!^:^$<FROMUSERID>%s</FROMUSERID><ALIAS>a</ALIAS><IP>%s</IP>"
                  "<ID>%s</ID><MAC></MAC><IMAGEINDEX>-1</IMAGEINDEX><COLOR>0</COLOR>"
                  "<MESSAGESTR>ping</MESSAGESTR>" % (b.id, a.ip, a.id)).encode(), (SUBNET + ".255", PORT))
    a.wait(lambda e: e["event"] == "message" and e["from"] == b.id, start=mark_a)
    settle(2.0)
    from_b = [e for e in a.events[mark_a:] if e["event"] == "message" and e["from"] == b.id]
    from_a = [e for e in b.events[mark_b:] if e["event"] == "message" and e["from"] == a.id]
    assert len(from_b) == 1 and from_b[0]["autoreply"], from_b
    assert [e["body"] for e in from_a] == ["ping"], from_a


def scenario_quit_disconnect(nodes):
    a, b, c = nodes
    c.stop(keep=True)
    # The all-users talk held the others' arrivals: its history was written.
    files = c.history()
    assert len(files) == 1 and files[0].startswith("All Users and ") and files[0].endswith(".txt"), files
    for node in (a, b):
        node.wait(lambda e: e["event"] == "user" and e["change"] == "disconnect" and e["id"] == c.id)
        node.send("users")
        ev = node.wait(lambda e: e["event"] == "users")
        gone = [u for u in ev["list"] if u["id"] == c.id]
        assert len(gone) == 1 and not gone[0]["active"], ev


def send_from(node, data, dest):
    """Sends one datagram from inside a copy's namespace, so from its address."""
    code = ("import socket,sys; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); "
            "s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1); "
            "s.sendto(sys.stdin.buffer.read(), (sys.argv[1], int(sys.argv[2])))")
    subprocess.run(["ip", "netns", "exec", node.ns, sys.executable, "-c", code, dest[0], str(dest[1])],
                   input=data, check=True, timeout=10)


def raw_socket(port=0):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 8 << 20)
    s.bind((SUBNET + ".254", port))
    s.settimeout(0.2)
    return s


def drain(sock, seconds):
    got = []
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            got.append(sock.recvfrom(70000))
        except socket.timeout:
            pass
    return got


def scenario_malformed(nodes):
    bcast = (SUBNET + ".255", PORT)
    rng = random.Random(54812)
    bad = [bytes(rng.getrandbits(8) for _ in range(rng.randrange(1, 3000))) for _ in range(20)]
    bad += [b"MESSAGE!^:^$<ALIAS>cut", b"NEW!^:^$<ID>", b"NEW!^:^$<ID></ID>",
            b"UPDATEINFOTOGROUP_!^:^$<GROUPID>", b"MESSAGETOUSER!^:^$<FROMUSERID>",
            b"MESSAGETOGROUP!^:^$<FROMUSERID><USERIDSEPARATOR><USERIDSEPARATOR>",
            b"DISCONNECT!^:^$<ID>\x00\xff</ID>", b"!^:^$", b"\x00" * 100,
            b"MESSAGE!^:^$<MESSAGESTR>" + b"A" * 65000 + b"</MESSAGESTR>"]
    sender = raw_socket()
    for data in bad:
        sender.sendto(data, bcast)
    # The largest datagram IPv4 carries; 70,000 bytes cannot be sent at all.
    sender.sendto(b"MESSAGE!^:^$" + b"x" * (65507 - 12), bcast)
    try:
        sender.sendto(b"y" * 70000, bcast)
        raise AssertionError("a 70,000-byte datagram was accepted")
    except OSError:
        pass
    echoes = drain(sender, 1.5)
    sent = len(bad) + 1
    # Each copy echoes each datagram once to its sender, no more.
    assert len(echoes) <= sent * len(nodes), (len(echoes), sent)
    senders = {addr[0] for _, addr in echoes}
    assert senders == {n.ip for n in nodes}, senders
    # From the chat port itself nothing is echoed: two copies would play
    # ping-pong with it for ever.
    chat = raw_socket(PORT)
    drain(chat, 0.3)
    for node in nodes:
        chat.sendto(b"NEW!^:^$<ALIAS>port</ALIAS>", (node.ip, PORT))
    chat.sendto(b"MESSAGE!^:^$<MESSAGESTR>from chat port</MESSAGESTR>", bcast)
    back = [(d, addr) for d, addr in drain(chat, 1.5) if addr[0] != SUBNET + ".254"]
    echoed = [x for x in back if x[0].startswith(b"NEW!^:^$<ALIAS>port") or b"from chat port" in x[0]]
    assert echoed == [], echoed
    for node in nodes:
        assert node.alive(), "node %d died: %s" % (node.n, node.errors)
        assert not node.matching(lambda e: e["event"] == "bad-output")
    # Everyone still talks.
    nodes[1].send("say still here")
    for node in nodes:
        node.wait(lambda e: e["event"] == "message" and e["body"] == "still here")


def burst(nodes, count):
    """A sends count messages as fast as it can; B must show every one."""
    a, b = nodes
    mark = len(b.events)
    # One write: the copy reads its commands back to back and sends each at once.
    a.proc.stdin.write("".join("say burst %d\n" % i for i in range(count)))
    a.proc.stdin.flush()

    def delivered():
        with b.cond:
            return [e["body"] for e in b.events[mark:]
                    if e["event"] == "message" and e["body"].startswith("burst ")]

    # Bounded: done when all came, or when nothing new came for 3 s.
    end = time.monotonic() + 60
    last_change, seen = time.monotonic(), -1
    while time.monotonic() < end and time.monotonic() - last_change < 3.0:
        got = len(delivered())
        if got >= count:
            break
        if got != seen:
            seen, last_change = got, time.monotonic()
        time.sleep(0.02)
    bodies = delivered()
    assert len(bodies) == count, "delivered %d of %d" % (len(bodies), count)
    assert bodies == ["burst %d" % i for i in range(count)], "out of order or doubled"
    # The sender's own copy hears its burst back as well.
    a.wait(lambda e: e["event"] == "message" and e["body"] == "burst %d" % (count - 1), 10)
    assert len(a.matching(lambda e: e["event"] == "message" and e["body"].startswith("burst "))) == count


def scenario_burst_400(nodes):
    burst(nodes, 400)


def scenario_burst_2000(nodes):
    burst(nodes, 2000)


def scenario_codepage_1252(nodes):
    """What a Windows copy with code page 1252 reads: one byte per letter."""
    a = nodes[0]
    wire = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    wire.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    wire.bind(("", PORT))
    wire.settimeout(0.2)
    a.send("say caf\u00e9 cr\u00e8me")
    got = []
    end = time.monotonic() + 5
    while time.monotonic() < end and not got:
        got = [d for d, addr in drain(wire, 0.3) if addr[0] == a.ip and d.startswith(b"MESSAGE!^:^$")]
    assert len(got) == 1, got
    assert field_of(got[0], b"MESSAGESTR") == b"caf\xe9 cr\xe8me", got[0]


def scenario_newcomer_flood(nodes):
    """Made-up newcomers overflow the user list: each copy answers about once
    a second, not once per newcomer, and a real newcomer still gets in."""
    bcast = (SUBNET + ".255", PORT)
    wire = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    wire.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    wire.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 16 << 20)
    wire.bind(("", PORT))
    wire.setblocking(False)
    answers = {n.ip: 0 for n in nodes}

    def count_answers():
        while True:
            try:
                data, addr = wire.recvfrom(70000)
            except BlockingIOError:
                return
            if addr[0] in answers and data.startswith(b"UPDATEINFO!^:^$"):
                answers[addr[0]] += 1

    sender = raw_socket()
    t0 = time.monotonic()
    # Bounded in count and time; paced so that the copies read them all.
    for i in range(12000):
        sender.sendto(("NEW!^:^$<ALIAS>fake</ALIAS><IP>198.18.0.%d</IP><ID>{FAKE-%05d}</ID>"
                       % (100 + i % 100, i)).encode(), bcast)
        if i % 200 == 199:
            count_answers()
            time.sleep(0.01)
        if time.monotonic() - t0 > 60:
            raise AssertionError("flood took too long to send")
    for node in nodes:
        node.wait(lambda e: e["event"] == "user" and e["id"] == "{FAKE-11999}", 60)
        mark = len(node.events)
        node.send("users")
        full = node.wait(lambda e: e["event"] == "users", 10, start=mark)
        assert len(full["list"]) == 10001, "node %d lists %d users" % (node.n, len(full["list"]))
    settle(1.0)
    count_answers()
    seconds = time.monotonic() - t0
    for ip, n in answers.items():
        assert 1 <= n <= seconds + 2, "%s answered %d times in %.1f s" % (ip, n, seconds)
    real = "{REAL-NEWCOMER}"
    mark = [len(n.events) for n in nodes]
    sender.sendto(("NEW!^:^$<ALIAS>real</ALIAS><IP>198.18.0.250</IP><ID>%s</ID>" % real).encode(), bcast)
    for node, m in zip(nodes, mark):
        node.wait(lambda e: e["event"] == "user" and e["change"] == "new" and e["id"] == real, 10, start=m)
    for node in nodes:
        assert node.alive(), node.errors


def wire_socket():
    """Hears every broadcast on the chat port, as any host of the LAN can."""
    wire = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    wire.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    wire.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 16 << 20)
    wire.bind(("", PORT))
    wire.settimeout(0.2)
    return wire


def user_entry(node, uid):
    mark = len(node.events)
    node.send("users")
    ev = node.wait(lambda e: e["event"] == "users", 10, start=mark)
    found = [u for u in ev["list"] if u["id"] == uid]
    return found[0] if found else None


def scenario_forged_sender(nodes):
    """A host of the LAN (the harness at .254) sends datagrams in b's name:
    a message to all, a private message, a rename, a rename of b's group
    talk and a disconnect. Nothing changes, and b still talks and is
    talked to."""
    a, b, c = nodes
    bcast = (SUBNET + ".255", PORT)
    wire = wire_socket()
    b.send("group Team %s hello team" % a.id)
    a.wait(lambda e: e["event"] == "message" and e["body"] == "hello team" and e["group"] == "Team")
    group_id = None
    end = time.monotonic() + 5
    while group_id is None and time.monotonic() < end:
        for d, addr in drain(wire, 0.3):
            if addr[0] == b.ip and d.startswith(b"MESSAGETOGROUP!^:^$"):
                group_id = field_of(d, b"GROUPID").decode("latin-1")
    assert group_id, "b's group datagram was not seen on the wire"
    alias_before = user_entry(a, b.id)["alias"]
    sender = ("<ALIAS>%s</ALIAS><IP>" + b.ip + "</IP><ID>" + b.id + "</ID><MAC></MAC>"
              "<IMAGEINDEX>-1</IMAGEINDEX><COLOR>0</COLOR>")
    forged = [
        "MESSAGE!^:^$" + sender % "b" + "<MESSAGESTR>forged to all</MESSAGESTR>",
        "MESSAGETOUSER!^:^$<FROMUSERID>" + a.id + "</FROMUSERID>" + sender % "b"
        + "<MESSAGESTR>forged private</MESSAGESTR>",
        "UPDATEINFO!^:^$" + sender % "Evil",
        "MESSAGETOGROUPRENAME!^:^$<GROUPID>" + group_id + "</GROUPID><AUTORGROUPID>" + b.id
        + "</AUTORGROUPID><AUTORGROUPIP>" + b.ip + "</AUTORGROUPIP><AUTORGROUPALIASE>b</AUTORGROUPALIASE>"
        "<GROUPNAME>Hijacked</GROUPNAME>",
        "DISCONNECT!^:^$" + sender % "b",
    ]
    marks = [len(n.events) for n in nodes]
    forger = raw_socket()
    for text in forged:
        forger.sendto(text.encode("latin-1"), bcast)
    settle(1.5)
    for node, m in zip(nodes, marks):
        bad = [e for e in node.events[m:] if (e["event"] == "message" and e["body"].startswith("forged"))
               or (e["event"] == "user" and e["id"] == b.id)]
        assert bad == [], (node.n, bad)
    for node in (a, c):
        entry = user_entry(node, b.id)
        assert entry and entry["active"] and entry["alias"] == alias_before, (node.n, entry)
    # b still speaks in his group talk, under its own name, and is reached.
    mark = len(a.events)
    b.send("group Team %s after the forgery" % a.id)
    got = a.wait(lambda e: e["event"] == "message" and e["body"] == "after the forgery", start=mark)
    assert got["group"] == "Team" and got["from"] == b.id, got
    a.send("private %s still yours" % b.id)
    got = b.wait(lambda e: e["event"] == "message" and e["body"] == "still yours")
    assert got["from"] == a.id, got


def scenario_history_bound(nodes):
    """A flood of messages to all: what leaves the transcript goes to the
    history file, which stops at its bound (one notice), and the folder
    stays within its own."""
    talk_bound, folder_bound = 200000, 400000
    a, b = nodes
    count, body = 10800, "h" * 300
    a.proc.stdin.write("".join("say %s %d\n" % (body, i) for i in range(count)))
    a.proc.stdin.flush()
    last = "%s %d" % (body, count - 1)
    for node in nodes:
        node.wait(lambda e: e["event"] == "message" and e["body"] == last, 90)
    notices = {}
    for node in nodes:
        notices[node.n] = [e for e in node.matching(lambda e: e["event"] == "notice")
                           if "reached its size limit" in e["text"]]
    homes = [(node, os.path.join(node.home, "data", "kavet-chat", "History")) for node in nodes]
    for node in nodes:
        node.stop(keep=True)
    try:
        for node, folder in homes:
            files = os.listdir(folder)
            sizes = [os.path.getsize(os.path.join(folder, f)) for f in files]
            assert files, "node %d wrote no history" % node.n
            assert max(sizes) <= talk_bound, (node.n, sizes)
            assert sum(sizes) <= folder_bound, (node.n, sizes)
            assert len(notices[node.n]) == 1, (node.n, notices[node.n])
    finally:
        for node, _ in homes:
            shutil.rmtree(node.home, ignore_errors=True)


def scenario_talker_survives_new_flood(nodes):
    """A flood of made-up newcomers fills the user list: a user who is in a
    private talk stays listed, and his next private message arrives."""
    a, b = nodes
    b.send("private %s hello before" % a.id)
    a.wait(lambda e: e["event"] == "message" and e["body"] == "hello before")
    bcast = (SUBNET + ".255", PORT)
    sender = raw_socket()
    t0 = time.monotonic()
    for i in range(12000):
        sender.sendto(("NEW!^:^$<ALIAS>fake</ALIAS><IP>198.18.0.%d</IP><ID>{FAKE-%05d}</ID>"
                       % (100 + i % 100, i)).encode(), bcast)
        if i % 200 == 199:
            time.sleep(0.01)
        if time.monotonic() - t0 > 60:
            raise AssertionError("flood took too long to send")
    a.wait(lambda e: e["event"] == "user" and e["id"] == "{FAKE-11999}", 60)
    entry = user_entry(a, b.id)
    assert entry and entry["active"], entry
    mark = len(a.events)
    b.send("private %s after the flood" % a.id)
    got = a.wait(lambda e: e["event"] == "message" and e["body"] == "after the flood", 10, start=mark)
    assert got["from"] == b.id and got["talk"] == 2, got
    a.send("private %s answered" % b.id)
    b.wait(lambda e: e["event"] == "message" and e["body"] == "answered", 10)


def start_kavetchat(net, stderr):
    home = tempfile.mkdtemp(prefix="kckavetchat-")
    env = dict(os.environ)
    for var, sub in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                     ("XDG_RUNTIME_DIR", "run"), ("HOME", "home")):
        path = os.path.join(home, sub)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[var] = path
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    return home, env


HOSTILE = [
    ("clear screen", b"\x1b[2J\x1b[H"),
    ("window title", b"\x1b]0;owned\x07"),
    ("clipboard write", b"\x1b]52;c;aGk=\x1b\\"),
    ("bell", b"ding\x07\x07"),
    ("C1 controls", b"\x81\x8d\x9d\x9f"),
    ("LRM and RLM", b"gpj.\xfeexe\xfd"),
    ("DEL", b"x\x7fy"),
]


def scenario_hostile_text(nodes, net, kavetchat):
    """Aliases and bodies with terminal escapes, C1 controls and the marks
    that turn text round: kavetchat prints none of them raw, and the
    history file names it writes hold none of them."""
    a = nodes[0]
    home, env = start_kavetchat(net, None)
    # Hebrew code page: it has LRM and RLM; its undefined bytes are C1.
    env["KAVET_CODEPAGE"] = "1255"
    log = os.path.join(home, "stderr.log")
    wire = wire_socket()
    with open(log, "wb") as err:
        proc = subprocess.Popen(["ip", "netns", "exec", net.names[-1], kavetchat, "--headless",
                                 "--interface", "eth0"],
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=err, env=env)
    try:
        kc_id = None
        end = time.monotonic() + 20
        while kc_id is None and time.monotonic() < end:
            for d, addr in drain(wire, 0.3):
                if d.startswith(b"NEW!^:^$") and addr[0] != a.ip:
                    kc_id = field_of(d, b"ID")
        assert kc_id, "kavetchat's announcement was not seen"
        sender = raw_socket()
        bcast = (SUBNET + ".255", PORT)
        for i, (name, evil) in enumerate(HOSTILE):
            uid = b"{EVIL-%d}" % i
            fields = (b"<ALIAS>" + evil + b"</ALIAS><IP>198.18.0.254</IP><ID>" + uid
                      + b"</ID><MAC></MAC><IMAGEINDEX>-1</IMAGEINDEX><COLOR>0</COLOR>")
            sender.sendto(b"NEW!^:^$" + fields, bcast)
            sender.sendto(b"MESSAGE!^:^$" + fields + b"<MESSAGESTR>" + evil + b"</MESSAGESTR>", bcast)
            sender.sendto(b"MESSAGETOUSER!^:^$<FROMUSERID>" + kc_id + b"</FROMUSERID>" + fields
                          + b"<MESSAGESTR>" + evil + b"</MESSAGESTR>", bcast)
        settle(1.5)
        proc.send_signal(15)
        try:
            proc.wait(30)
        except subprocess.TimeoutExpired:
            raise AssertionError("kavetchat did not end after SIGTERM")
        with open(log, "rb") as f:
            out = f.read()
        assert b"EVIL" in out or b"talk" in out, out[:2000]
        for raw in (b"\x1b", b"\x07", b"\x7f"):
            assert raw not in out, (raw, out[:3000])
        text = out.decode("utf-8")
        bad = [c for c in text if (ord(c) < 0x20 and c != "\n") or 0x80 <= ord(c) <= 0x9f
               or c in "\u200e\u200f\u202a\u202b\u202c\u202d\u202e\u2066\u2067\u2068\u2069\u061c"]
        assert bad == [], [hex(ord(c)) for c in bad]
        assert "\\u200F" in text and "\\x1B]0;owned\\x07" in text, text[:3000]
        folder = os.path.join(home, "data", "kavet-chat", "History")
        names = os.listdir(folder)
        assert len(names) >= 2, names
        for n in names:
            bad = [c for c in n if ord(c) < 0x20 or 0x7f <= ord(c) <= 0x9f
                   or c in "\u200e\u200f\u202a\u202b\u202c\u202d\u202e\u2066\u2067\u2068\u2069\u061c"]
            assert bad == [], (n, bad)
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        shutil.rmtree(home, ignore_errors=True)


def scenario_stderr_unread(nodes, net, kavetchat):
    """kavetchat with standard error a pipe nobody reads, under a flood of
    messages it prints: SIGTERM still ends it in order, and it saves."""
    a = nodes[0]
    home = tempfile.mkdtemp(prefix="kcunread-")
    env = dict(os.environ)
    for var, sub in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                     ("XDG_RUNTIME_DIR", "run"), ("HOME", "home")):
        path = os.path.join(home, sub)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[var] = path
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    r, w = os.pipe()  # never read
    proc = subprocess.Popen(["ip", "netns", "exec", net.names[-1], kavetchat, "--headless", "--interface", "eth0"],
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=w, env=env)
    os.close(w)
    try:
        seen = a.wait(lambda e: e["event"] == "user" and e["change"] == "new", 20)
        count, body = 3000, "u" * 1000
        a.proc.stdin.write("".join("say %s %d\n" % (body, i) for i in range(count)))
        a.proc.stdin.flush()
        a.wait(lambda e: e["event"] == "message" and e["body"] == "%s %d" % (body, count - 1), 60)
        settle(1.0)
        assert proc.poll() is None, "kavetchat ended early with %s" % proc.returncode
        mark = len(a.events)
        proc.send_signal(15)
        try:
            code = proc.wait(30)  # against a hang, not a timing
        except subprocess.TimeoutExpired:
            raise AssertionError("kavetchat did not end after SIGTERM with standard error unread")
        assert code == 0, code
        a.wait(lambda e: e["event"] == "user" and e["change"] == "disconnect" and e["id"] == seen["id"], 10,
               start=mark)
        ini = os.path.join(home, "config", "Dornick", "Kavet Chat.ini")
        with open(ini, encoding="latin-1") as f:
            text = f.read()
        assert "ShowHint" in text, text[:500]
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        os.close(r)
        shutil.rmtree(home, ignore_errors=True)


def field_of(data, name):
    start = data.index(b"<" + name + b">") + len(name) + 2
    return data[start:data.index(b"</" + name + b">", start)]


SCENARIOS = {
    "see_each_other": (3, scenario_see_each_other),
    "say_once": (3, scenario_say_once),
    "private": (3, scenario_private),
    "group": (3, scenario_group),
    "autoreply": (2, scenario_autoreply),
    "quit_disconnect": (3, scenario_quit_disconnect),
    "malformed": (3, scenario_malformed),
    "burst_400": (2, scenario_burst_400),
    "burst_2000": (2, scenario_burst_2000),
    "codepage_1252": (2, scenario_codepage_1252),
    "newcomer_flood": (2, scenario_newcomer_flood),
    "forged_sender": (3, scenario_forged_sender),
    "history_bound": (2, scenario_history_bound, {"args": ["--history-limits", "200000", "400000"]}),
    "talker_survives_new_flood": (2, scenario_talker_survives_new_flood),
    "stderr_unread": (1, scenario_stderr_unread, {"kavetchat": True}),
    "hostile_text": (1, scenario_hostile_text, {"kavetchat": True}),
}


def run_scenario(chatnode, name, kavetchat=None):
    count, body, extra = (SCENARIOS[name] + ({},))[:3]
    if extra.get("kavetchat") and not kavetchat:
        raise AssertionError("needs --kavetchat")
    # A scenario with kavetchat has one more namespace for it.
    net = Network(count + (1 if extra.get("kavetchat") else 0))
    nodes = []
    try:
        nodes = start_all(chatnode, net, count, extra.get("args", ()))
        if extra.get("kavetchat"):
            body(nodes, net, kavetchat)
        else:
            body(nodes)
        for node in nodes:
            if node.alive():
                assert not node.matching(lambda e: e["event"] == "bad-output")
    finally:
        for node in nodes:
            node.stop()
        net.close()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--chatnode", required=True)
    ap.add_argument("--kavetchat")
    ap.add_argument("--scenario", action="append")
    ap.add_argument("--list", action="store_true")
    args = ap.parse_args()
    if args.list:
        print("\n".join(SCENARIOS))
        return
    names = args.scenario or list(SCENARIOS)
    for n in names:
        if n not in SCENARIOS:
            fail("unknown scenario " + n)
    chatnode = os.path.abspath(args.chatnode)
    if not os.access(chatnode, os.X_OK):
        fail("chatnode not found: " + chatnode)
    enter_private_namespaces()
    check_isolated()
    failed = 0
    for n in names:
        t0 = time.monotonic()
        try:
            run_scenario(chatnode, n, os.path.abspath(args.kavetchat) if args.kavetchat else None)
            print("PASS %s (%.1fs)" % (n, time.monotonic() - t0), flush=True)
        except Exception as e:  # a failed scenario must not keep the others from running
            failed += 1
            print("FAIL %s: %s" % (n, e), flush=True)
    print("%d passed, %d failed" % (len(names) - failed, failed), flush=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
