#!/usr/bin/env bash
# Start-up time of vkrandom on the demo robot folder, from exec to the main window painted,
# against an empty QDialog program built the same way, and that dialog with one Japanese label
# (which adds Qt's one-time font setup, the bulk of the difference). Medians of RUNS runs each.
# Usage: bench/startup.sh [BUILD] [RUNS]. Without a display it runs under Xvfb when that is
# installed, else on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
build=$(realpath "${1:-build}")
runs=${2:-21}

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  if command -v xvfb-run >/dev/null; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$runs"
  fi
  export QT_QPA_PLATFORM=offscreen
fi

cmake --build "$build" --target vkrandom-startup-probe vkrandom-bare-dialog >/dev/null
probe=$build/bin/vkrandom-startup-probe
bare=$build/bin/vkrandom-bare-dialog

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work  # a lock of our own, so a running instance does not interfere
printf '[DATA]\r\nPATH=%s\r\n[REMOTE]\r\nCONNECT_TYPE=0\r\n' "$repo/demo/robot" >"$work/VKRandom.ini"

# Wall time of one run in microseconds.
time_run() {
  local start end
  start=$(date +%s%N)
  timeout 30 "$@" >/dev/null 2>&1 || { echo "failed or stuck (a message box?): $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

run_probe() { (cd "$repo/demo" && time_run "$probe" --settings "$work/VKRandom.ini"); }

# A warm-up each, so all start from a warm file cache; then interleaved runs.
run_probe >/dev/null
time_run "$bare" >/dev/null
: >"$work/probe.times" >"$work/bare.times" >"$work/label.times"
for _ in $(seq "$runs"); do
  run_probe >>"$work/probe.times"
  time_run "$bare" >>"$work/bare.times"
  time_run "$bare" --label >>"$work/label.times"
done

p=$(median <"$work/probe.times")
b=$(median <"$work/bare.times")
l=$(median <"$work/label.times")
awk -v p="$p" -v b="$b" -v l="$l" -v n="$runs" -v platform="${QT_QPA_PLATFORM:-xcb}" 'BEGIN {
  printf "start-up to window shown, median of %d runs (%s)\n", n, platform
  printf "  vkrandom (demo)          %7.1f ms\n", p / 1000
  printf "  bare QDialog             %7.1f ms   ratio %.2f (target <= 1.50)\n", b / 1000, p / b
  printf "  QDialog with one label   %7.1f ms   ratio %.2f\n", l / 1000, p / l
}'
