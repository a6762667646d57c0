#!/usr/bin/env bash
# Runs a check script against the built program as a screen reader meets it:
# a private X server (Xvfb), a private D-Bus session bus, the accessibility
# bus with its registry, and the program in a scratch copy of its directory,
# with Qt's AT-SPI bridge switched on.
#
#   atspi_run.sh PROGRAM [CHECK_SCRIPT] [-- CHECK_ARGS...]
#   atspi_run.sh --command COMMAND [ARGS...]
#
# PROGRAM is the built zorvane; the folder it is in (templates, the demo
# universe) is copied, so the program may write into its files.
# CHECK_SCRIPT defaults to atspi_check.py beside this file; it gets
# CHECK_ARGS, the environment of the session, ZV_PROGRAM_DIR (the scratch
# copy) and ZV_PROGRAM_PID. With --command no program is started: COMMAND
# runs in the session as a Qt program with the bridge on (in-process tests
# whose accessibility events need a live bridge).
# Exits with the check's status, 77 when a tool is missing. Everything
# started here is ended on exit.
set -u

usage="usage: atspi_run.sh PROGRAM [CHECK_SCRIPT] [-- CHECK_ARGS...] | --command COMMAND [ARGS...]"
program=${1:?$usage}
shift
cmd=()
check=$(dirname "$(readlink -f "$0")")/atspi_check.py
if [ "$program" = "--command" ]; then
  [ $# -gt 0 ] || { echo "$usage"; exit 2; }
  cmd=("$@")
  set --
elif [ $# -gt 0 ] && [ "$1" != "--" ]; then
  check=$1
  shift
fi
[ "${1:-}" = "--" ] && shift

python=/usr/bin/python3 # Debian's, where python3-gi lives
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb dbus-daemon dbus-send xdotool "$launcher" "$python"; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
"$python" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' 2>/dev/null ||
  { echo "SKIP: python3-gi with gir1.2-atspi-2.0 is not installed"; exit 77; }
[ ${#cmd[@]} -gt 0 ] || [ -x "$program" ] || { echo "no program at $program"; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/zv-atspi.XXXXXX")
chmod 700 "$work"
pids=()

# Each background job runs in its own process group (set -m), so ending the
# group also ends what it started: the accessibility bus and its registry.
set -m
# Whether a process of group $1 still runs; zombies left to init do not
# count, it may reap them late.
running() {
  ps -eo pgid=,stat= | awk -v group="$1" '$1 == group && $2 !~ /^Z/ { found = 1 } END { exit !found }'
}
cleanup() {
  local pid i
  disown -a 2>/dev/null # no job notices
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill -TERM -- "-$pid" 2>/dev/null
  done
  for ((i = 0; i < 30; i++)); do
    local alive=0
    for pid in "${pids[@]}"; do running "$pid" && alive=1; done
    [ $alive -eq 0 ] && break
    sleep 0.1
  done
  for pid in "${pids[@]}"; do kill -KILL -- "-$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

# Waits up to $2 tenths of a second for file $1 to hold a whole line.
wait_line() {
  local i
  for ((i = 0; i < $2; i++)); do
    # $(...) drops a trailing newline: empty when the last byte is one
    [ -s "$1" ] && [ -z "$(tail -c1 "$1")" ] && return 0
    sleep 0.1
  done
  return 1
}

# A private home: nothing is read from or written to the user's own.
mkdir -m 700 "$work/home" "$work/runtime"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime
export XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
unset WAYLAND_DISPLAY AT_SPI_BUS_ADDRESS SESSION_MANAGER

# -displayfd: the server picks a free display and writes its number. Two
# servers starting at once may race for one; the loser is started again.
for attempt in 1 2 3; do
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  wait_line "$work/display" 100 && kill -0 $! 2>/dev/null && break
  echo "Xvfb did not start (attempt $attempt):"
  cat "$work/xvfb.log"
  [ $attempt -lt 3 ] || exit 1
  sleep 1
done
export DISPLAY=:$(head -n1 "$work/display")

dbus-daemon --session --nofork --print-address=3 3>"$work/bus" >"$work/dbus.log" 2>&1 &
pids+=($!)
wait_line "$work/bus" 100 || { echo "the session bus did not start"; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")

# The launcher starts the accessibility bus; the registry is activated on it.
"$launcher" --launch-immediately >"$work/launcher.log" 2>&1 &
pids+=($!)
# (Asked without activating it: a second launcher would be started.)
deadline=$((SECONDS + 15))
until dbus-send --session --reply-timeout=1000 --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q true; do
  [ $SECONDS -lt $deadline ] || { echo "the accessibility bus did not start"; cat "$work/launcher.log"; exit 1; }
  sleep 0.1
done

# Runs a command bounded in time, in the background so that a signal to
# this script ends it at once; returns its status.
bounded() {
  timeout -k 5 "${ZV_CHECK_TIMEOUT:-120}" "$@" &
  pids+=($!)
  wait $!
}

# Qt's bridge on without a screen reader's say-so; no leak report from a
# program ended by a signal.
export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
if [ ${#cmd[@]} -gt 0 ]; then
  QT_QPA_PLATFORM=xcb bounded "${cmd[@]}"
  exit $?
fi

mkdir "$work/program"
cp -r "$(dirname "$(readlink -f "$program")")"/. "$work/program/"
export ZV_PROGRAM_DIR=$work/program
(
  cd "$work" || exit 1
  QT_QPA_PLATFORM=xcb exec "$work/program/$(basename "$program")"
) >"$work/program.log" 2>&1 &
pids+=($!)
export ZV_PROGRAM_PID=$!

bounded "$python" "$check" "$@"
status=$?
[ $status -eq 124 ] && echo "the check timed out"
if [ $status -ne 0 ] && [ -s "$work/program.log" ]; then
  echo "--- program output"
  tail -n 40 "$work/program.log"
fi
exit $status
