# Sourced by the Rvedit*X11Test.sh scripts of this folder: rvedit under an X
# server of the script's own, driven with xdotool and read back through
# xclip. Every wait is bounded, each with room for a loaded machine.
#
#   rvx_require TOOL...      exits 77 (skipped) when a tool is missing;
#                            Xvfb and xdotool need not be named
#   rvx_setup                sets $work (removed at exit), $bin (the built
#                            tools) and $tool (rvedit)
#   rvx_run SECONDS FN       runs the script's function FN (helpers it needs
#                            defined inside it) under a fresh X server, in
#                            a shell of its own with $work and $tool; the
#                            status is FN's
# Inside FN:
#   rvx_start TITLE ARGS...  starts rvedit titled TITLE, waits for its
#                            window ($wid) and focuses it; its output goes
#                            to $work/rvedit.out, its errors to
#                            $work/rvedit.log
#   rvx_stop                 ends it (also done when FN's shell exits)
#   rvx_copy_all WANT        Ctrl+A, Ctrl+C; prints the clipboard's text,
#                            waited for until it is WANT
#   rvx_check NAME GOT WANT  prints "ok NAME" or the FAIL; a FAIL sets fail=1

rvx_helper=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")

rvx_require() {
  local t
  for t in Xvfb xdotool "$@"; do
    if ! command -v "$t" >/dev/null 2>&1; then
      echo "SKIP $t is not installed (scripts/install.sh installs it)"
      exit 77
    fi
  done
}

rvx_setup() {
  bin=${KC_BINARY_DIR:?}/tools
  tool=$bin/rvedit/rvedit
  [ -x "$tool" ] || { echo "FAIL $tool not built"; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
}

rvx_run() {
  local limit=$1 fn=$2 xpid display rc
  declare -f "$fn" >"$work/$fn.sh"
  # The server picks a free display itself and names it once it takes
  # clients: no race with other servers starting beside it.
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xpid=$!
  for _ in $(seq 1 300); do
    [ -s "$work/display" ] && break
    kill -0 "$xpid" 2>/dev/null || break
    sleep 0.1
  done
  display=$(head -n1 "$work/display")
  if [ -z "$display" ]; then
    echo "FAIL Xvfb did not start"; cat "$work/xvfb.log"; kill "$xpid" 2>/dev/null; exit 1
  fi
  work=$work tool=$tool DISPLAY=:$display LC_ALL=C.UTF-8 timeout "$limit" bash -c \
    'set -u; . "$1"; . "$2"; trap rvx_stop EXIT; trap "exit 143" TERM; '"$fn" rvx "$rvx_helper" "$work/$fn.sh"
  rc=$?
  [ "$rc" -eq 124 ] && echo "FAIL $fn did not end within $limit seconds"
  kill "$xpid" 2>/dev/null
  wait "$xpid" 2>/dev/null
  return "$rc"
}

rvx_pid=
rvx_start() {
  local title=$1
  shift
  QT_QPA_PLATFORM=xcb timeout 120 "$tool" --title "$title" "$@" >"$work/rvedit.out" 2>"$work/rvedit.log" &
  rvx_pid=$!
  wid=$(timeout 30 xdotool search --sync --name "^$title\$" | head -n1)
  if [ -z "$wid" ]; then
    echo "FAIL no $title window"; cat "$work/rvedit.log"; rvx_stop; exit 1
  fi
  timeout 5 xdotool windowfocus --sync "$wid" || timeout 5 xdotool windowfocus "$wid"
  sleep 0.3
}

rvx_stop() {
  [ -n "$rvx_pid" ] || return 0
  kill "$rvx_pid" 2>/dev/null
  wait "$rvx_pid" 2>/dev/null
  rvx_pid=
}

rvx_copy_all() {
  local want=$1 got=
  timeout 5 xdotool key ctrl+a ctrl+c
  for _ in $(seq 1 50); do
    got=$(timeout 5 xclip -selection clipboard -o 2>/dev/null)
    [ "$got" = "$want" ] && break
    sleep 0.1
  done
  printf '%s' "$got"
}

rvx_check() {
  if [ "$2" != "$3" ]; then
    echo "FAIL $1: got '$2', wanted '$3'"
    fail=1
  else
    echo "ok $1"
  fi
}
