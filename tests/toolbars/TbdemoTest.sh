#!/usr/bin/env bash
# Under a real X server: tbdemo opens the File menu from the keyboard, walks
# into a submenu, chooses an item (its click runs once, after the menu has
# closed), and the step pictures show the popups where the log says they are.
# Done for every look. Then a toolbar goes from the top dock to the left
# dock, floats, closes and comes back, its position is saved, and a second
# start finds it in the same place.
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

bar_after_last() { # bar_after_last LOG NAME: the last "bar NAME ..." line
  awk -v name="$2" '$1 == "bar" && $2 == name { line = $0 } END { print line }' "$1"
}

# A press outside a context menu closes it and reaches the window under the
# pointer: here a toolbar button, which is then clicked; the menu's own item
# is not.
cat >"$work/outside.script" <<'SCRIPT'
popup 200 200
hover Profile...
click Bold
wait 400
key Ctrl+N
open 2
key Return
wait 300
SCRIPT
out="$work/outside"
mkdir -p "$out"
env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" \
  "$demo" --script "$work/outside.script" --shot "$out" >"$out/stdout.txt" 2>"$out/stderr.txt" ||
  fail outside "tbdemo exited with $?" "$out"
log="$out/log.txt"
grep -A1 '^shot 2 ' "$log" | grep -q 'selected=Profile...' || fail outside "the context menu did not open" "$out"
[[ $(grep '^click ' "$log" | grep -vc '^click Toolbar ') == 2 ]] || fail outside "expected exactly two clicks" "$out"
grep -q '^click Bold inloop=0$' "$log" || fail outside "the press outside did not reach the toolbar button" "$out"
grep -A3 '^shot 4 ' "$log" | grep -q '^popup' && fail outside "the context menu is still open" "$out"
echo "ok: press outside"
# Ctrl+N on the main window runs File > New through its shortcut.
grep -q '^click New inloop=0$' "$log" || fail outside "the shortcut Ctrl+N did not run New" "$out"
echo "ok: shortcut"
# View > Toolbar hides the Standard toolbar.
[[ $(bar_after_last "$log" Standard | awk '{print $10}') == hidden ]] ||
  fail outside "View > Toolbar did not hide the toolbar" "$out"
echo "ok: View > Toolbar"

# Docking, floating, closing and restoring a toolbar; the saved position
# brings it back to the same place at the next start.
cfg="$work/config"
mkdir -p "$cfg"
cat >"$work/dock.script" <<'SCRIPT'
drag Standard LeftDock
float Standard 600 420
close Standard
restore Standard
wait 1000
save
SCRIPT
# The pictures compared are those taken after a wait: a window just shown
# may not be painted yet on a busy machine.
cat >"$work/reload.script" <<'SCRIPT'
load
wait 1000
save
SCRIPT
run_demo() { # run_demo NAME SCRIPT
  local out="$work/$1"
  mkdir -p "$out"
  env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$cfg" timeout 120 \
    xvfb-run -a -s "-screen 0 1024x768x24" "$demo" --script "$2" --shot "$out" >"$out/stdout.txt" \
    2>"$out/stderr.txt" || fail "$1" "tbdemo exited with $?" "$out"
  grep -q '^done$' "$out/log.txt" || fail "$1" "the script did not run to its end" "$out"
}
bar_after() { # bar_after LOG STEP NAME: the "bar NAME ..." line logged with shot STEP
  awk -v step="$2" -v name="$3" '$1 == "shot" { cur = $2 } $1 == "bar" && $2 == name && cur == step { print; exit }' "$1"
}
run_demo docking "$work/dock.script"
log="$work/docking/log.txt"
read -r _ _ dock0 _ _ lx _ lw lh _ < <(bar_after "$log" 1 Standard)
[[ $dock0 == LeftDock ]] || fail docking "the drag did not dock the toolbar on the left ($dock0)" "$work/docking"
((lx == 40 && lh > lw)) || fail docking "the toolbar does not stand upright at the window's left edge ($lx $lw x $lh)" \
  "$work/docking"
read -r _ _ where2 _ _ fx fy fw fh vis2 < <(bar_after "$log" 2 Standard)
[[ $where2 == floating && $vis2 == visible ]] || fail docking "the toolbar did not float ($where2 $vis2)" "$work/docking"
((fx <= 600 && 600 < fx + fw && fy <= 420 && 420 < fy + fh)) ||
  fail docking "the floating toolbar is not under the pointer ($fx,$fy ${fw}x$fh)" "$work/docking"
[[ $(bar_after "$log" 3 Standard | awk '{print $10}') == hidden ]] || fail docking "close left it shown" "$work/docking"
saved_bar=$(bar_after "$log" 4 Standard)
[[ $(echo "$saved_bar" | awk '{print $3, $10}') == "floating visible" ]] ||
  fail docking "restore did not bring it back floating: $saved_bar" "$work/docking"
ini="$cfg/Dornick/Kavet Chat.ini"
[[ -s $ini ]] || fail docking "no settings written" "$work/docking"
cp "$ini" "$work/saved-first.ini"
grep -q '^DockedTo=+$' "$ini" || fail docking "the floating toolbar was not saved as floating" "$work/docking"
grep -q "^FloatLeft=$fx$" "$ini" || fail docking "the saved floating point is not where it stood" "$work/docking"

run_demo reload "$work/reload.script"
log2="$work/reload/log.txt"
loaded_bar=$(bar_after "$log2" 1 Standard)
[[ $loaded_bar == "$saved_bar" ]] ||
  fail reload "after a restart the toolbar stands elsewhere: '$loaded_bar' instead of '$saved_bar'" "$work/reload"
[[ $(bar_after "$log2" 1 Menu) == "$(bar_after "$log" 4 Menu)" ]] || fail reload "the menu bar moved" "$work/reload"
# Saving again writes the same values.
cmp -s "$ini" "$work/saved-first.ini" || fail reload "the values saved after loading differ" "$work/reload"
if ((have_magick)); then
  # The floating toolbar is drawn in the same place in both pictures.
  crop="${fw}x${fh}+${fx}+${fy}"
  convert "$work/docking/step005.png" -crop "$crop" +repage "$work/first.png"
  convert "$work/reload/step002.png" -crop "$crop" +repage "$work/second.png"
  n=$(compare -metric AE "$work/first.png" "$work/second.png" null: 2>&1 || true)
  n=${n%% *}
  [[ $n =~ ^[0-9]+$ ]] || n=$((fw * fh))
  ((n <= fw * fh / 50)) || fail reload "the toolbar's picture differs after the restart ($n pixels)" "$work/reload"
  # And it is really there: the same spot of the desktop before it floated
  # looks different.
  convert "$work/docking/step001.png" -crop "$crop" +repage "$work/before.png"
  n=$(compare -metric AE "$work/before.png" "$work/second.png" null: 2>&1 || true)
  n=${n%% *}
  [[ $n =~ ^[0-9]+$ ]] || n=0
  ((n > fw * fh / 4)) || fail reload "no toolbar in the picture where the log puts it ($n)" "$work/reload"
else
  echo "note: ImageMagick missing, pictures not compared"
fi
echo "ok: toolbar docked, floated, closed, restored and found again after a restart"

# With a real pointer: a click opens the File menu, a second click on its
# title closes it, and the pointer moved onto a toolbar button lights it at
# once (the press that opened the menu holds the pointer no longer).
if command -v xdotool >/dev/null 2>&1; then
  printf 'wait 8000\n' >"$work/hover.script"
  out="$work/hover"
  mkdir -p "$out"
  cat >"$work/hover.sh" <<EOF
#!/usr/bin/env bash
"$demo" --skin officexp --script "$work/hover.script" --shot "$out" >"$out/stdout.txt" 2>"$out/stderr.txt" &
xdotool search --sync --onlyvisible --name '^tbdemo\$' >/dev/null
sleep 1
read -r _ mx my mw mh < <(grep '^menubar ' "$out/stdout.txt")
xdotool mousemove \$((mx + mw / 2)) \$((my + mh / 2)) click 1
sleep 0.8
xdotool click 1
sleep 0.8
# The toolbar's first button, one row below the menu bar.
xdotool mousemove \$((mx + 12)) \$((my + mh + 12))
sleep 0.2
xdotool mousemove \$((mx + 14)) \$((my + mh + 13))
wait
EOF
  env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" bash "$work/hover.sh" ||
    fail hover "tbdemo exited with $?" "$out"
  grep -q '^hot Standard Bold$' "$out/log.txt" || fail hover "hovering Bold after the menu closed did not light it" "$out"
  grep -q '^click ' "$out/log.txt" && fail hover "a click ran" "$out"
  echo "ok: hover after a menu opened by the mouse"
else
  echo "note: xdotool missing, hover after a menu not tried"
fi
