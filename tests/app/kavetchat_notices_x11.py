#!/usr/bin/env python3
"""Desktop notifications and the tray of a kavetchat window, driven on a
network of the harness's own.

Run by KavetChatNoticesX11Test.sh under xvfb-run and dbus-run-session (a
private session bus on a socket file). The namespaces, the bridge and the
addresses are those of tests/net/chatnet.py; this harness refuses to run
outside them.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "net"))
sys.path.insert(0, HERE)
import chatnet  # noqa: E402
import kavetchat_windows_x11 as kw  # noqa: E402
from kavetchat_windows_x11 import check, wait_until  # noqa: E402


class Monitor:
    """dbus-monitor on the session bus: the Notify calls and their answers."""

    def __init__(self):
        self.proc = subprocess.Popen(
            ["dbus-monitor", "--session", "interface='org.freedesktop.Notifications'", "type='method_return'"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, errors="replace")
        self.lines = []
        self.lock = threading.Lock()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            with self.lock:
                self.lines.append(line.rstrip("\n"))

    def calls(self):
        """Every Notify call as (sender, serial, [arguments]) plus the ids
        the daemon answered, by (sender, serial)."""
        with self.lock:
            lines = list(self.lines)
        calls, answers, cur = [], {}, None
        for line in lines:
            if not line.startswith(" "):
                cur = None
                m = re.match(r"method call .*sender=(\S+) .*serial=(\d+) .*member=Notify$", line)
                if m:
                    cur = (m.group(1), int(m.group(2)), [])
                    calls.append(cur)
                    continue
                m = re.match(r"method return .*destination=(\S+) serial=\d+ reply_serial=(\d+)", line)
                if m:
                    cur = ("return", (m.group(1), int(m.group(2))), [])
                    answers[cur[1]] = cur[2]
                continue
            if cur is not None:
                cur[2].append(line.strip())
        out = []
        for sender, serial, args in calls:
            ret = answers.get((sender, serial), [])
            rid = int(ret[0].split()[1]) if ret and ret[0].startswith("uint32") else None
            out.append({"args": args, "id": rid})
        return out

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


def arg(call, n):
    """The n-th top-level argument's text of a Notify call (0-based)."""
    tops = [a for a in call["args"] if re.match(r"(string|uint32|int32|array) ", a)]
    return tops[n] if n < len(tops) else ""


def displayed():
    r = subprocess.run(["dunstctl", "count", "displayed"], stdout=subprocess.PIPE, text=True)
    return int(r.stdout.strip() or -1)


def tray_icon_window(pid):
    """The small window Qt embeds into the tray host."""
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)], stdout=subprocess.PIPE, text=True)
    for wid in r.stdout.split():
        g = subprocess.run(["xdotool", "getwindowgeometry", wid], stdout=subprocess.PIPE, text=True).stdout
        m = re.search(r"Geometry: (\d+)x(\d+)", g)
        if m and int(m.group(1)) <= 64 and int(m.group(2)) <= 64:
            return wid
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--kavetchat", required=True)
    ap.add_argument("--chatnode", required=True)
    args = ap.parse_args()
    chatnet.enter_private_namespaces()
    chatnet.check_isolated()
    if not os.environ.get("DISPLAY"):
        chatnet.fail("no DISPLAY: run under xvfb-run")
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS", "").startswith("unix:path="):
        chatnet.fail("no private session bus on a socket file: run under dbus-run-session")

    net = chatnet.Network(2)
    wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    daemon = subprocess.Popen(["dunst"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    trayer = None
    monitor = None
    window, node = None, None
    try:
        if not wait_until(lambda: subprocess.run(["wmctrl", "-m"], stdout=subprocess.DEVNULL,
                                                 stderr=subprocess.DEVNULL).returncode == 0, 10):
            chatnet.fail("openbox did not start")
        if not wait_until(lambda: displayed() >= 0, 10):
            chatnet.fail("dunst did not start")
        monitor = Monitor()
        window = kw.Window(args.kavetchat, net.names[0], "Anna")
        ini = os.path.join(window.env["XDG_CONFIG_HOME"], "Dornick", "Kavet Chat.ini")
        with open(ini, "a") as f:
            f.write("[HideInTrey]\nValue=1\n")
        window.start()
        s = window.wait_state(lambda s: s["window"]["visible"] and s["window"]["title"] == "Kavet Chat [Anna]")
        check(s is not None, "window shown")
        node = kw.ChatNode(args.chatnode, net.names[1], 2)
        node.send("profile ALIAS_ <b>Nora&Co</b>")
        node.sync()
        node.wait(lambda e: e["event"] == "user" and e["change"] == "new", 15)
        arrival = wait_until(lambda: [c for c in monitor.calls() if c["id"] is not None], 15)
        check(arrival and "connect" in arrival[0]["args"][4], "an arrival raises a notification: %s"
              % (arrival and arrival[0]["args"][4]))
        time.sleep(1.0)

        # A message: one Notify; the next one replaces it.
        mark = len(monitor.calls())
        node.send("say first message")
        window.wait_state(lambda s: "first message" in kw.tab(s, 0).get("transcript", ""), 15)
        first = wait_until(lambda: [c for c in monitor.calls()[mark:] if c["id"] is not None], 10)
        check(first and len(first) == 1, "a message raises one Notify: %s" % first)
        if first:
            c = first[0]
            check(arg(c, 0) == 'string "Kavet Chat"' and arg(c, 2) == 'string "kavetchat"',
                  "app name and icon: %s %s" % (arg(c, 0), arg(c, 2)))
            check(any('"im.received"' in a for a in c["args"]), "category im.received")
            check("&lt;b&gt;Nora&amp;Co&lt;/b&gt;" in arg(c, 4) and "<b>" not in arg(c, 4),
                  "the body is escaped: %s" % arg(c, 4))
        mark2 = len(monitor.calls())
        node.send("say second message")
        window.wait_state(lambda s: "second message" in kw.tab(s, 0).get("transcript", ""), 15)
        second = wait_until(lambda: [c for c in monitor.calls()[mark2:] if c["id"] is not None], 10)
        check(second and len(second) == 1 and first
              and arg(second[0], 1) == "uint32 %d" % first[0]["id"] and second[0]["id"] == first[0]["id"],
              "the second replaces the first: %s" % (second and arg(second[0], 1)))
        check(wait_until(lambda: displayed() == 1, 5), "one notification on screen (%d)" % displayed())

        # No tray host: minimising never hides the window.
        wid = window.focus()
        subprocess.run(["xdotool", "windowminimize", str(int(wid, 16))], check=True)
        s = window.wait_state(lambda s: s["window"]["minimized"], 10)
        time.sleep(1.5)
        s = window.state()
        check(s is not None and s["window"]["visible"], "without a tray minimising does not hide the window")
        subprocess.run(["wmctrl", "-i", "-a", wid], check=True)
        check(window.wait_state(lambda s: not s["window"]["minimized"], 10) is not None, "restored")

        # With a tray host: minimising hides it there, a click brings it back.
        trayer = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                                   "--height", "24", "--SetDockType", "true"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        check(wait_until(lambda: subprocess.run(["xdotool", "search", "--classname", "trayer"],
                                                stdout=subprocess.DEVNULL).returncode == 0, 10), "trayer started")
        # The tray host announces itself to running programs shortly after
        # its window appears: a minimise before that stays on the desktop.
        s = None
        for _ in range(3):
            time.sleep(1.0)
            wid = window.focus()
            subprocess.run(["xdotool", "windowminimize", str(int(wid, 16))], check=True)
            s = window.wait_state(lambda s: not s["window"]["visible"], 5)
            if s is not None:
                break
            subprocess.run(["wmctrl", "-i", "-a", wid], check=True)
            window.wait_state(lambda s: s["window"]["visible"] and not s["window"]["minimized"], 10)
        check(s is not None, "with a tray minimising hides the window")
        icon = wait_until(lambda: tray_icon_window(window.proc.pid), 10)
        check(icon is not None, "the tray icon is there")
        if icon:
            subprocess.run(["xdotool", "mousemove", "--window", icon, "8", "8"], check=True)
            subprocess.run(["xdotool", "click", "1"], check=True)
            s = window.wait_state(lambda s: s["window"]["visible"] and not s["window"]["minimized"], 10)
            check(s is not None, "a click on the tray icon brings the window back")
            check(wait_until(lambda: tray_icon_window(window.proc.pid) is None, 5),
                  "the tray icon goes once the window is back")
    finally:
        if kw.FAILURES and window:
            print("--- stderr")
            with open(window.log, errors="replace") as f:
                print(f.read()[-3000:])
            print("--- monitor")
            print("\n".join(monitor.lines[-80:]) if monitor else "")
        if window:
            window.stop()
        if node:
            node.stop()
        for p in (trayer, daemon, wm):
            if p:
                p.terminate()
                p.wait()
        if monitor:
            monitor.stop()
        net.close()
        if window:
            shutil.rmtree(window.home, ignore_errors=True)
    if kw.FAILURES:
        print("%d failure(s)" % len(kw.FAILURES))
        sys.exit(1)
    print("all passed")


if __name__ == "__main__":
    main()
