#!/usr/bin/env bash
# Installs what the player needs, makes a release build and starts the player with any
# files or folders given.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
bash "$here/scripts/install-deps.sh"
cmake -S "$here" -B "$here/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORVEL_BUILD_TESTS=OFF -DORVEL_BUILD_BENCH=OFF
cmake --build "$here/build-release" --target orvel-bluray-player orvel_stage
exec "$here/build-release/bin/orvel-bluray-player" "$@"
