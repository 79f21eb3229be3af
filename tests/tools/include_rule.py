#!/usr/bin/env python3
"""Checks the includes of every source under src/ and tools/ against the
layering and platform rule of docs/architecture.md.

Usage: include_rule.py SOURCE_ROOT [QT_HEADER_DIR]
Prints one line "file:line: <include>: reason" per forbidden include and
exits 1 when there is any.
"""
import fnmatch
import json
import os
import re
import sys

# Layers, bottom up, and the folder each lives in. A file belongs to the
# first folder that holds it.
LAYERS = [
    ("platform", "src/platform/"),
    ("core", "src/core/"),
    ("document", "src/richtext/document/"),
    ("tables", "src/richtext/tables/"),
    ("controls", "src/richtext/controls/"),
    ("widgets", "src/widgets/"),
    ("toolbars", "src/toolbars/"),
    ("ui", "src/ui/"),
    ("app", "src/app/"),
    # Developer programs: they own their application object and the files
    # named on their command line, so only the layering applies to them.
    ("tool", "tools/"),
]

# What each layer may include of ours (its own layer always).
MAY_INCLUDE = {
    "platform": {"platform"},
    "core": {"platform"},
    "document": {"platform"},
    "tables": {"platform", "document"},
    "controls": {"platform", "document", "tables"},
    "widgets": {"platform"},
    "toolbars": {"platform"},
    "ui": {"platform", "core", "document", "tables", "controls", "widgets", "toolbars"},
    "app": {"platform", "core", "document", "tables", "controls", "widgets", "toolbars", "ui"},
    "tool": {"platform", "core", "document", "tables", "controls", "widgets", "toolbars", "ui"},
}

# Include prefix of each of our layers ("core/KavetChatNetUn.h").
PREFIXES = [
    ("richtext/document/", "document"),
    ("richtext/tables/", "tables"),
    ("richtext/controls/", "controls"),
    ("platform/", "platform"),
    ("core/", "core"),
    ("widgets/", "widgets"),
    ("toolbars/", "toolbars"),
    ("ui/", "ui"),
    ("app/", "app"),
]

WIDGET_LAYERS = {"controls", "widgets", "toolbars", "ui", "app", "tool"}
EVERYWHERE_BUT_PLATFORM = {"core", "document", "tables", "controls", "widgets", "toolbars", "ui", "app"}

# The forbidden headers: (header pattern, layers where it is forbidden, reason).
# Patterns are fnmatch patterns on the text between the angle brackets; a
# pattern "module:QtX" stands for every header of Qt's module QtX.
FORBIDDEN = [
    # Operating-system interfaces.
    ("unistd.h", EVERYWHERE_BUT_PLATFORM, "POSIX calls go through src/platform"),
    ("fcntl.h", EVERYWHERE_BUT_PLATFORM, "files are opened through platform/Files.h"),
    ("sys/*", EVERYWHERE_BUT_PLATFORM, "system calls go through src/platform"),
    ("dirent.h", EVERYWHERE_BUT_PLATFORM, "folders are listed through platform/Folders.h"),
    ("poll.h", EVERYWHERE_BUT_PLATFORM, "waiting on descriptors is the platform's"),
    ("pwd.h", EVERYWHERE_BUT_PLATFORM, "the user database is read by platform/Paths.h"),
    ("ifaddrs.h", EVERYWHERE_BUT_PLATFORM, "local addresses come from platform/LocalAddress.h"),
    ("net/*", EVERYWHERE_BUT_PLATFORM, "sockets go through platform/UdpSocket.h"),
    ("netinet/*", EVERYWHERE_BUT_PLATFORM, "sockets go through platform/UdpSocket.h"),
    ("arpa/*", EVERYWHERE_BUT_PLATFORM, "sockets go through platform/UdpSocket.h"),
    ("signal.h", EVERYWHERE_BUT_PLATFORM, "signals reach the program through platform/TerminationSignals.h"),
    ("csignal", EVERYWHERE_BUT_PLATFORM, "signals reach the program through platform/TerminationSignals.h"),
    ("spawn.h", EVERYWHERE_BUT_PLATFORM, "processes are started by the platform"),
    ("dlfcn.h", EVERYWHERE_BUT_PLATFORM, "libraries are loaded by the platform"),
    ("iconv.h", EVERYWHERE_BUT_PLATFORM, "code-page conversion lives in platform/CodePage.h"),
    ("jpeglib.h", EVERYWHERE_BUT_PLATFORM, "JPEG is read and written by platform/Graphics.h"),
    # C++ library parts that are file services. (<cstdio> stays allowed: its
    # formatting is no service, and file use through it is rare enough for review.)
    ("fstream", EVERYWHERE_BUT_PLATFORM, "files are read and written through platform/Files.h"),
    ("filesystem", EVERYWHERE_BUT_PLATFORM, "files and folders go through platform/Files.h and Folders.h"),
    # Qt classes that are services rather than values.
    ("QFile", EVERYWHERE_BUT_PLATFORM, "files are read and written through platform/Files.h"),
    ("QFileInfo", EVERYWHERE_BUT_PLATFORM, "files are asked about through platform/Files.h"),
    ("QDir", EVERYWHERE_BUT_PLATFORM, "folders are listed through platform/Folders.h"),
    ("QDirIterator", EVERYWHERE_BUT_PLATFORM, "folders are listed through platform/Folders.h"),
    ("QSaveFile", EVERYWHERE_BUT_PLATFORM, "files are replaced through platform/Files.h"),
    ("QTemporaryFile", EVERYWHERE_BUT_PLATFORM, "files are made through platform/Files.h"),
    ("QTemporaryDir", EVERYWHERE_BUT_PLATFORM, "folders are made through platform/Paths.h"),
    ("QStandardPaths", EVERYWHERE_BUT_PLATFORM, "the program's folders come from platform/Paths.h"),
    ("QSettings", EVERYWHERE_BUT_PLATFORM, "settings live in platform/ProgramKey.h"),
    ("QLockFile", EVERYWHERE_BUT_PLATFORM, "the single-instance lock is platform/InstanceGuard.h"),
    ("QSharedMemory", EVERYWHERE_BUT_PLATFORM, "copies meet through platform/InstanceGuard.h"),
    ("QFileSystemWatcher", EVERYWHERE_BUT_PLATFORM, "file services are the platform's"),
    ("QStorageInfo", EVERYWHERE_BUT_PLATFORM, "file services are the platform's"),
    ("QProcess", EVERYWHERE_BUT_PLATFORM, "processes are started by the platform"),
    ("QProcessEnvironment", EVERYWHERE_BUT_PLATFORM, "the environment is read by the platform"),
    ("QTimer", EVERYWHERE_BUT_PLATFORM, "timers are platform/GuiTimer.h, whose ticks are a reporting boundary"),
    ("QBasicTimer", EVERYWHERE_BUT_PLATFORM, "timers are platform/GuiTimer.h, whose ticks are a reporting boundary"),
    ("QElapsedTimer", EVERYWHERE_BUT_PLATFORM, "time is read through platform/Clock.h, which tests can fix"),
    ("QSocketNotifier", EVERYWHERE_BUT_PLATFORM, "descriptors are watched by the platform"),
    ("QClipboard", EVERYWHERE_BUT_PLATFORM, "the clipboard is platform/Clipboard.h"),
    ("QCursor", EVERYWHERE_BUT_PLATFORM, "cursors are platform/Cursors.h"),
    ("QScreen", EVERYWHERE_BUT_PLATFORM, "screens are platform/Screen.h, which tests can fix"),
    ("QDesktopServices", EVERYWHERE_BUT_PLATFORM, "opening documents and links is the platform's"),
    ("QSound*", EVERYWHERE_BUT_PLATFORM, "sounds and beeps are played by the platform"),
    ("module:QtMultimedia", EVERYWHERE_BUT_PLATFORM, "sounds and beeps are played by the platform"),
    ("module:QtNetwork", EVERYWHERE_BUT_PLATFORM, "sockets go through platform/UdpSocket.h"),
    ("module:QtDBus", EVERYWHERE_BUT_PLATFORM, "desktop services are the platform's"),
    # The application object belongs to the programs (src/app, tools/).
    # The widget layers may ask it about widgets (the active window, input
    # state, application-wide event filters); its services (clipboard,
    # cursors, screens, beeps) stay the platform's, each forbidden below by
    # its own header.
    ("QCoreApplication", {"core", "document", "tables"},
     "the application object is the program's; its services are the platform's"),
    ("QGuiApplication", {"core", "document", "tables"},
     "the application object is the program's; its services are the platform's"),
    ("QApplication", {"core", "document", "tables"},
     "the application object is the program's; its services are the platform's"),
    # Widgets only where classes are widgets, and in the platform where a
    # desktop service lives in that module (the beep, the tray icon).
    ("QtWidgets", {"core", "document", "tables"}, "only the widget layers use Qt Widgets"),
    ("module:QtWidgets", {"core", "document", "tables"}, "only the widget layers use Qt Widgets"),
]

# Exceptions, each for a need that remains.
ALLOWED = [
    # An item of a document may carry an embedded control; the document holds
    # a pointer to it and nothing more of the widget family.
    ("src/richtext/document/RVItem*", "QWidget"),
    # ...and the document gives that control its parent when the item is added.
    ("src/richtext/document/CRVData*", "QWidget"),
    # The folder browser's file-system model takes its filter as QDir flags.
    ("src/widgets/KcBrowseFolder*", "QDir"),
]

# Breaches that other work in progress removes. Each is tolerated while it is
# there; once it is gone the check fails until its row is deleted, so this
# list only ever shrinks.
PENDING = [
]

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def layer_of(rel):
    for name, folder in LAYERS:
        if rel.startswith(folder):
            return name
    return None


def our_layer(header):
    for prefix, name in PREFIXES:
        if header.startswith(prefix):
            return name
    return None


def find_qt_headers(root):
    """Qt's include folder: given, or from the build's compile commands."""
    candidates = []
    binary = os.environ.get("KC_BINARY_DIR")
    if binary and os.path.exists(os.path.join(binary, "compile_commands.json")):
        with open(os.path.join(binary, "compile_commands.json")) as f:
            for entry in json.load(f):
                for m in re.finditer(r"-isystem (\S+)/QtCore\b", entry.get("command", "")):
                    candidates.append(m.group(1))
                if candidates:
                    break
    candidates += ["/usr/include/x86_64-linux-gnu/qt6", "/usr/include/aarch64-linux-gnu/qt6", "/usr/include/qt6"]
    for c in candidates:
        if os.path.isdir(os.path.join(c, "QtCore")):
            return c
    return None


def module_of(header, qt):
    if "/" in header:
        return header.split("/", 1)[0] if header.startswith("Qt") else None
    if not qt or not header.startswith("Q"):
        return None
    for module in sorted(os.listdir(qt)):
        if os.path.isfile(os.path.join(qt, module, header)):
            return module
    return None


def forbidden_reason(rel, layer, header, qt):
    for path_pattern, allowed in ALLOWED:
        if fnmatch.fnmatch(rel, path_pattern) and header == allowed:
            return None
    module = module_of(header, qt)
    base = header.split("/", 1)[1] if header.startswith("Qt") and "/" in header else header
    for pattern, where, reason in FORBIDDEN:
        if layer not in where:
            continue
        if pattern.startswith("module:"):
            if module == pattern[len("module:"):]:
                return reason
        elif fnmatch.fnmatch(header, pattern) or (base != header and fnmatch.fnmatch(base, pattern)):
            return reason
    return None


def check(root, qt, pending=()):
    problems = []
    seen = set()
    for top in ("src", "tools"):
        for folder, _, files in sorted(os.walk(os.path.join(root, top))):
            for name in sorted(files):
                if not name.endswith((".h", ".cpp", ".hpp", ".cc")):
                    continue
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, root)
                layer = layer_of(rel)
                if layer is None:
                    continue
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        kind, header = m.groups()
                        shown = ("<%s>" if kind == "<" else '"%s"') % header
                        if kind == '"':
                            other = our_layer(header)
                            if other and other != layer and other not in MAY_INCLUDE[layer]:
                                problems.append("%s:%d: %s: %s may not include %s (dependencies point down)"
                                                % (rel, number, shown, layer, other))
                            continue
                        reason = forbidden_reason(rel, layer, header, qt)
                        if reason and (rel, header) in pending:
                            seen.add((rel, header))
                        elif reason:
                            problems.append("%s:%d: %s: %s" % (rel, number, shown, reason))
    for rel, header in pending:
        if (rel, header) not in seen:
            problems.append("%s: <%s> is gone: delete its row from PENDING in %s"
                            % (rel, header, os.path.basename(__file__)))
    return problems


def main():
    root = sys.argv[1]
    qt = sys.argv[2] if len(sys.argv) > 2 else find_qt_headers(root)
    if not qt:
        print("cannot find Qt's headers; give their folder as the second argument")
        return 2
    # A tree other than ours (the checker's own fixture) has no pending rows.
    ours = os.path.isfile(os.path.join(root, "tests", "tools", os.path.basename(__file__)))
    problems = check(root, qt, PENDING if ours else ())
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
