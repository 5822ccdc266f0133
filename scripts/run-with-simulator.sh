#!/usr/bin/env bash
# Runs Kestrix against the receiver simulator, with a settings file of its own whose Com1 is the
# simulator's line. The user's own settings are never read or written.
#   scripts/run-with-simulator.sh BUILD_DIR [kestrix-receiver-sim options...]
set -euo pipefail

build_dir=${1:?usage: $0 BUILD_DIR [kestrix-receiver-sim options...]}
shift
simulator="$build_dir/kestrix-receiver-sim"
console="$build_dir/kestrix"
for program in "$simulator" "$console"; do
  if [ ! -x "$program" ]; then
    echo "$0: $program is not built" >&2
    exit 1
  fi
done

workdir=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-run.XXXXXX")
simulator_pid=""
cleanup() {
  if [ -n "$simulator_pid" ] && kill -0 "$simulator_pid" 2>/dev/null; then
    kill "$simulator_pid" 2>/dev/null || true
    wait "$simulator_pid" 2>/dev/null || true
  fi
  rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

link="$workdir/ttyKESTRIX"
"$simulator" --link "$link" "$@" >"$workdir/simulator.out" &
simulator_pid=$!

# The simulator prints the link's path once it is listening.
for _ in $(seq 1 100); do
  if [ -s "$workdir/simulator.out" ]; then break; fi
  if ! kill -0 "$simulator_pid" 2>/dev/null; then
    echo "$0: the receiver simulator did not start" >&2
    exit 1
  fi
  sleep 0.05
done
line_path=$(head -n 1 "$workdir/simulator.out")
if [ -z "$line_path" ]; then
  echo "$0: the receiver simulator did not report its line" >&2
  exit 1
fi

export XDG_CONFIG_HOME="$workdir/config"
mkdir -p "$XDG_CONFIG_HOME/kestrix"
printf '[Ports]\r\nCom1=%s\r\n' "$line_path" >"$XDG_CONFIG_HOME/kestrix/Receiver.INI"

echo "Receiver simulator on $line_path (Com1); open it with CommPort, Port Open."
echo "To silence the receiver and let it answer again: kill -USR1 $simulator_pid"
echo "To mend its hardware faults and bring them back: kill -USR2 $simulator_pid"
status=0
"$console" || status=$?
exit "$status"
