#!/usr/bin/env bash
# Installs what the tests need, builds everything and runs the whole suite headless: it
# starts its own X server and a private session bus and stops them at the end.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build-tests"
bash "$here/scripts/install-deps.sh"

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j 2

cleanup() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  [ -n "${dbus_pid:-}" ] && kill "$dbus_pid" 2>/dev/null || true
  [ -n "${scratch:-}" ] && rm -rf "$scratch"
}
trap cleanup EXIT
scratch="$(mktemp -d)"

# The engine only uses X shared memory on displays below 10, so pick a free one there.
display=""
for n in 5 6 7 8 9 4 3 2 1; do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display number below 10" >&2; exit 1; }
# -noreset: without it the server restarts whenever its last client leaves, and a client
# that connects in that moment (a test starting the player) is turned away.
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY="$display"
unset WAYLAND_DISPLAY

dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$scratch/bus" \
  >/dev/null 2>&1 &
dbus_pid=$!
for _ in $(seq 50); do [ -s "$scratch/bus" ] && break; sleep 0.1; done
export DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$scratch/bus")"

# Tests never touch the real user's folders.
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" \
  XDG_DATA_HOME="$scratch/home/.local/share" XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# A short coverage-guided run of every fuzz target under the address and undefined-
# behaviour checkers, in a build of its own made with clang.
BUILD_DIR="$here/build-fuzz" bash "$here/fuzz/run-short.sh" 20

cd "$build"
ctest --output-on-failure --timeout 600
