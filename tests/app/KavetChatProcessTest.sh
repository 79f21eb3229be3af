#!/usr/bin/env bash
# Real copies of kavetchat: a second start wakes the first and ends with exit
# code 0 without a display; a start after the first was killed with SIGKILL
# runs; SIGTERM and SIGINT close in order with exit code 0 and keep the stored
# settings.
#
# The copies run inside a network namespace of their own (loopback only),
# never on the host's network.
set -u

if [ "${KC_IN_TEST_NETNS:-}" != 1 ]; then
  if ! command -v unshare >/dev/null 2>&1 || ! unshare -n true 2>/dev/null; then
    echo "SKIP: 'unshare -n' is not available here, so no private network namespace; not run"
    exit 0
  fi
  exec unshare -n env KC_IN_TEST_NETNS=1 bash "$0" "$@"
fi
links=$(ip -o link show | awk -F': ' '{print $2}' | tr '\n' ' ')
if [ "$links" != "lo " ]; then
  echo "refusing to run: not in a fresh network namespace (links: $links)"
  exit 1
fi
ip link set lo up 2>/dev/null || true

BIN=${KC_BINARY_DIR:?}/src/app/kavetchat
[ -x "$BIN" ] || { echo "FAIL: $BIN not built"; exit 1; }

WORK=$(mktemp -d /tmp/kcprocess.XXXXXX)
chmod 700 "$WORK"
mkdir -m 700 "$WORK/run"
export XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config XDG_DATA_HOME=$WORK/data
export HOME=$WORK
unset KAVET_INTERFACE

PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill -KILL "$p" 2>/dev/null; done
  rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

# wait_for FILE TEXT: up to 15 s for a line with TEXT.
wait_for() {
  local i
  for i in $(seq 1 300); do
    grep -qF -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

# start NAME [ARGS]: a copy in the background, its stderr in $WORK/NAME.log; sets PID.
start() {
  local name=$1
  shift
  "$BIN" --headless "$@" 2>"$WORK/$name.log" >/dev/null &
  PID=$!
  PIDS+=("$PID")
}

# second NAME: a later copy without any display; sets RC.
second() {
  env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 20 "$BIN" 2>"$WORK/$1.log" >/dev/null
  RC=$?
}

CHANNEL="$XDG_RUNTIME_DIR/{7D3A91C-0B4E6F2-4A1D-9C3E-5B7F2A8D6E10-Kavet.Chat.InstanceFM"
INI="$XDG_CONFIG_HOME/Dornick/Kavet Chat.ini"

# --- usage
out=$("$BIN" --help); rc=$?
[ $rc = 0 ] && grep -q "^Usage: kavetchat" <<<"$out" && ok "--help" || fail "--help: rc $rc"
"$BIN" --no-such-option >/dev/null 2>&1; rc=$?
[ $rc = 2 ] && ok "unknown option refused" || fail "unknown option: rc $rc"
"$BIN" --interface >/dev/null 2>&1; rc=$?
[ $rc = 2 ] && ok "--interface without a name refused" || fail "--interface alone: rc $rc"

# --- with windows (the default) but no display: says so and ends
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$BIN" >/dev/null 2>"$WORK/nodisplay.log"; rc=$?
[ $rc != 0 ] && grep -q "no display" "$WORK/nodisplay.log" && ok "no display: said so, rc $rc" ||
  fail "no display: rc $rc: $(cat "$WORK/nodisplay.log")"
[ -e "$CHANNEL" ] && fail "channel left by the copy without a display"

# --- stored settings that differ from the defaults
mkdir -p "$(dirname "$INI")"
printf '[PlaySound]\nactSoundKavetChat=1\n[StayOnTop]\nValue=1\n' >"$INI"

# --- a second start wakes the first
start first; FIRST=$PID
wait_for "$WORK/first.log" "kavetchat: running" || fail "first copy did not start: $(cat "$WORK/first.log")"
second second
[ "$RC" = 0 ] && ok "second copy ends with 0" || fail "second copy: rc $RC"
grep -q "another copy is running" "$WORK/second.log" || fail "second copy did not report the running copy"
grep -q "main window created" "$WORK/second.log" && fail "second copy made windows"
wait_for "$WORK/first.log" "another copy asked for the main window" &&
  ok "first copy woken" || fail "first copy not woken: $(cat "$WORK/first.log")"
kill -0 "$FIRST" 2>/dev/null && ok "first copy still runs" || fail "first copy is gone"

# --- SIGKILL leaves a stale channel; the next start runs anyway
kill -KILL "$FIRST"; wait "$FIRST" 2>/dev/null
[ -S "$CHANNEL" ] || fail "expected the killed copy's channel to be left behind"
start third; THIRD=$PID
wait_for "$WORK/third.log" "kavetchat: running" && ok "start after SIGKILL runs" ||
  fail "start after SIGKILL: $(cat "$WORK/third.log")"
second fourth
[ "$RC" = 0 ] || fail "later copy after restart: rc $RC"
wait_for "$WORK/third.log" "another copy asked for the main window" &&
  ok "restarted copy answers on a new channel" || fail "restarted copy not woken"

# --- SIGTERM closes in order with 0
kill -TERM "$THIRD"; wait "$THIRD"; rc=$?
[ $rc = 0 ] && ok "SIGTERM: exit code 0" || fail "SIGTERM: rc $rc"
order=$(grep -oE "main window created|user list created|animated emoticon catalogue created|running|main window closed" \
  "$WORK/third.log" | tr '\n' '|')
[ "$order" = "main window created|user list created|animated emoticon catalogue created|running|main window closed|" ] &&
  ok "created and closed in order" || fail "order: $order"
[ -e "$CHANNEL" ] && fail "channel left after an orderly close"
grep -q "^actSoundKavetChat=1" "$INI" && grep -A1 '^\[StayOnTop\]' "$INI" | grep -q "^Value=1" &&
  ok "stored settings kept" || fail "stored settings changed: $(cat "$INI")"
grep -q "^\[ShowGifAnimation\]" "$INI" && ok "settings written on close" || fail "settings not written"

# --- SIGINT does the same, and the next start is a first copy again
start fifth --interface lo; FIFTH=$PID
wait_for "$WORK/fifth.log" "kavetchat: running" || fail "fifth copy did not start"
kill -INT "$FIFTH"; wait "$FIFTH"; rc=$?
[ $rc = 0 ] && grep -q "main window closed" "$WORK/fifth.log" && ok "SIGINT closes in order" ||
  fail "SIGINT: rc $rc"

if [ $failures != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all passed"
