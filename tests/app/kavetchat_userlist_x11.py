#!/usr/bin/env python3
"""The user list of kavetchat driven with xdotool, three copies on a network
of the harness's own: typing a name in the list and Ctrl+U open a private
talk whose text reaches that user only; a group made in the list with that
user in it opens its talk at his copy only; peers leaving while the
private-close question is open do no harm; Ctrl+L hides the list and it
stays hidden, with the group, after kill -9 and a restart.

Run by KavetChatUserListX11Test.sh under xvfb-run. The namespaces and the
windows are those of kavetchat_windows_x11.py (tests/net/chatnet.py), which
refuses to run outside namespaces of its own.
"""
import argparse
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import kavetchat_windows_x11 as kw  # noqa: E402
from kavetchat_windows_x11 import check, tab, wait_until, FAILURES  # noqa: E402

chatnet = kw.chatnet


def users(state, caption=None):
    """The user texts of the list's groups (of one group when named)."""
    groups = ((state or {}).get("userList") or {}).get("groups", [])
    return [u["text"] for g in groups if caption is None or g["caption"] == caption for u in g["users"]]


def group(state, caption):
    for g in ((state or {}).get("userList") or {}).get("groups", []):
        if g["caption"] == caption:
            return g
    return None


def list_window(w):
    r = subprocess.run(["wmctrl", "-lp"], stdout=subprocess.PIPE, text=True)
    for line in r.stdout.splitlines():
        f = line.split(None, 4)
        if len(f) == 5 and f[2] == str(w.proc.pid) and f[4].startswith("User list"):
            return f[0]
    return None


def focus_list(w):
    wid = wait_until(lambda: list_window(w), 10)
    if not wid:
        raise AssertionError("no user list window of %s" % w.alias)
    subprocess.run(["wmctrl", "-i", "-a", wid], stderr=subprocess.DEVNULL)
    wait_until(lambda: subprocess.run(["xdotool", "getactivewindow"], stdout=subprocess.PIPE,
                                      text=True).stdout.strip() == str(int(wid, 16)), 5)
    return wid


def list_keys(w, *keys):
    focus_list(w)
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(keys), check=True)


def list_type(w, text):
    focus_list(w)
    subprocess.run(["xdotool", "type", "--delay", "60", text], check=True)


def drag(from_xy, to_xy):
    x0, y0 = from_xy
    x1, y1 = to_xy
    subprocess.run(["xdotool", "mousemove", str(x0), str(y0), "mousedown", "1"], check=True)
    steps = 12
    for i in range(1, steps + 1):
        x = x0 + (x1 - x0) * i // steps
        y = y0 + (y1 - y0) * i // steps
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], check=True)
        time.sleep(0.05)
    subprocess.run(["xdotool", "mouseup", "1"], check=True)


def any_text(state, text):
    return any(text in t.get("transcript", "") for t in (state or {}).get("tabs", []))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--kavetchat", required=True)
    args = ap.parse_args()
    chatnet.enter_private_namespaces()
    desk = kw.Desktop(3)
    try:
        alice = desk.window(args.kavetchat, 0, "alice")
        bob = desk.window(args.kavetchat, 1, "bob")
        carol = desk.window(args.kavetchat, 2, "carol")
        windows = [alice, bob, carol]
        for w in windows:
            w.start()
        for w in windows:
            others = sorted(o.alias for o in windows if o is not w)
            s = w.wait_state(lambda s, o=others: s["window"]["visible"] and sorted(users(s)) == o, 30)
            check(s is not None and s["userList"]["visible"],
                  "%s's user list shows %s" % (w.alias, others))
        # The main group's box grows to show both rows whole, no scrolling.
        def rows_whole(s):
            for g in s["userList"]["groups"]:
                ys = sorted(u["center"][1] for u in g["users"])
                if g["tag"] == 1 and len(ys) >= 2:
                    return ys[-1] + (ys[1] - ys[0]) // 2 <= g["rect"][1] + g["rect"][3]
            return False
        main_box = alice.wait_state(rows_whole, 10)
        check(main_box is not None, "the main group's box shows every user: %s"
              % [(g["caption"], g["rect"]) for g in ((alice.state() or {}).get("userList") or {}).get("groups", [])])

        # Typing "bob" in alice's list selects him; Ctrl+U opens the talk.
        list_type(alice, "bob")
        s = alice.wait_state(lambda s: any(u["text"] == "bob" and u["selected"]
                                           for g in s["userList"]["groups"] for u in g["users"]), 10)
        check(s is not None, "typing \"bob\" in the list selects him")
        list_keys(alice, "ctrl+u")
        s = alice.wait_state(lambda s: len(s["tabs"]) == 2 and tab(s, 1).get("kind") == "private"
                             and tab(s, 1).get("caption") == "bob" and tab(s, 1).get("active"), 10)
        check(s is not None, "Ctrl+U opens a private tab with bob, in front")
        alice.type("for bob only")
        alice.key("ctrl+Return")
        s = bob.wait_state(lambda s: any(t.get("kind") == "private" and "for bob only" in t.get("transcript", "")
                                         for t in s["tabs"]), 15)
        check(s is not None, "what alice types there reaches bob's private tab")
        time.sleep(1.0)
        check(not any_text(carol.state(), "for bob only"), "and not carol's window")

        # A group made in the list, bob dragged into it, its talk opened.
        list_keys(alice, "Insert")
        time.sleep(0.5)
        subprocess.run(["xdotool", "type", "--delay", "60", "Crew"], check=True)
        subprocess.run(["xdotool", "key", "Return"], check=True)
        s = alice.wait_state(lambda s: group(s, "Crew") is not None, 10)
        check(s is not None, "Insert and a typed name make the group \"Crew\"")
        if s is not None:
            bob_node = [u for g in s["userList"]["groups"] for u in g["users"] if u["text"] == "bob"][0]
            crew = group(s, "Crew")
            focus_list(alice)
            target = (crew["rect"][0] + crew["rect"][2] // 2, crew["rect"][1] + crew["rect"][3] // 2)
            drag(bob_node["center"], target)
            s = alice.wait_state(lambda s: users(s, "Crew") == ["bob"], 10)
            check(s is not None, "bob dragged into Crew: %s" % (s and s["userList"]["groups"]))
        list_keys(alice, "ctrl+g")
        s = alice.wait_state(lambda s: any(t.get("kind") == "own group" and t.get("caption") == "Crew"
                                           for t in s["tabs"]), 10)
        check(s is not None, "Ctrl+G in the list opens the group's talk")
        alice.type("crew news")
        alice.key("ctrl+Return")
        s = bob.wait_state(lambda s: any(t.get("kind") == "other group" and "crew news" in t.get("transcript", "")
                                         for t in s["tabs"]), 15)
        check(s is not None, "bob's window opens the group's tab")
        time.sleep(1.0)
        check(not any_text(carol.state(), "crew news")
              and not any(t.get("kind") == "other group" for t in carol.state()["tabs"]),
              "carol's window opens none")

        # Peers leave while the private-close question is open.
        subprocess.run(["wmctrl", "-i", "-c", bob.window_id()], check=True)
        s = alice.wait_state(lambda s: any(d["name"] == "fmInformation" for d in s["dialogs"]), 20)
        check(s is not None and len(s["tabs"]) == 3, "bob leaving asks, without closing yet")
        subprocess.run(["wmctrl", "-i", "-c", carol.window_id()], check=True)
        bob.start()
        bob.wait_state(lambda s: s["window"]["visible"], 20)
        alice.wait_state(lambda s: "bob" in users(s), 20)
        subprocess.run(["wmctrl", "-i", "-c", bob.window_id()], check=True)
        time.sleep(2.0)
        s = alice.state()
        check(alice.proc.poll() is None and s is not None
              and sum(1 for d in s["dialogs"] if d["name"] == "fmInformation") == 1,
              "peers leaving while it is open do no harm; one question: %s" % (s and s["dialogs"]))
        wid = wait_until(lambda: [l.split()[0] for l in subprocess.run(
            ["wmctrl", "-lp"], stdout=subprocess.PIPE, text=True).stdout.splitlines()
            if l.split(None, 4)[2:3] == [str(alice.proc.pid)] and "private talk" in l], 10)
        if wid:
            subprocess.run(["wmctrl", "-i", "-a", wid[0]], stderr=subprocess.DEVNULL)
            time.sleep(0.3)
            subprocess.run(["xdotool", "key", "Return"], check=True)
        s = alice.wait_state(lambda s: not any(t.get("kind") == "private" for t in s["tabs"]), 10)
        check(s is not None, "OK closes the private talk found again")

        # Ctrl+L hides the list; it stays hidden after kill -9 and a restart,
        # and the group is back.
        list_keys(alice, "ctrl+l")
        s = alice.wait_state(lambda s: not s["userList"]["visible"], 10)
        check(s is not None, "Ctrl+L hides the user list")
        time.sleep(0.5)
        alice.proc.send_signal(signal.SIGKILL)
        alice.proc.wait()
        alice.start()
        s = alice.wait_state(lambda s: s["window"]["visible"], 20)
        time.sleep(1.0)
        s = alice.state()
        check(s is not None and not s["userList"]["visible"], "after kill -9 and a restart the list stays hidden")
        check(group(s, "Crew") is not None, "and the group Crew is back")
    finally:
        desk.close()
    if FAILURES:
        print("%d failure(s)" % len(FAILURES))
        sys.exit(1)
    print("all passed")


if __name__ == "__main__":
    main()
