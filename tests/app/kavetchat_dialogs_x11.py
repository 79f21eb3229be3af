#!/usr/bin/env python3
"""kavetchat's own profile, its auto-reply and files dropped from another
program, driven with xdotool on a network of the harness's own.

- profile: two kavetchat windows talk privately; one shows the other's
  profile, where typing and Enter store and send nothing; it opens "My
  profile" from its toolbar and stores a new alias with Enter: the store
  holds it, exactly one UPDATEINFO goes out, and the other window's tab
  shows the new alias.
- autoreply: three stored variants; the third is chosen from the toolbar's
  Auto-Reply menu; the editor, opened from the same menu, deletes the first
  and stores twice: a chatnode's private message is still answered with the
  third variant's own text, marked as an automatic reply.
- drop: a file and a folder dragged from another program (XDND) onto the
  input box, the transcript and the status bar become file icons in the
  input box, sent as file blocks with the paths as dropped.

Run by KavetChatDialogsX11Test.sh under xvfb-run. The namespaces, the bridge
and the addresses are those of tests/net/chatnet.py; this harness refuses to
run outside them.
"""
import argparse
import os
import re
import select
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import kavetchat_windows_x11 as kw  # noqa: E402
import kavetchat_userlist_x11 as ul  # noqa: E402
from kavetchat_windows_x11 import check, tab, wait_until  # noqa: E402

chatnet = kw.chatnet
SUBNET = chatnet.SUBNET


def targets(state, name=None, caption=None, window=None):
    return [t for t in (state or {}).get("targets", [])
            if (name is None or t["name"] == name) and (caption is None or t["caption"] == caption)
            and (window is None or t["window"] == window)]


def dialog(state, title):
    return [d for d in (state or {}).get("dialogs", []) if d["title"] == title]


def centre(rect, dx=None):
    x, y, w, h = rect
    return (x + (w // 2 if dx is None else (dx if dx >= 0 else w + dx)), y + h // 2)


def click(point, button="1"):
    x, y = point
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
    time.sleep(0.2)
    subprocess.run(["xdotool", "click", button], check=True)


def click_target(w, what, dx=None, timeout=15, then=None, **match):
    """Clicks what the dump lists as matching, once it is there and stays
    where it is (a window the window manager is still placing moves). With
    then, clicks again until then(state) holds, a few times."""
    for attempt in range(3):
        found = stable_target(w, timeout, match)
        if not found:
            break
        click(centre(found["rect"], dx))
        if then is None or w.wait_state(then, 5) is not None:
            return found
    s = w.state() or {}
    shown = [(t["window"], t["name"], t["caption"], t["rect"]) for t in s.get("targets", [])
             if t["window"] != "fmKavetChat"]
    raise AssertionError("%s: %s; focus %s; other windows show %s"
                         % (w.alias, ("a click on %s does nothing" if found else "no %s on screen") % what,
                            s.get("focus"), shown))


def stable_target(w, timeout, match):
    last = None
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = targets(w.state(), **match)
        now = found[0] if found else None
        if now is not None and last is not None and now["rect"] == last["rect"]:
            return now
        last = now
        time.sleep(0.3)
    return None


def activate(w, title):
    """Brings the window of w with this title to the front."""
    def find():
        r = subprocess.run(["wmctrl", "-lp"], stdout=subprocess.PIPE, text=True)
        for line in r.stdout.splitlines():
            f = line.split(None, 4)
            if len(f) == 5 and f[2] == str(w.proc.pid) and f[4] == title:
                return f[0]
        return None
    wid = wait_until(find, 10)
    if not wid:
        raise AssertionError("%s: no window %r" % (w.alias, title))
    subprocess.run(["wmctrl", "-i", "-a", wid], stderr=subprocess.DEVNULL)
    wait_until(lambda: subprocess.run(["xdotool", "getactivewindow"], stdout=subprocess.PIPE,
                                      text=True).stdout.strip() == str(int(wid, 16)), 5)
    return wid


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "60"] + list(names), check=True)


def ini_text(w):
    path = os.path.join(w.env["XDG_CONFIG_HOME"], "Dornick", "Kavet Chat.ini")
    with open(path, "rb") as f:
        return f.read().decode("cp" + kw.CODEPAGE)


def ini_sections(text):
    return re.findall(r"^\[([^\]]+)\]", text, re.M)


def ini_value(text, section, ident):
    m = re.search(r"^\[%s\]\n((?:[^\[].*\n?)*)" % re.escape(section), text, re.M)
    if not m:
        return None
    v = re.search(r"^%s=(.*)$" % re.escape(ident), m.group(1), re.M)
    return v.group(1) if v else None


def start_windows(windows):
    for w in windows:
        w.start()
    for w in windows:
        s = w.wait_state(lambda s, w=w: s["window"]["visible"] and s["window"]["title"] == "Kavet Chat [%s]"
                         % w.alias, 120)
        if s is None:
            raise AssertionError("%s: window not shown" % w.alias)


# Scenarios ---------------------------------------------------------------

def scenario_profile(desk, args):
    anna = desk.window(args.kavetchat, 0, "Anna")
    boris = desk.window(args.kavetchat, 1, "Boris")
    wire = kw.Wire()
    start_windows([anna, boris])
    anna.wait_state(lambda s: "Boris" in ul.users(s), 30)
    # Anna opens a private talk with Boris from her list and writes in it:
    # Boris's window opens a tab with her name.
    ul.list_type(anna, "Boris")
    anna.wait_state(lambda s: any(u["text"] == "Boris" and u["selected"]
                                  for g in s["userList"]["groups"] for u in g["users"]), 10)
    ul.list_keys(anna, "ctrl+u")
    anna.wait_state(lambda s: tab(s, 1).get("kind") == "private" and tab(s, 1).get("active"), 10)
    anna.type("hello Boris")
    anna.key("ctrl+Return")
    s = boris.wait_state(lambda s: tab(s, 1).get("kind") == "private" and "hello Boris" in tab(s, 1)["transcript"])
    check(s is not None and tab(s, 1)["caption"] == "Anna", "Boris's window shows the talk with Anna: %s"
          % (s and [t["caption"] for t in s["tabs"]]))

    # Boris's profile (Alt+Enter in the talk with him) only shows: what is
    # typed into it and Enter store and send nothing.
    wire.drain()
    wire.seen.clear()
    stored = ini_text(anna)
    anna.key("alt+Return")
    s = anna.wait_state(lambda s: dialog(s, "User profile"), 15)
    check(s is not None and "Summary data for Boris" in dialog(s, "User profile")[0]["text"],
          "Alt+Enter shows Boris's profile: %s" % (s and s["dialogs"]))
    activate(anna, "User profile")
    click_target(anna, "\"Basic data\" in the tree", name="tvProfile", caption="Basic data",
                 then=lambda s: targets(s, name="edAlias"))
    click_target(anna, "the alias box", name="edAlias")
    subprocess.run(["xdotool", "type", "--delay", "60", "Mallory"], check=True)
    time.sleep(0.3)
    keys("Return")
    s = anna.wait_state(lambda s: not dialog(s, "User profile"), 10)
    check(s is not None, "Enter closes it")
    time.sleep(1.0)
    wire.drain()
    check(ini_text(anna) == stored and not [d for d, a in wire.seen if a == SUBNET + ".1"
                                            and d.startswith(b"UPDATEINFO!")],
          "nothing stored, nothing sent")

    # "My profile" on the toolbar; the page "Basic data"; a new alias; Enter.
    wire.drain()
    wire.seen.clear()
    anna.focus()
    click_target(anna, "My profile", dx=8, name="miMyProfile", then=lambda s: dialog(s, "User profile"))
    activate(anna, "User profile")
    click_target(anna, "\"Basic data\" in the tree", name="tvProfile", caption="Basic data",
                 then=lambda s: targets(s, name="edAlias"))
    click_target(anna, "the alias box", name="edAlias")
    s = anna.wait_state(lambda s: (s.get("focus") or {}).get("name") == "edAlias", 10)
    check(s is not None, "the alias box takes the focus")
    keys("ctrl+a", "BackSpace")
    subprocess.run(["xdotool", "type", "--delay", "60", "Carla & Co"], check=True)
    time.sleep(0.3)
    keys("Return")
    s = anna.wait_state(lambda s: not dialog(s, "User profile"), 10)
    check(s is not None, "Enter closes the dialog")
    check(wait_until(lambda: ini_value(ini_text(anna), "MYPROFILEUSER_", "ALIAS_") == "Carla & Co", 10),
          "the profile stores the new alias: %r" % ini_value(ini_text(anna), "MYPROFILEUSER_", "ALIAS_"))
    s = boris.wait_state(lambda s: tab(s, 1).get("caption") == "Carla & Co", 15)
    check(s is not None, "Boris's tab shows the new alias: %s" % [t["caption"] for t in boris.state()["tabs"]])
    # Whatever else was to come has come by now.
    time.sleep(2.0)
    wire.drain()
    updates = [d for d, a in wire.seen if a == SUBNET + ".1" and d.startswith(b"UPDATEINFO!")]
    check(len(updates) == 1 and b"<ALIAS>Carla & Co</ALIAS>" in updates[0],
          "one UPDATEINFO with the new alias goes out: %s" % updates)
    check(anna.state()["status"][1] == "Carla & Co", "the own status shows it: %s" % anna.state()["status"][:2])


def scenario_autoreply(desk, args):
    anna = desk.window(args.kavetchat, 0, "Anna")
    ini = os.path.join(anna.env["XDG_CONFIG_HOME"], "Dornick", "Kavet Chat.ini")
    with open(ini, "a") as f:
        for n in (1, 2, 3):
            f.write("[AMText!_%d]\nCaption=Away %d\nText=text %d\n" % (n, n, n))
    start_windows([anna])
    node = desk.node(args.chatnode, 1)
    new = node.wait(lambda e: e["event"] == "user" and e["change"] == "new" and e["ip"] == SUBNET + ".1", 30)
    anna_id = new["id"]

    # Auto-Reply > Variants > Away 3.
    anna.focus()
    click_target(anna, "Auto-Reply", dx=-5, name="miAnsweringMachine")
    click_target(anna, "Variants", name="miVariants")
    click_target(anna, "Away 3", caption="Away 3")
    s = anna.wait_state(lambda s: s["status"][4] == "Auto-Reply", 10)
    check(s is not None, "choosing the third variant turns auto-reply on: %s" % anna.state()["status"])

    # The editor from the same menu: the first deleted, Apply, OK; then
    # opened again and stored once more with OK.
    for turn in (1, 2):
        anna.focus()
        click_target(anna, "Auto-Reply", dx=-5, name="miAnsweringMachine")
        click_target(anna, "Auto-Reply options", caption="Auto-Reply options")
        s = anna.wait_state(lambda s: dialog(s, "Auto-Reply options"), 15)
        check(s is not None, "round %d: the menu opens the editor" % turn)
        activate(anna, "Auto-Reply options")
        if turn == 1:
            click_target(anna, "the first variant", name="tvVariants", caption="Away 1",
                         then=lambda s: [t for t in targets(s, name="tvVariants", caption="Away 1")
                                         if t.get("selected")])
            click_target(anna, "Delete", caption="Delete", window="TfmAnsweringmachine")
            click_target(anna, "Apply", caption="Apply", window="TfmAnsweringmachine")
        click_target(anna, "OK", caption="OK", window="TfmAnsweringmachine")
        s = anna.wait_state(lambda s: not dialog(s, "Auto-Reply options"), 10)
        check(s is not None, "round %d: OK closes the editor" % turn)
        sections = [x for x in ini_sections(ini_text(anna)) if x.startswith("AMText!_")]
        check(sections == ["AMText!_2", "AMText!_3"], "round %d: the others keep their numbers: %s"
              % (turn, sections))

    check(anna.state()["status"][4] == "Auto-Reply", "auto-reply is still on")
    mark = len(node.events)
    node.send("private %s are you there?" % anna_id)
    reply = node.wait(lambda e: e["event"] == "message" and e["from"] == anna_id and e["talk"] == 2, 15, mark)
    check(reply["autoreply"] is True, "the answer is marked as an automatic reply: %s" % reply)
    check("Away 3" in reply["body"] and "text 3" in reply["body"] and "Away 2" not in reply["body"],
          "the chosen variant's own text: %r" % reply["body"])
    time.sleep(2.0)
    replies = [e for e in node.events[mark:] if e["event"] == "message" and e["from"] == anna_id]
    check(len(replies) == 1, "one answer: %s" % replies)


class DragSource:
    """dragsource with the given paths, in a corner of the screen."""

    def __init__(self, binary, paths):
        self.proc = subprocess.Popen([binary] + paths, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     text=True, env=dict(os.environ, QT_QPA_PLATFORM="xcb"))
        if self.line(20) != "shown":
            raise AssertionError("dragsource did not show its window")
        wid = wait_until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.proc.pid),
                                                 "--name", "dragsource"], stdout=subprocess.PIPE,
                                                text=True).stdout.split(), 10)
        self.wid = wid[0]
        subprocess.run(["xdotool", "windowmove", "--sync", self.wid, "880", "620"], check=False)
        time.sleep(0.5)
        g = subprocess.run(["xdotool", "getwindowgeometry", self.wid], stdout=subprocess.PIPE, text=True).stdout
        m = re.search(r"Position: (\d+),(\d+).*\n.*Geometry: (\d+)x(\d+)", g)
        self.rect = tuple(int(v) for v in m.groups())

    def line(self, timeout):
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        return self.proc.stdout.readline().strip() if ready else None

    def drag_to(self, point):
        x0, y0 = centre(self.rect)
        subprocess.run(["wmctrl", "-i", "-a", self.wid], stderr=subprocess.DEVNULL)
        subprocess.run(["xdotool", "mousemove", "--sync", str(x0), str(y0)], check=True)
        time.sleep(0.3)
        subprocess.run(["xdotool", "mousedown", "1"], check=True)
        steps = 20
        for i in range(1, steps + 1):
            subprocess.run(["xdotool", "mousemove", str(x0 + (point[0] - x0) * i // steps),
                            str(y0 + (point[1] - y0) * i // steps)], check=True)
            time.sleep(0.05)
        time.sleep(0.5)
        subprocess.run(["xdotool", "mouseup", "1"], check=True)
        return self.line(20)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


def scenario_drop(desk, args):
    files = tempfile.mkdtemp(prefix="kcdrop-")
    desk.cleanup.append(lambda: shutil.rmtree(files, ignore_errors=True))
    paths = [os.path.join(files, "notes.txt"), os.path.join(files, "photos")]
    with open(paths[0], "w") as f:
        f.write("some notes\n")
    os.mkdir(paths[1])
    anna = desk.window(args.kavetchat, 0, "Anna")
    start_windows([anna])
    # The window where the drag starts from does not cover it.
    anna_wid = anna.focus()
    subprocess.run(["wmctrl", "-i", "-r", anna_wid, "-e", "0,10,10,760,560"], check=True)
    anna.wait_state(lambda s: s["window"]["geometry"]["x"] < 100 and s["window"]["geometry"]["width"] <= 760, 10)
    source = DragSource(args.dragsource, paths)
    desk.cleanup.append(source.stop)
    rows = [("the input box", "reMessage"), ("the transcript", "reAllMessage"), ("the status bar", "KcStatusBar")]
    for what, name in rows:
        anna.focus()
        s = anna.wait_state(lambda s: targets(s, name=name, window="fmKavetChat"), 10)
        target = targets(s, name=name, window="fmKavetChat")[0]
        before = tab(s, 0).get("input", "")
        done = source.drag_to(centre(target["rect"]))
        s = anna.wait_state(lambda s: tab(s, 0).get("input", "").count("[file ") == before.count("[file ") + 2, 15)
        check(s is not None and "[file notes.txt]" in tab(s, 0)["input"][len(before):]
              and "[file photos]" in tab(s, 0)["input"][len(before):],
              "dropped on %s (%s): the input box holds %r" % (what, done, tab(anna.state(), 0).get("input")))
    # The icons go out as file blocks, the paths as dropped.
    node = desk.node(args.chatnode, 1)
    anna_id = node.wait(lambda e: e["event"] == "user" and e["change"] == "new", 30)["id"]
    mark = len(node.events)
    anna.key("ctrl+Return")
    got = node.wait(lambda e: e["event"] == "message" and e["talk"] == 0 and "CONTROLFILE" in e["body"], 15, mark)
    blocks = re.findall(r"\{\[!CONTROLFILE!\]\}(.*?)\{\[!/CONTROLFILE!\]\}", got["body"])
    check([b.split("<[FILEINFOSEPARATOR]>") for b in blocks] == [["", anna_id, SUBNET + ".1", "0", p]
                                                               for p in paths * len(rows)],
          "six file blocks with own ID, IP, \"0\" and the dropped paths: %r" % got["body"][:400])


SCENARIOS = {"profile": (2, scenario_profile), "autoreply": (2, scenario_autoreply),
             "drop": (2, scenario_drop)}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--kavetchat", required=True)
    ap.add_argument("--chatnode", required=True)
    ap.add_argument("--dragsource", required=True)
    ap.add_argument("--scenario", action="append")
    args = ap.parse_args()
    names = args.scenario or list(SCENARIOS)
    chatnet.enter_private_namespaces()
    failed = []
    for name in names:
        count, body = SCENARIOS[name]
        print("--- %s" % name, flush=True)
        desk = kw.Desktop(count)
        try:
            body(desk, args)
        except AssertionError as e:
            check(False, "%s: %s" % (name, e))
        finally:
            desk.close()
        if kw.FAILURES:
            failed.append(name)
            del kw.FAILURES[:]
    if failed:
        print("failed: %s" % " ".join(failed))
        sys.exit(1)
    print("all passed")


if __name__ == "__main__":
    main()
