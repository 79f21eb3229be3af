#!/usr/bin/env bash
# Installs what is needed, builds and starts Kavet Chat.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh
bash scripts/build.sh release
exec build/release/src/app/kavetchat "$@"
