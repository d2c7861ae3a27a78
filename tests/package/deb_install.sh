#!/usr/bin/env bash
# Installs the .deb on this machine, runs its programs on its own demo, and removes it again.
set -euo pipefail
deb=$(realpath "$1")
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: installing $deb needs root (dpkg -i)"; exit 0
fi
exec 9>/tmp/vkrandom-deb-test.lock && flock -w 120 9   # one install at a time on this machine
if dpkg-query -W -f='${Status}' vkrandom 2>/dev/null | grep -q 'ok installed'; then
  echo "SKIPPED: a vkrandom package is installed already; left alone"; exit 0
fi
work=$(mktemp -d)
trap 'dpkg -r vkrandom >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
dpkg -i "$deb" >/dev/null || apt-get install -f -y -qq --no-download
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work XDG_DATA_HOME=$work QT_QPA_PLATFORM=offscreen
test "$(/usr/bin/vkrandom-cli --version)" = "$(dpkg-deb -f "$deb" Version)"
/usr/bin/vkrandom --version >/dev/null
test -s /usr/share/applications/vkrandom.desktop
cp -r /usr/share/vkrandom/demo "$work/demo"
printf '[DATA]\r\nVERSION=1\r\nPATH=%s\r\n' "$work/demo/robot" >"$work/VKRandom.ini"
cli=(/usr/bin/vkrandom-cli --settings "$work/VKRandom.ini")
first=$(cd "$work/demo" && "${cli[@]}" list | sed -n 1p)
test "$(cd "$work/demo" && "${cli[@]}" get "$first")" = 0   # its catalogue finds its robot
dpkg -r vkrandom >/dev/null
test ! -e /usr/bin/vkrandom-cli
echo "deb install test: $(basename "$deb") installed, ran and was removed"
