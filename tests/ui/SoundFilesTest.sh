#!/usr/bin/env bash
# The event sounds: tools/soundgen makes exactly the committed files; each
# is a short 16-bit mono wave that Python's wave reader takes; the "desktop"
# install component puts all four where the program looks for them.
set -u
src=${KC_SOURCE_DIR:?}
bin=${KC_BINARY_DIR:?}
for tool in python3 cmake; do
  command -v $tool >/dev/null || { echo "missing program: $tool"; exit 77; }
done
fail=0
bad() { echo "FAIL: $*"; fail=1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
names="NewUserConnect.wav UserDisconnect.wav OpenKavetChat.wav NewMessage.wav"

python3 "$src/tools/soundgen/make_sounds.py" "$tmp/made" || bad "the generator failed"
for n in $names; do
  cmp -s "$tmp/made/$n" "$src/Sound/$n" || bad "$n differs from what the generator makes"
  python3 - "$src/Sound/$n" <<'PY' || bad "$n is not a short 16-bit mono wave"
import sys, wave
with wave.open(sys.argv[1]) as w:
    ok = w.getnchannels() == 1 and w.getsampwidth() == 2 and 0.05 < w.getnframes() / w.getframerate() < 1.0
sys.exit(0 if ok else 1)
PY
done
[ "$(cd "$src/Sound" && ls | sort | tr '\n' ' ')" = "$(echo $names | tr ' ' '\n' | sort | tr '\n' ' ')" ] \
  || bad "Sound/ holds other files: $(ls "$src/Sound")"

cmake --install "$bin" --component desktop --prefix "$tmp/root" >/dev/null || bad "install of the desktop component"
for n in $names; do
  [ -f "$tmp/root/share/kavet-chat/Sound/$n" ] || bad "$n not installed"
done
[ $fail -eq 0 ] && echo "all passed"
exit $fail
