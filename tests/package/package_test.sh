#!/usr/bin/env bash
# Checks the Debian package of a build folder as a user's machine sees it:
#   package_test.sh install BUILD   unpacked into a throw-away root, the
#                                   program runs there and keeps its data in
#                                   a fresh per-user folder
#   package_test.sh desktop BUILD   desktop entry and icons
#   package_test.sh man BUILD       manual pages render without warnings
#   package_test.sh lintian BUILD   Debian's package checker finds nothing
#                                   that is not explained
set -euo pipefail
mode=$1
build=$2

debs=("$build"/tolvane_*.deb)
[ -f "${debs[0]}" ] || { echo "no package in $build (cpack not run?)" >&2; exit 1; }
deb=${debs[0]}

work=$(mktemp -d)
pids=()
cleanup() {
  [ ${#pids[@]} -eq 0 ] || kill "${pids[@]}" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
root=$work/root
dpkg -x "$deb" "$root"

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
mode_of() { stat -c %a "$1"; }

# Runs the unpacked program without a display, as from cron, from an
# unrelated folder; prints its exit status.
run_tolvane() {
  local status=0
  (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" >"$work/out" \
    2>"$work/err") || status=$?
  echo "$status"
}

check_install() {
  local tolvane=$root/usr/bin/tolvane
  [ -x "$tolvane" ] || fail "no executable in usr/bin"
  # The user unit starts the installed program without a window.
  local unit=$root/usr/lib/systemd/user/tolvane.service
  grep -qx "ExecStart=/usr/bin/tolvane --serve" "$unit" || fail "no user unit serving /usr/bin/tolvane"
  grep -qx "Restart=on-failure" "$unit" || fail "the user unit is not restarted on failure"
  touch "$work/unpacked"

  # First start: the per-user folder is made and filled; the order is wrong,
  # so nothing is sent.
  export HOME=$work/home XDG_DATA_HOME=$work/data
  mkdir -p "$HOME"
  local data=$XDG_DATA_HOME/Tolvane
  local status
  status=$(run_tolvane "$tolvane" "just a message")
  [ "$status" = 2 ] || fail "a wrong order exits with $status, not 2: $(cat "$work/err")"
  [ -d "$data" ] || fail "no per-user folder $data"
  [ "$(mode_of "$data")" = 700 ] || fail "per-user folder has mode $(mode_of "$data")"
  cmp -s "$data/teledata.mdb" "$root/usr/share/tolvane/teledata.mdb" ||
    fail "the per-user phone book is not the installed empty one"
  [ "$(mode_of "$data/teledata.mdb")" = 600 ] || fail "phone book has mode $(mode_of "$data/teledata.mdb")"

  # The user points the program at a gateway and sends from the command line.
  "$root/usr/bin/tolvane-gateway-sim" --port 0 --status 202 >"$work/gateway.log" 2>&1 &
  pids+=($!)
  local address=""
  for _ in $(seq 100); do
    address=$(grep -o 'http://127.0.0.1:[0-9]*' "$work/gateway.log" || true)
    [ -n "$address" ] && break
    sleep 0.1
  done
  [ -n "$address" ] || { fail "tolvane-gateway-sim did not start: $(cat "$work/gateway.log")"; return; }
  printf '[Access]\r\nAccessTyp=TCP\r\n[TCP]\r\nTCPAnvNamn=demo\r\nTCPGateway=%s\r\n[Modem]\r\nLogg=1\r\n' \
    "$address" >"$data/tolvmsg.ini"
  status=$(run_tolvane "$tolvane" "N//070-123 45 67//Hello from the package//kvitto.txt")
  [ "$status" = 0 ] || fail "the send exits with $status: $(cat "$work/err")"
  grep -q 'toPhoneNumber=0701234567' "$work/gateway.log" || fail "the gateway saw no send: $(cat "$work/gateway.log")"
  grep -q '"Hello from the package"' "$data/loggfil.txt" 2>/dev/null || fail "no log record in $data"
  grep -q 'Message placed in message queue' "$data/kvitto.txt" 2>/dev/null || fail "no receipt in $data"
  for file in loggfil.txt kvitto.txt; do
    [ ! -e "$data/$file" ] || [ "$(mode_of "$data/$file")" = 600 ] ||
      fail "$file has mode $(mode_of "$data/$file")"
  done
  local written
  written=$(find "$root" "$work" -maxdepth 1 -newer "$work/unpacked" ! -name out ! -name err \
    ! -name gateway.log ! -path "$work" ! -path "$root" ! -name data ! -name home)
  [ -z "$written" ] || fail "files written outside the per-user folder: $written"

  # Without XDG_DATA_HOME the folder lies under the home folder.
  unset XDG_DATA_HOME
  status=$(run_tolvane "$tolvane" "just a message")
  [ -f "$HOME/.local/share/Tolvane/teledata.mdb" ] || fail "no phone book under ~/.local/share/Tolvane"

  # A copy unpacked into a writable folder with a phone book stays portable.
  local portable=$work/portable
  mkdir -p "$portable"
  cp "$tolvane" "$root/usr/share/tolvane/teledata.mdb" "$portable/"
  export XDG_DATA_HOME=$work/portable-data
  status=$(run_tolvane "$portable/tolvane" "N//0701//Hi//kvitto.txt")
  [ -f "$portable/kvitto.txt" ] || fail "the portable copy wrote no receipt beside itself"
  [ ! -e "$XDG_DATA_HOME" ] || fail "the portable copy made a per-user folder"
}

check_desktop() {
  local entry=$root/usr/share/applications/tolvane.desktop
  local found
  found=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $found"
  [ -z "$found" ] || fail "desktop-file-validate: $found"
  local icon exec
  icon=$(sed -n 's/^Icon=//p' "$entry")
  exec=$(sed -n 's/^Exec=//p' "$entry")
  [ -x "$root/usr/bin/${exec%% *}" ] || fail "Exec=$exec is not in usr/bin"
  [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
  for size in 16 22 24 32 48 64 128 256; do
    local png=$root/usr/share/icons/hicolor/${size}x$size/apps/$icon.png
    file "$png" | grep -q "PNG image data, $size x $size" || fail "$png is not a $size-pixel PNG"
  done
}

check_man() {
  local pages=("$root"/usr/share/man/man1/*.1.gz)
  [ ${#pages[@]} -eq 6 ] || fail "expected six manual pages, found ${#pages[@]}"
  for page in "${pages[@]}"; do
    local warnings
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) ||
      fail "man -l $page failed"
    [ -z "$warnings" ] || fail "man -l $(basename "$page"): $warnings"
  done
  # Every option a simulator lists in its --help is in its manual page.
  for tool in modem-sim gsm-modem-sim smpp-sim emi-sim gateway-sim; do
    local option
    for option in $("$root/usr/bin/tolvane-$tool" --help 2>&1 | grep -o -- '--[a-z][a-z-]*' | sort -u); do
      [ "$option" = --help-all ] && continue
      zcat "$root/usr/share/man/man1/tolvane-$tool.1.gz" | grep -qF -- "${option//-/\\-}" ||
        fail "tolvane-$tool(1) does not describe $option"
    done
  done
  for section in "ORDERS" "EXIT STATUS" "FILES" "SETTINGS"; do
    LC_ALL=C.UTF-8 man -l "$root/usr/share/man/man1/tolvane.1.gz" 2>/dev/null |
      grep -q "^$section" || fail "tolvane(1) has no $section section"
  done
}

check_lintian() {
  local findings
  # Every finding down to the pedantic ones fails, unless the package's own
  # overrides explain it; an override that no longer matches fails too.
  findings=$(lintian --fail-on error,warning,info,pedantic --display-info --pedantic "$deb" 2>&1) ||
    fail "lintian: $findings"
  [ -z "$findings" ] || echo "$findings"
}

case $mode in
  install) check_install ;;
  desktop) check_desktop ;;
  man) check_man ;;
  lintian) check_lintian ;;
  *) echo "unknown check $mode" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || exit 1
echo "package check $mode passed"
