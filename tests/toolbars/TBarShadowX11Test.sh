#!/usr/bin/env bash
# The shadow pictures again, under a real X server: there the screen under a
# shadow is read from the server's own pixels, at twice the scale.
set -euo pipefail

if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "SKIPPED: xvfb-run is not installed, so there is no X server to take pictures from"
  exit 77
fi
test="${KC_BINARY_DIR:?}/tests/test_toolbars_TBarShadowTest"
if [[ ! -x $test ]]; then
  echo "the shadow test was not built: $test" >&2
  exit 1
fi
env -u QT_QPA_PLATFORM QT_QPA_PLATFORM=xcb KC_SHADOWS_ON_X11=1 timeout 120 \
  xvfb-run -a -s "-screen 0 1024x768x24" "$test"
