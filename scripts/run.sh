#!/usr/bin/env bash
# Installs what is needed, builds the program (and only what it links) and
# starts Kavet Chat.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install.sh
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B build/release -G Ninja >/dev/null
cmake --build build/release --target kavetchat
exec build/release/src/app/kavetchat "$@"
