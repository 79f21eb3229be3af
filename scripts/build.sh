#!/usr/bin/env bash
# Configures and builds the tree in build/<name> (default: build/release).
# Usage: scripts/build.sh [name] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:-release}; shift || true
# Let clones in other folders (CI) share the compiler cache.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
cmake -S . -B "build/$name" -G Ninja "$@" >/dev/null
cmake --build "build/$name"
