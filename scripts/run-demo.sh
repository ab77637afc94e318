#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated unit on loopback and
# takes a screenshot of its desktop through the viewer's own core; on a desktop
# (DISPLAY set) it then opens the window connected to the same unit.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
orb_install_deps
orb_build build

bin=build/bin
demo_dir=${DEMO_DIR:-$PWD/demo}
mkdir -p "$demo_dir"

sim_out=$(mktemp)
# A still desktop, so that the screenshot's picture settles.
"$bin/orb-sim" --listen 127.0.0.1:0 --encoding mixed --frame-interval-ms 0 >"$sim_out" &
sim_pid=$!
trap 'kill "$sim_pid" 2>/dev/null; wait "$sim_pid" 2>/dev/null; rm -f "$sim_out"' EXIT

for _ in $(seq 100); do
  grep -q '^LISTENING ' "$sim_out" && break
  sleep 0.1
done
port=$(sed -n 's/^LISTENING \([0-9]*\)$/\1/p' "$sim_out")
[ -n "$port" ] || { echo "orb-sim did not start" >&2; exit 1; }
echo "Simulated unit listening on 127.0.0.1:$port"

cd "$demo_dir"
"$OLDPWD/$bin/orbctl" --ini Remote.ini --connect "127.0.0.1:$port" --user admin --password admin ping
# The unit serves one viewer at a time: the screenshot waits until it is done with the ping.
for _ in $(seq 100); do
  grep -q '^SESSION ENDED$' "$sim_out" && break
  sleep 0.1
done
"$OLDPWD/$bin/orbctl" --ini Remote.ini --connect "127.0.0.1:$port" --user admin --password admin \
  --size 1024x768 screenshot demo.png
echo "The remote screen is in $demo_dir/demo.png"

if [ -n "${DISPLAY:-}" ] && [ -x "$OLDPWD/$bin/tessaline-viewer" ]; then
  for _ in $(seq 100); do
    grep -c '^SESSION ENDED$' "$sim_out" | grep -q 2 && break
    sleep 0.1
  done
  echo "Opening the window on $DISPLAY (log in as admin / admin; close it to end the demo)"
  "$OLDPWD/$bin/tessaline-viewer" --ini Remote.ini -ConnectTo "127.0.0.1:$port"
else
  echo "No display (DISPLAY is not set): the window is not opened; the screenshot stands in for it."
fi
