#!/usr/bin/env bash
# The compiled-in pictures as files other programs read: every file under
# src/ui/art is in art.qrc and every entry there exists; each @2x PNG is
# twice its 1x twin (ImageMagick's identify); the animated emoticons are
# GIFs that gifsicle reads as looping animations of more than one frame;
# the desktop entry passes desktop-file-validate, and the "desktop" install
# component puts it and the icons where desktops look for them.
set -u
src=${KC_SOURCE_DIR:?}
bin=${KC_BINARY_DIR:?}
for tool in identify gifsicle desktop-file-validate cmake; do
  command -v $tool >/dev/null || { echo "missing program: $tool"; exit 77; }
done
art=$src/src/ui/art
fail=0
bad() { echo "FAIL: $*"; fail=1; }

listed=$(sed -n 's|.*<file>\(.*\)</file>.*|\1|p' "$art/art.qrc" | sort)
present=$(cd "$art" && find . -type f ! -name art.qrc | sed 's|^\./||' | sort)
[ "$listed" = "$present" ] || bad "art.qrc and the files differ: $(diff <(echo "$listed") <(echo "$present") | head -5)"

# One identify for all: "folder/size/name.png width height" per line.
declare -A dims
while read -r path w h; do dims[${path#$art/}]="$w $h"; done < <(
  find "$art" -name '*.png' ! -path '*/icon/*' -print0 | xargs -0 identify -format '%d/%f %w %h\n')
[ ${#dims[@]} -gt 0 ] || bad "no list pictures"
for one in "${!dims[@]}"; do
  case $one in *@2x.png) continue ;; esac
  two=${one%.png}@2x.png
  [ -n "${dims[$two]:-}" ] || { bad "no twin for $one"; continue; }
  read -r w h <<<"${dims[$one]}"
  read -r w2 h2 <<<"${dims[$two]}"
  size=${one%/*}
  size=${size##*/}
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || bad "$one is ${w}x$h"
  [ "$w2" = $((2 * w)) ] && [ "$h2" = $((2 * h)) ] || bad "$two is ${w2}x$h2 for ${w}x$h"
done

gifs=0
for g in "$art"/gif/*.gif; do
  gifs=$((gifs + 1))
  info=$(gifsicle --info "$g" 2>&1) || { bad "gifsicle cannot read $g"; continue; }
  frames=$(echo "$info" | sed -n 's/.* \([0-9]*\) images$/\1/p')
  [ "${frames:-0}" -gt 1 ] || bad "$g: $frames frames"
  echo "$info" | grep -q 'loop forever' || bad "$g does not loop"
  echo "$info" | grep -q 'transparent' || bad "$g has no transparent colour"
done
[ $gifs = 23 ] || bad "$gifs animated emoticons"

desktop-file-validate "$src/packaging/kavetchat.desktop" || bad "desktop entry"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cmake --install "$bin" --component desktop --prefix "$root" >/dev/null || bad "install of the desktop component"
[ -f "$root/share/applications/kavetchat.desktop" ] || bad "desktop entry not installed"
for s in 16 22 24 32 48 64 128 256; do
  f=$root/share/icons/hicolor/${s}x$s/apps/kavetchat.png
  [ -f "$f" ] || { bad "no ${s}x$s icon"; continue; }
done
icons=$(identify -format '%w ' "$root"/share/icons/hicolor/*/apps/kavetchat.png | tr ' ' '\n' | sort -n | xargs)
[ "$icons" = "16 22 24 32 48 64 128 256" ] || bad "icon sizes: $icons"
exit $fail
