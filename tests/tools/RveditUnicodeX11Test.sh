#!/usr/bin/env bash
# rvedit under a real X server with the world's text: Cyrillic, Chinese and
# emoji typed with xdotool come back byte for byte from the clipboard as
# UTF-8 (and one Backspace takes the last emoji with its skin tone whole);
# RTF that LibreOffice makes of a page in Cyrillic and Chinese, pasted with
# Ctrl+V, copies back out with the same characters, into a sheet of Unicode
# styles and into one of 8-bit styles alike. Skipped (77) where Xvfb,
# xdotool, xclip or soffice is missing; scripts/install.sh installs them.
# Every wait is bounded.
set -u
. "$(dirname "$0")/rvedit_x11.sh"
rvx_require xclip soffice
rvx_setup

# The RTF, made by LibreOffice from a small page; soffice runs without a
# network, with a profile of its own.
mkdir -p "$work/in"
cat >"$work/in/page.html" <<'END'
<html><head><meta charset="utf-8"></head><body>
<p>Привет, мир</p>
<p>中文 测试 <b>жирный</b> 😀</p>
</body></html>
END
if unshare -n true 2>/dev/null; then offline=(unshare -n); else offline=(); fi
HOME="$work/home" "${offline[@]}" timeout 300 soffice -env:UserInstallation="file://$work/lo-profile" --headless \
  --norestore --nolockcheck --infilter="HTML (StarWriter)" --convert-to rtf --outdir "$work" "$work/in/page.html" \
  >"$work/soffice.log" 2>&1
if [ ! -s "$work/page.rtf" ]; then
  echo "FAIL LibreOffice made no RTF"; cat "$work/soffice.log"; exit 1
fi
if grep -q 'Привет' "$work/page.rtf"; then
  echo "FAIL the RTF holds the text as UTF-8 bytes, not as RTF escapes"; exit 1
fi

inside() {
  # The bytes of both sides on a failure: the characters at stake may not
  # show on a terminal.
  check() { # name, got, wanted
    if [ "$2" != "$3" ]; then
      echo "FAIL $1:"
      printf '%s' "$2" | od -c | head -n 8
      echo "--- wanted"
      printf '%s' "$3" | od -c | head -n 8
      fail=1
    else
      echo "ok $1"
    fi
  }
  # Types Text a character at a time, each checked through the clipboard: a
  # busy X server may drop the key that xdotool maps for a character
  # outside the keyboard map, and such a key is typed again (at most six
  # times, each a little later, so the server has handled the previous
  # remapping).
  type_checked() {
    local text=$1 sofar= ch got n
    while IFS= read -r ch; do
      for n in 1 2 3 4 5 6; do
        [ "$n" -gt 1 ] && sleep "0.$n"
        timeout 5 xdotool type --delay 40 "$ch"
        got=$(rvx_copy_all "$sofar$ch")
        timeout 5 xdotool key End
        [ "$got" = "$sofar$ch" ] && break
        [ "$got" = "$sofar" ] || break
      done
      sofar=$got
    done < <(printf '%s' "$text" | grep -o .)
  }
  fail=0

  rvx_start rvedit-unicode-typing
  typed='Привет, 中文 😀👍🏽'
  type_checked "$typed"
  check "typed text comes back as UTF-8" "$(rvx_copy_all "$typed")" "$typed"
  timeout 5 xdotool key End BackSpace
  check "Backspace takes the emoji with its skin tone" "$(rvx_copy_all 'Привет, 中文 😀')" 'Привет, 中文 😀'
  rvx_stop

  want=$(printf 'Привет, мир\n中文 测试 жирный 😀')
  for sheet in unicode ansi; do
    opts=()
    [ $sheet = ansi ] && opts=(--ansi)
    rvx_start "rvedit-rtf-$sheet" "${opts[@]}"
    # xclip serves the RTF until the editor takes the clipboard over.
    timeout 60 xclip -selection clipboard -t text/rtf -i "$work/page.rtf" &
    for _ in $(seq 1 50); do
      timeout 5 xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -q '^text/rtf$' && break
      sleep 0.1
    done
    timeout 5 xdotool key ctrl+v
    sleep 0.5
    check "RTF pasted into a sheet of $sheet styles copies back out" "$(rvx_copy_all "$want")" "$want"
    rvx_stop
  done
  exit $fail
}
rvx_run 300 inside
