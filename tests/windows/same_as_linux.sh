#!/usr/bin/env bash
# vkrandom-cli.exe under Wine and the Linux vkrandom-cli, given the same commands on copies of the
# demo robot: in a folder with a Japanese name (the settings file in CP932, as Windows writes it)
# over USB, and on the card emulator. Output and exit status, program files, TEMP.VX4, REMOTE.LOG and the card's
# request logs must be the same bytes (the emulator's port and the clock's FTIME aside).
# Usage: same_as_linux.sh LINUX_BIN_DIR WINDOWS_CLI SOURCE_DIR   (WINEPREFIX set)
set -euo pipefail
bin=$1 exe=$2 source=$3
: "${WINEPREFIX:?the Wine prefix of the build tree, never the home folder}"
work=$(mktemp -d)
export XDG_DATA_HOME=$work/data  # the backups of the Linux runs
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT

run() {  # system settings-file command...: its output, then its exit status
  local system=$1 ini=$2 status=0
  shift 2
  if [ "$system" = linux ]; then
    (cd "$source/demo" && "$bin/vkrandom-cli" --settings "$ini" --lock "$work/lock" "$@") || status=$?
  else
    (cd "$source/demo" && wine "$exe" --settings "$(winepath -w "$ini")" "$@") || status=$?
  fi
  echo "exit $status"
}
native() {  # system path: the path as that system's settings file holds it
  if [ "$1" = linux ]; then printf %s "$2"; else winepath -w "$2" | iconv -f UTF-8 -t CP932; fi
}

for system in linux windows; do
  d=$work/$system
  mkdir -p "$d/ロボット" "$d/usb/ADDON" "$d/card/ADDON"
  cp -r "$source/demo/robot/." "$d/ロボット/"
  cp -r "$source/demo/robot/." "$d/card/"
  : >"$d/usb/ADDON/REMOTE.LOG"
  sep=/; [ "$system" = windows ] && sep='\'
  printf '[DATA]\r\nPATH=%s\r\n[REMOTE]\r\nCONNECT_TYPE=1\r\nREMOTE_DIR=%s%s\r\n' \
    "$(native $system "$d/ロボット")" "$(native $system "$d/usb")" "$sep" >"$d/usb.ini"
  {
    run $system "$d/usb.ini" list
    run $system "$d/usb.ini" show あいさつ
    run $system "$d/usb.ini" set あいさつ 2
    run $system "$d/usb.ini" exec あいさつ
  } >"$d/usb.out" 2>/dev/null

  "$bin/vkrandom-card-emulator" --root "$d/card" --port 0 --port-file "$work/port" \
    --log "$work/$system.log" >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.1; done
  printf '[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=127.0.0.1:%s\r\n' "$(cat "$work/port")" >"$d/card.ini"
  rm "$work/port"
  {
    run $system "$d/card.ini" show あいさつ
    run $system "$d/card.ini" set あいさつ 3
    run $system "$d/card.ini" exec 首振り
  } >"$d/card.out" 2>/dev/null
  sed -e 's/^Host: 127\.0\.0\.1:[0-9]*\r$/Host: CARD\r/' -e 's/FTIME=0x[0-9A-F]\{8\}/FTIME=0xTIME/' \
    "$work/$system.log" >"$d/requests.log"
done
diff -r --exclude='*.ini' "$work/linux" "$work/windows"
diff -rq "$source/demo/robot" "$work/linux/ロボット" >/dev/null && {
  echo "the commands changed nothing" >&2
  exit 1
}
echo "same bytes on both systems: $(cd "$work/linux" && find . -type f ! -name '*.ini' | wc -l) files"
