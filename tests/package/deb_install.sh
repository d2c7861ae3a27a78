#!/usr/bin/env bash
# Checks the .deb with lintian, installs it on this machine, runs its programs as a new user
# would (from the home folder, as the menu starts them, and on the demo), and removes it again.
set -euo pipefail
deb=$(realpath "$1")
lintian --allow-root --fail-on error "$deb"
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIPPED: installing $deb needs root (dpkg -i)"; exit 0
fi
exec 9>/tmp/vkrandom-deb-test.lock && flock -w 120 9   # one install at a time on this machine
if dpkg-query -W -f='${Status}' vkrandom 2>/dev/null | grep -q 'ok installed'; then
  echo "SKIPPED: a vkrandom package is installed already; left alone"; exit 0
fi
home=$(mktemp -d)  # a new user's, with the XDG folders at their defaults
trap 'dpkg -r vkrandom >/dev/null 2>&1 || true; rm -rf "$home"' EXIT
dpkg -i "$deb" >/dev/null || apt-get install -f -y -qq --no-download
cd "$home"
unset XDG_CONFIG_HOME XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
export HOME=$home XDG_RUNTIME_DIR=$home LC_ALL=C.UTF-8
test "$(vkrandom-cli --version)" = "$(dpkg-deb -f "$deb" Version)"
vkrandom --version >/dev/null; vkrandom --help >/dev/null   # no display needed for these
test -s /usr/share/applications/vkrandom.desktop

# The demo is the user's copy, made once: what is written stays there, the package is unchanged.
test "$(vkrandom-cli --demo set あいさつ 1 2>&1 && vkrandom-cli --demo get あいさつ)" = "[113] Veskプログラムの書出しに成功しました
1"
test -z "$(dpkg -V vkrandom)"

# From the home folder: the packaged catalogue, the settings in ~/.config, none beside the program.
demo=$home/.local/share/VKRandom/demo
vkrandom-cli --choose "$demo/robot/STARTUP.XML" list >list 2>err
test -s list; test "$(grep -c '^\[102\]' err)" = 0
grep -q "^PATH=$demo/robot" .config/VKRandom/VKRandom.ini; test ! -e /usr/bin/VKRandom.ini
# The desktop program likewise: message 102 would come before its window could show.
xvfb-run -a bash -c 'vkrandom & pid=$!
  timeout 20 xdotool search --sync --onlyvisible --name "^Vesk" >/dev/null; main=$?
  shown=$(xdotool search --onlyvisible --pid $pid | wc -l); kill $pid; test $main$shown = 01'

dpkg -r vkrandom >/dev/null
test ! -e /usr/bin/vkrandom-cli; test ! -e /usr/share/vkrandom
echo "deb install test: $(basename "$deb") passed lintian, installed, ran and was removed"
