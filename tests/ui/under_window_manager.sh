#!/bin/sh
# Runs a command on a virtual X server under a real window manager (Xvfb and
# openbox), where windows get frames and title bars as on a desktop. Exits 77,
# a skipped test, when either is missing.
if [ "${1:-}" = --inside ]; then
  shift
  "$@"
  echo $? > "$TOLVANE_STATUS_FILE"
  openbox --exit
  exit 0
fi
command -v xvfb-run > /dev/null && command -v openbox > /dev/null || exit 77
here=$(cd "$(dirname "$0")" && pwd)
TOLVANE_STATUS_FILE=$(mktemp)
trap 'rm -f "$TOLVANE_STATUS_FILE"' EXIT
# The system's D-Bus library keeps a buffer for the life of the process.
LSAN_OPTIONS="suppressions=$here/x11_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export TOLVANE_STATUS_FILE LSAN_OPTIONS
# openbox runs the command once it manages the screen, from the home folder.
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" \
  openbox --sm-disable --startup "$here/$(basename "$0") --inside $*" 2>&1 |
  grep -v '^Openbox-Message'
status=$(cat "$TOLVANE_STATUS_FILE")
exit "${status:-1}"
