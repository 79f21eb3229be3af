#!/usr/bin/env bash
# kavetchat saving into a full folder (a small tmpfs) and a read-only one:
# the failure is said on standard error, the exit code is 1, and the old
# settings file stays as it was. Temporary files a killed save left beside
# the settings go at the next start. Peers' aliases and bodies with
# terminal escapes print escaped.
#
# Runs in network and mount namespaces of its own (loopback only; the
# mounts vanish with it).
set -u

if [ "${KC_IN_TEST_NS:-}" != 1 ]; then
  if ! command -v unshare >/dev/null 2>&1 || ! unshare -n -m true 2>/dev/null; then
    echo "SKIP: no private network and mount namespaces here (needs root or user namespaces)"
    exit 77
  fi
  exec unshare -n -m --propagation private env KC_IN_TEST_NS=1 bash "$0" "$@"
fi
links=$(ip -o link show | awk -F': ' '{print $2}' | tr '\n' ' ')
if [ "$links" != "lo " ]; then
  echo "refusing to run: not in a fresh network namespace (links: $links)"
  exit 1
fi
ip link set lo up 2>/dev/null || true

BIN=${KC_BINARY_DIR:?}/src/app/kavetchat
[ -x "$BIN" ] || { echo "FAIL: $BIN not built"; exit 1; }

WORK=$(mktemp -d /tmp/kcsaves.XXXXXX)
chmod 700 "$WORK"
PIDS=()
cleanup() {
  for p in "${PIDS[@]}"; do kill -KILL "$p" 2>/dev/null; done
  umount "$WORK/full" "$WORK/ro/config" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

wait_for() {
  local i
  for i in $(seq 1 300); do
    grep -qF -- "$2" "$1" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

OLD=$'[PlaySound]\nactSoundKavetChat=1\n'

# run NAME CONFIG: one headless run with its settings in CONFIG, ended by
# SIGTERM; sets RC and LOG.
run() {
  local name=$1 config=$2
  LOG=$WORK/$name.log
  mkdir -p "$WORK/$name/run" "$WORK/$name/data"
  chmod 700 "$WORK/$name/run"
  XDG_RUNTIME_DIR=$WORK/$name/run XDG_CONFIG_HOME=$config XDG_DATA_HOME=$WORK/$name/data HOME=$WORK/$name \
    "$BIN" --headless --interface lo 2>"$LOG" >/dev/null &
  local pid=$!
  PIDS+=("$pid")
  wait_for "$LOG" "kavetchat: running" || fail "$name: did not start: $(cat "$LOG")"
  kill -TERM "$pid"
  wait "$pid"
  RC=$?
}

# --- a full file system
mkdir -p "$WORK/full"
if mount -t tmpfs -o size=512k kcfull "$WORK/full"; then
  mkdir -p "$WORK/full/Dornick"
  printf '%s' "$OLD" >"$WORK/full/Dornick/Kavet Chat.ini"
  dd if=/dev/zero of="$WORK/full/filler" bs=4k 2>/dev/null
  run full "$WORK/full"
  [ "$RC" = 1 ] && ok "full: exit code 1" || fail "full: rc $RC"
  grep -q "error: The settings could not be saved" "$LOG" && ok "full: the failure was said" ||
    fail "full: nothing said: $(cat "$LOG")"
  [ "$(cat "$WORK/full/Dornick/Kavet Chat.ini")" = "${OLD%$'\n'}" ] && ok "full: old settings intact" ||
    fail "full: settings changed: $(cat "$WORK/full/Dornick/Kavet Chat.ini")"
  ls -A "$WORK/full/Dornick" | grep -q '^\.Kavet' && fail "full: temporary files left: $(ls -A "$WORK/full/Dornick")"
  umount "$WORK/full"
else
  fail "cannot mount a tmpfs in the test's mount namespace"
fi

# --- a read-only folder (read-only for root too: a read-only bind mount)
mkdir -p "$WORK/ro/config/Dornick"
printf '%s' "$OLD" >"$WORK/ro/config/Dornick/Kavet Chat.ini"
if mount --bind "$WORK/ro/config" "$WORK/ro/config" && mount -o remount,bind,ro "$WORK/ro/config"; then
  run ro "$WORK/ro/config"
  [ "$RC" = 1 ] && ok "read-only: exit code 1" || fail "read-only: rc $RC"
  grep -q "error: The settings could not be saved (cannot create a file in .*Read-only file system" "$LOG" &&
    ok "read-only: the failure was said with its reason" || fail "read-only: $(cat "$LOG")"
  [ "$(cat "$WORK/ro/config/Dornick/Kavet Chat.ini")" = "${OLD%$'\n'}" ] && ok "read-only: old settings intact" ||
    fail "read-only: settings changed"
  umount "$WORK/ro/config"
else
  fail "cannot make a read-only bind mount"
fi

# --- stale temporary files of killed saves go at the next start; a good
# folder saves and ends with 0
mkdir -p "$WORK/good/Dornick"
printf '%s' "$OLD" >"$WORK/good/Dornick/Kavet Chat.ini"
for s in Ab12Cd zz99ZZ; do printf 'half' >"$WORK/good/Dornick/.Kavet Chat.ini.$s"; done
printf 'mine' >"$WORK/good/Dornick/.Kavet Chat.ini.notours"
run good "$WORK/good"
[ "$RC" = 0 ] && ok "good folder: exit code 0" || fail "good folder: rc $RC: $(cat "$LOG")"
left=$(ls -A "$WORK/good/Dornick" | tr '\n' '|')
[ "$left" = ".Kavet Chat.ini.notours|Kavet Chat.ini|" ] && ok "stale temporaries removed" || fail "left: $left"
grep -q "^actSoundKavetChat=1" "$WORK/good/Dornick/Kavet Chat.ini" && ok "settings kept" || fail "settings lost"

if [ $failures != 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "all passed"
