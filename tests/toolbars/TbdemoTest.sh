#!/usr/bin/env bash
# Under a real X server: tbdemo opens the File menu from the keyboard, walks
# into a submenu, chooses an item (its click runs once, after the menu has
# closed), and the step pictures show the popups where the log says they are.
# Done for every look.
set -euo pipefail

if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "SKIPPED: xvfb-run is not installed, so there is no X server to run tbdemo on"
  exit 0
fi
demo="${KC_BINARY_DIR:?}/tools/tbdemo/tbdemo"
if [[ ! -x $demo ]]; then
  echo "tbdemo was not built: $demo" >&2
  exit 1
fi
have_magick=1
command -v convert >/dev/null 2>&1 && command -v compare >/dev/null 2>&1 || have_magick=0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/walk.script" <<'SCRIPT'
open 0
key Down
key Down
key Right
key Down
key Return
wait 300
SCRIPT

fail() {
  echo "FAIL ($1): $2" >&2
  cat "$3/log.txt" >&2 || true
  exit 1
}

field() { # field LOG STEP LEVEL N: the Nth number of "popup LEVEL" after shot STEP
  awk -v step="$2" -v level="$3" -v n="$4" '
    $1 == "shot" { cur = $2 }
    $1 == "popup" && cur == step && $2 == level { print $(2 + n); exit }' "$1"
}

for skin in classic officexp windowsxp native; do
  out="$work/$skin"
  mkdir -p "$out"
  # Unset the headless platform: this run is for the X server.
  env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" \
    "$demo" --skin "$skin" --script "$work/walk.script" --shot "$out" >"$out/stdout.txt" 2>"$out/stderr.txt" ||
    fail "$skin" "tbdemo exited with $?" "$out"
  log="$out/log.txt"
  [[ -s $log ]] || fail "$skin" "no log written" "$out"
  grep -q '^done$' "$log" || fail "$skin" "the script did not run to its end" "$out"

  # The click fired exactly once, after the menu loop had ended.
  [[ $(grep -c '^click ' "$log") == 1 ]] || fail "$skin" "expected one click" "$out"
  grep -q '^click Two inloop=0$' "$log" || fail "$skin" "Two was not clicked after the loop" "$out"
  click_line=$(grep -n '^click ' "$log" | cut -d: -f1)
  return_line=$(grep -n '^step 6 key Return$' "$log" | cut -d: -f1)
  ((click_line > return_line)) || fail "$skin" "the click ran before Return was pressed" "$out"

  # The File menu opened right under its title on the menu bar.
  read -r _ bx by bw bh < <(grep '^menubar ' "$log")
  [[ $(field "$log" 1 0 1) == "$bx" ]] || fail "$skin" "File menu not at the bar's left edge" "$out"
  [[ $(field "$log" 1 0 2) == $((by + bh)) ]] || fail "$skin" "File menu not right below the bar" "$out"
  grep -A2 '^shot 3 ' "$log" | grep -q 'selected=Recent' || fail "$skin" "Down twice did not reach Recent" "$out"

  # The submenu opened beside the File menu, its first entry level with Recent.
  px=$(field "$log" 4 1 1) pw=$(field "$log" 4 1 3)
  sx=$(field "$log" 4 0 1) sy=$(field "$log" 4 0 2) sw=$(field "$log" 4 0 3) sh=$(field "$log" 4 0 4)
  [[ -n $sx ]] || fail "$skin" "no submenu after Right" "$out"
  ((sx >= px + pw - 8 && sx <= px + pw)) || fail "$skin" "submenu not beside its parent ($sx vs $px+$pw)" "$out"
  grep -A1 '^shot 5 ' "$log" | grep -q 'selected=Two' || fail "$skin" "Down in the submenu did not reach Two" "$out"
  grep -A3 '^shot 7 ' "$log" | grep -q '^popup' && fail "$skin" "a popup is still open after the click" "$out"

  if ((have_magick)); then
    # Where the log puts the submenu, step 5's picture shows it and the last
    # picture (all closed) does not.
    differing() { # differing A B CROP: pixels that differ between the crops
      convert "$1" -crop "$3" +repage "$work/a.png"
      convert "$2" -crop "$3" +repage "$work/b.png"
      local n
      n=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
      n=${n%% *}
      [[ $n =~ ^[0-9]+$ ]] || n=0
      echo "$n"
    }
    n=$(differing "$out/step005.png" "$out/step007.png" "${sw}x${sh}+${sx}+${sy}")
    ((n > sw * sh / 4)) || fail "$skin" "the submenu is not in the picture where the log says ($n)" "$out"
    # And the File menu was drawn at its place in step 1's picture.
    fx=$(field "$log" 1 0 1) fy=$(field "$log" 1 0 2) fw=$(field "$log" 1 0 3) fh=$(field "$log" 1 0 4)
    n=$(differing "$out/step001.png" "$out/step007.png" "${fw}x${fh}+${fx}+${fy}")
    ((n > fw * fh / 4)) || fail "$skin" "the File menu is not in the picture ($n)" "$out"
  else
    echo "note: ImageMagick missing, pictures not compared"
  fi
  echo "ok: $skin"
done

# A press outside a context menu closes it and reaches the window under the
# pointer: here a toolbar button, which is then clicked; the menu's own item
# is not.
cat >"$work/outside.script" <<'SCRIPT'
popup 200 200
hover Profile...
click Bold
wait 400
key Ctrl+N
SCRIPT
out="$work/outside"
mkdir -p "$out"
env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" \
  "$demo" --script "$work/outside.script" --shot "$out" >"$out/stdout.txt" 2>"$out/stderr.txt" ||
  fail outside "tbdemo exited with $?" "$out"
log="$out/log.txt"
grep -A1 '^shot 2 ' "$log" | grep -q 'selected=Profile...' || fail outside "the context menu did not open" "$out"
[[ $(grep -c '^click ' "$log") == 2 ]] || fail outside "expected exactly two clicks" "$out"
grep -q '^click Bold inloop=0$' "$log" || fail outside "the press outside did not reach the toolbar button" "$out"
grep -A3 '^shot 4 ' "$log" | grep -q '^popup' && fail outside "the context menu is still open" "$out"
echo "ok: press outside"
# Ctrl+N on the main window runs File > New through its shortcut.
grep -q '^click New inloop=0$' "$log" || fail outside "the shortcut Ctrl+N did not run New" "$out"
echo "ok: shortcut"
