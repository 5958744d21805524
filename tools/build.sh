#!/usr/bin/env bash
# Configures (once) and builds the editor and its tests in ./build with Ninja.
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
export CCACHE_BASEDIR="$PWD"
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja "${launcher[@]}"
cmake --build build -j2
