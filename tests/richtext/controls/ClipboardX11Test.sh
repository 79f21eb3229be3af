#!/usr/bin/env bash
# Copying under a real X server: while the test program holds the clipboard
# after copying "beta" out of a view, xclip sees the RVF, RTF and text
# targets and reads the selected text. Skipped (77) only where xvfb-run is
# not installed; scripts/install.sh installs it with xclip.
set -u
if ! command -v xvfb-run >/dev/null; then
  echo "SKIP xvfb-run is not installed"
  exit 77
fi
bin=${KC_BINARY_DIR:?}/tests/test_richtext_controls_RichVistaCopyTest
work=$(mktemp -d)
trap 'touch "$work/done"; rm -rf "$work"' EXIT

# Runs inside the X server: the holder in the background, xclip against it.
cat >"$work/inside.sh" <<'END'
set -u
work=$1 bin=$2
QT_QPA_PLATFORM=xcb KC_CLIPBOARD_HOLD="$work" "$bin" --gtest_filter=Copy.HoldForAnotherProgram \
  >"$work/holder.log" 2>&1 &
holder=$!
for _ in $(seq 1 200); do
  [ -e "$work/ready" ] && break
  sleep 0.1
done
if [ ! -e "$work/ready" ]; then
  echo "FAIL the holder did not copy"; cat "$work/holder.log"; touch "$work/done"; wait $holder; exit 1
fi
fail=0
targets=$(timeout 10 xclip -selection clipboard -t TARGETS -o)
for t in application/x-richvista text/rtf text/plain; do
  if ! grep -qx "$t" <<<"$targets"; then
    echo "FAIL target $t is not offered; targets:"; echo "$targets"; fail=1
  fi
done
text=$(timeout 10 xclip -selection clipboard -t text/plain -o)
if [ "$text" != "beta" ]; then
  echo "FAIL text/plain gives '$text'"; fail=1
fi
rvf_len=$(timeout 10 xclip -selection clipboard -t application/x-richvista -o | od -An -tu4 -N4 | tr -d ' ')
rvf_size=$(timeout 10 xclip -selection clipboard -t application/x-richvista -o | wc -c)
if [ "$rvf_len" != "$((rvf_size - 4))" ]; then
  echo "FAIL the RVF block's length $rvf_len does not match its size $rvf_size"; fail=1
fi
touch "$work/done"
wait $holder || { echo "FAIL the holder failed"; cat "$work/holder.log"; fail=1; }
exit $fail
END
xvfb-run -a bash "$work/inside.sh" "$work" "$bin"
