#!/usr/bin/env python3
"""kavetchat windows driven with xdotool on a network of the harness's own.

Run by KavetChatWindowsX11Test.sh under xvfb-run. The namespaces, the bridge
and the addresses are those of tests/net/chatnet.py; this harness refuses to
run outside them.
"""
import argparse
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "net"))
import chatnet  # noqa: E402
from chatnet import PORT, SUBNET  # noqa: E402

CODEPAGE = "1251"
FAILURES = []


def check(cond, what):
    print(("ok: " if cond else "FAIL: ") + what, flush=True)
    if not cond:
        FAILURES.append(what)
    return cond


def wait_until(pred, timeout, step=0.05):
    end = time.monotonic() + timeout
    while True:
        value = pred()
        if value:
            return value
        if time.monotonic() > end:
            return value
        time.sleep(step)


def homes(prefix):
    home = tempfile.mkdtemp(prefix=prefix)
    env = dict(os.environ)
    for var, sub in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                     ("XDG_RUNTIME_DIR", "run"), ("HOME", "home")):
        path = os.path.join(home, sub)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[var] = path
    env["KAVET_CODEPAGE"] = CODEPAGE
    return home, env


class ChatNode(chatnet.Node):
    """A chatnode as chatnet runs it, in the code page of this test."""

    def __init__(self, chatnode, ns, n):
        self.n = n
        self.home, env = homes("kcnode%d-" % n)
        env["QT_QPA_PLATFORM"] = "offscreen"
        self.events = []
        self.cond = threading.Condition()
        self.proc = subprocess.Popen(["ip", "netns", "exec", ns, chatnode, "--interface", "eth0"],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE, env=env, text=True, encoding="utf-8")
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.errors = []
        threading.Thread(target=self._read_err, daemon=True).start()
        ready = self.wait(lambda e: e["event"] == "ready", 10)
        self.id, self.ip = ready["id"], ready["ip"]


class Window:
    """One kavetchat with its window, its own folders and a dump file."""

    def __init__(self, binary, ns, alias, home=None):
        self.binary, self.ns, self.alias = binary, ns, alias
        if home is None:
            self.home, self.env = homes("kcwin-")
            ini = os.path.join(self.env["XDG_CONFIG_HOME"], "Dornick", "Kavet Chat.ini")
            os.makedirs(os.path.dirname(ini))
            with open(ini, "w") as f:
                f.write("[MYPROFILEUSER_]\nALIAS_=%s\n" % alias)
        else:
            self.home, self.env = home
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.dump = os.path.join(self.home, "dump.json")
        self.log = os.path.join(self.home, "stderr.log")
        self.proc = None

    def command(self):
        return ["ip", "netns", "exec", self.ns, self.binary, "--interface", "eth0", "--dump", self.dump]

    def start(self):
        if os.path.exists(self.dump):
            os.unlink(self.dump)
        self.proc = subprocess.Popen(self.command(), stdout=subprocess.DEVNULL,
                                     stderr=open(self.log, "a"), env=self.env)

    def state(self):
        try:
            with open(self.dump, encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return None

    def wait_state(self, pred, timeout=15):
        def probe():
            s = self.state()
            return s if s is not None and pred(s) else None
        return wait_until(probe, timeout)

    def window_id(self):
        # The frame the window manager manages, as wmctrl lists it with its pid.
        r = subprocess.run(["wmctrl", "-lp"], stdout=subprocess.PIPE, text=True)
        for line in r.stdout.splitlines():
            f = line.split(None, 4)
            if len(f) == 5 and f[2] == str(self.proc.pid) and f[4].startswith("Kavet Chat"):
                return f[0]
        return None

    def focus(self):
        wid = wait_until(self.window_id, 10)
        if not wid:
            raise AssertionError("no window of %s" % self.alias)
        subprocess.run(["wmctrl", "-i", "-a", wid], stderr=subprocess.DEVNULL)
        wait_until(lambda: subprocess.run(["xdotool", "getactivewindow"], stdout=subprocess.PIPE,
                                          text=True).stdout.strip() == str(int(wid, 16)), 5)
        return wid

    def type(self, text):
        self.focus()
        subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)

    def type_checked(self, text):
        """Types text a character at a time, each checked in the dump: a
        character typed while the server's keymap is being changed for the
        one before can arrive as another (xdotool maps each character
        outside the keymap onto a spare key)."""
        self.focus()
        def active_input():
            s = self.state() or {}
            t = [t for t in s.get("tabs", []) if t.get("active")]
            return t[0].get("input") if t else None
        start = active_input() or ""
        for i, ch in enumerate(text):
            want = start + text[:i + 1]
            for attempt in range(5):
                subprocess.run(["xdotool", "type", "--delay", "40", ch], check=True)
                got = wait_until(lambda: active_input() if (active_input() or "").startswith(want[:-1])
                                 and len(active_input() or "") >= len(want) else None, 5)
                if got == want:
                    break
                # Whatever came instead goes again.
                extra = len(got or "") - len(want) + 1
                for _ in range(max(extra, 0)):
                    subprocess.run(["xdotool", "key", "BackSpace"], check=True)
                wait_until(lambda: active_input() == want[:-1], 5)
            else:
                raise AssertionError("cannot type %r: the input box holds %r" % (ch, active_input()))

    def key(self, *keys):
        self.focus()
        subprocess.run(["xdotool", "key", "--delay", "40"] + list(keys), check=True)

    def history(self):
        folder = os.path.join(self.env["XDG_DATA_HOME"], "kavet-chat", "History")
        return sorted(os.listdir(folder)) if os.path.isdir(folder) else []

    def history_text(self, name):
        path = os.path.join(self.env["XDG_DATA_HOME"], "kavet-chat", "History", name)
        with open(path, "rb") as f:
            return f.read()

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(20)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class Desktop:
    """What a scenario on X sets up: a network of count namespaces of its
    own, openbox, and the windows and chatnodes it starts there. close()
    ends them all and, after a failure, shows what the windows wrote."""

    def __init__(self, count):
        chatnet.check_isolated()
        if not os.environ.get("DISPLAY"):
            chatnet.fail("no DISPLAY: run under xvfb-run")
        self.windows, self.nodes, self.cleanup = [], [], []
        self.net = chatnet.Network(count)
        self.wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(lambda: subprocess.run(["wmctrl", "-m"], stdout=subprocess.DEVNULL,
                                                 stderr=subprocess.DEVNULL).returncode == 0, 10):
            self.close()
            chatnet.fail("openbox did not start")

    def window(self, binary, n, alias):
        """A window in the n-th namespace (from 0)."""
        w = Window(binary, self.net.names[n], alias)
        self.windows.append(w)
        return w

    def node(self, chatnode, n):
        node = ChatNode(chatnode, self.net.names[n], n + 1)
        self.nodes.append(node)
        return node

    def close(self):
        if FAILURES:
            for w in self.windows:
                print("--- %s: stderr" % w.alias)
                try:
                    with open(w.log, errors="replace") as f:
                        print(f.read()[-3000:])
                except OSError:
                    pass
                print("--- %s: last dump" % w.alias)
                state = w.state()
                if state is None and os.path.exists(w.dump):
                    with open(w.dump, errors="replace") as f:
                        print("unreadable: " + f.read()[:3000])
                else:
                    print(json.dumps(state, ensure_ascii=False)[:3000])
        for step in reversed(self.cleanup):
            step()
        for w in self.windows:
            w.stop()
        for node in self.nodes:
            node.stop()
        self.wm.terminate()
        self.wm.wait()
        self.net.close()
        for w in self.windows:
            shutil.rmtree(w.home, ignore_errors=True)


def tab(state, index):
    tabs = state.get("tabs", [])
    return tabs[index] if 0 <= index < len(tabs) else {}


def active_tab(state):
    for i, t in enumerate(state.get("tabs", [])):
        if t.get("active"):
            return i
    return -1


class Wire:
    """The harness on the bridge as 198.18.0.254: sees every broadcast."""

    def __init__(self):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 16 << 20)
        self.sock.bind(("", PORT))
        self.sock.setblocking(False)
        self.seen = []

    def drain(self):
        while True:
            try:
                data, addr = self.sock.recvfrom(70000)
            except BlockingIOError:
                return
            self.seen.append((data, addr[0]))

    def find(self, needle, source, timeout=10):
        def probe():
            self.drain()
            return any(needle in d and a == source for d, a in self.seen)
        return wait_until(probe, timeout)


def message_from(node, sender, body, talk=None, start=0):
    return [e for e in node.events[start:] if e["event"] == "message" and e["from"] == sender
            and e["body"] == body and (talk is None or e["talk"] == talk)]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--kavetchat", required=True)
    ap.add_argument("--chatnode", required=True)
    args = ap.parse_args()
    chatnet.enter_private_namespaces()
    desk = Desktop(3)
    try:
        wire = Wire()
        node = desk.node(args.chatnode, 2)
        # A file block in the alias: every presence line shows it as text.
        node.send("profile ALIAS_ {[!CONTROLFILE!]}|{X}|198.18.0.3|0|/etc/passwd{[!/CONTROLFILE!]}")
        node.sync()
        a = desk.window(args.kavetchat, 0, "Anna")
        b = desk.window(args.kavetchat, 1, "Boris")
        windows = [a, b]
        for w in windows:
            w.start()
        for w in windows:
            s = w.wait_state(lambda s, w=w: s["window"]["visible"] and s["window"]["title"] == "Kavet Chat [%s]"
                             % w.alias and "node" not in s)
            check(s is not None, "%s: window \"Kavet Chat [%s]\" shown" % (w.alias, w.alias))
        new_a = node.wait(lambda e: e["event"] == "user" and e["change"] == "new" and e["ip"] == SUBNET + ".1", 15)
        node.wait(lambda e: e["event"] == "user" and e["change"] == "new" and e["ip"] == SUBNET + ".2", 15)
        a_id = new_a["id"]
        s = a.wait_state(lambda s: "{[!CONTROLFILE!]}" in tab(s, 0).get("transcript", ""))
        check(s is not None and s["dialogs"] == [],
              "an alias with a file block shows as text and opens no window: %s" % (s and s["dialogs"]))
        a.wait_state(lambda s: "IP: %s.1" % SUBNET in s["status"][2])
        check(a.state()["status"][1] == "Anna", "status panels show alias and IP: %s" % a.state()["status"][:3])

        # Typed text goes out byte for byte, to the node and the other window.
        cases = [("latin", "Hello from Anna", "Return"), ("cyrillic", "Привет, мир", "Return"),
                 ("keypad enter", "sent with the keypad", "KP_Enter")]
        for name, text, key in cases:
            mark = len(node.events)
            a.type_checked(text)
            a.key("ctrl+" + key)
            got = chatnet.Node.wait(node, lambda e, t=text: e["event"] == "message" and e["body"] == t, 10, mark) \
                if wait_until(lambda t=text: message_from(node, a_id, t, 0, mark), 10) else None
            check(got is not None and got["from"] == a_id and got["talk"] == 0, "%s: chatnode got %r" % (name, text))
            check(wire.find(text.encode("cp" + CODEPAGE), SUBNET + ".1"),
                  "%s: on the wire in cp%s" % (name, CODEPAGE))
            check(b.wait_state(lambda s, t=text: t in tab(s, 0).get("transcript", "")) is not None,
                  "%s: Boris's window shows it" % name)
            check(a.wait_state(lambda s: tab(s, 0).get("input") == "") is not None, "%s: input box emptied" % name)

        # Chinese shows in the input box as typed (not as "?"); the message
        # goes out in the code page, with "?" for what it lacks, and the
        # notice panel names the characters that could not be sent.
        mark = len(node.events)
        a.type_checked("中文 ok")
        check(tab(a.state(), 0).get("input") == "中文 ok", "Chinese shows in the input box: %r"
              % tab(a.state(), 0).get("input"))
        a.key("ctrl+Return")
        got = node.wait(lambda e: e["event"] == "message" and e["from"] == a_id and e["body"] == "?? ok", 10, mark)
        check(got is not None, "Chinese goes out as \"?\" in cp%s" % CODEPAGE)
        s = a.wait_state(lambda s: "中文" in s["status"][-1])
        check(s is not None and "2 characters" in s["status"][-1],
              "the notice names what could not be sent: %r" % (a.state() or {}).get("status", [""])[-1:])

        # An empty input box sends nothing.
        wire.drain()
        wire.seen.clear()
        mark = len(node.events)
        a.key("ctrl+Return")
        time.sleep(1.5)
        wire.drain()
        check(not any(d.startswith(b"MESSAGE!") and src == SUBNET + ".1" for d, src in wire.seen)
              and not [e for e in node.events[mark:] if e["event"] == "message"], "empty input box sends nothing")

        # A talk the node opens: a tab that takes the page (the box was empty);
        # the answer typed there goes privately.
        node.send("private %s Are you there?" % a_id)
        s = a.wait_state(lambda s: len(s["tabs"]) == 2 and "Are you there?" in tab(s, 1).get("transcript", ""))
        check(s is not None and tab(s, 1).get("kind") == "private" and active_tab(s) == 1,
              "private talk opened as the active tab")
        mark = len(node.events)
        a.type("Yes, here")
        a.key("ctrl+Return")
        check(wait_until(lambda: message_from(node, a_id, "Yes, here", 2, mark), 10),
              "the answer typed in the private tab reaches the node privately")

        # While the user types, a new talk opens behind: the draft stays and
        # goes where it was typed.
        a.type("draft for the node")
        a.wait_state(lambda s: tab(s, 1).get("input") == "draft for the node")
        node.send("group Team %s team news" % a_id)
        s = a.wait_state(lambda s: len(s["tabs"]) == 3 and "team news" in tab(s, 2).get("transcript", ""))
        check(s is not None and tab(s, 2).get("kind") == "other group" and active_tab(s) == 1
              and tab(s, 1).get("input") == "draft for the node",
              "a talk opened while typing waits behind: %s" % (s and [(t["caption"], t["active"]) for t in s["tabs"]]))
        mark = len(node.events)
        a.key("ctrl+Return")
        check(wait_until(lambda: message_from(node, a_id, "draft for the node", 2, mark), 10)
              and not [e for e in node.events[mark:] if e["event"] == "message" and e["talk"] in (1, 3)],
              "the draft went to the private talk, not the group")

        # A flood from made-up IDs does not stop the window from sending.
        sender = chatnet.raw_socket()
        bcast = (SUBNET + ".255", PORT)
        t0 = time.monotonic()
        for i in range(1000):
            if i % 2:
                data = "NEW!^:^$<ALIAS>fake%d</ALIAS><IP>198.18.0.%d</IP><ID>{FAKE-%05d}</ID>" % (i, 100 + i % 100, i)
            else:
                data = ("MESSAGE!^:^$<ALIAS>fake</ALIAS><IP>198.18.0.%d</IP><ID>{FAKE-%05d}</ID>"
                        "<IMAGEINDEX>11</IMAGEINDEX><COLOR>%d</COLOR><MESSAGESTR>flood %d</MESSAGESTR>"
                        % (100 + i % 100, i, i * 2654435 % 0xFFFFFF, i))
            sender.sendto(data.encode(), bcast)
            if i % 100 == 99:
                time.sleep(0.02)
            if time.monotonic() - t0 > 60:
                raise AssertionError("flood took too long to send")
        check(a.wait_state(lambda s: "flood 998" in tab(s, 0).get("transcript", ""), 60) is not None,
              "the window shows the flood")
        mark = len(node.events)
        a.type("after the flood")
        a.key("ctrl+Return")
        check(wait_until(lambda: [e for e in node.events[mark:] if e["event"] == "message"
                                  and e["from"] == a_id and e["body"] == "after the flood"], 60),
              "typed text still goes out after 1,000 datagrams from made-up IDs")

        # The close button (WM_DELETE_WINDOW through the window manager).
        before = a.state()
        wid = a.window_id()
        mark = len(node.events)
        subprocess.run(["wmctrl", "-i", "-c", wid], check=True)
        try:
            rc = a.proc.wait(30)
        except subprocess.TimeoutExpired:
            rc = None
        check(rc == 0, "the close button ends the program with 0 (rc %s)" % rc)
        check(wait_until(lambda: [e for e in node.events[mark:] if e["event"] == "user"
                                  and e["change"] == "disconnect" and e["id"] == a_id], 10),
              "the close button sends DISCONNECT")
        files = a.history()
        check(len(files) == 3 and files[0].startswith("All Users and Anna ")
              and any(" Team and Anna " in f for f in files),
              "history written for the three talks: %s" % files)
        private = [f for f in files if not f.startswith("All Users") and " Team and Anna " not in f]
        check(private and b"Yes, here" in a.history_text(private[0]),
              "the private talk's history holds the answer")

        # A restart brings the window and its toolbars back.
        a.start()
        s = a.wait_state(lambda s: s["window"]["visible"] and s["window"]["title"] == "Kavet Chat [Anna]")
        check(s is not None and [d["toolbars"] for d in s["docks"]] == [d["toolbars"] for d in before["docks"]]
              and s["window"]["geometry"]["width"] == before["window"]["geometry"]["width"],
              "a restart brings window and toolbars back")
        # A second start ends at once and leaves the first running, brought
        # back from the minimised state.
        subprocess.run(["xdotool", "windowminimize", str(int(a.focus(), 16))], check=True)
        a.wait_state(lambda s: s["window"]["minimized"], 10)
        t0 = time.monotonic()
        second = subprocess.run(a.command(), stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=a.env,
                                timeout=30, text=True)
        check(second.returncode == 0 and "another copy is running" in second.stderr
              and a.proc.poll() is None, "a second start ends at once (%.1f s)" % (time.monotonic() - t0))
        check(a.wait_state(lambda s: s["window"]["visible"] and not s["window"]["minimized"], 10) is not None,
              "the second start brings the running window back")
    finally:
        desk.close()
    if FAILURES:
        print("%d failure(s)" % len(FAILURES))
        sys.exit(1)
    print("all passed")


if __name__ == "__main__":
    main()
