#!/usr/bin/env bash
# Sets up, builds and runs the main job: the tour of examples/ in vurkarx-desk.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build/release -j2 --target vurkarx-desk
build/release/vurkarx-desk tour --out out/tour "$@"
