#!/usr/bin/env bash
# Start-up time of VKRandom.exe under Wine on the demo robot folder, from start to the main
# window painted, against an empty dialog from a template built the same way (both end once
# their window has painted). Median of RUNS runs each, under Xvfb, one wineserver kept running
# so that both pay the same small process start.
# Usage: bench/win32-startup.sh [WINDOWS_BUILD] [RUNS]   (default build-win, 5)
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
build=$(realpath "${1:-build-win}")
runs=${2:-5}

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$runs"
fi

cmake --build "$build" --target vkrandom-startup-probe vkrandom-bare-dialog >/dev/null
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
scripts/wine-prefix "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
work=$(mktemp -d)

# The probe reads VKRandom.ini beside itself, as the program does.
cp "$build/bin/vkrandom-startup-probe.exe" "$build/bin/vkrandom-bare-dialog.exe" "$work/"
printf '[DATA]\r\nPATH=%s\r\n[REMOTE]\r\nCONNECT_TYPE=1\r\n' \
  "$(winepath -w "$repo/demo/robot" 2>/dev/null)" >"$work/VKRandom.ini"

# Wall time of one run in microseconds.
time_run() {
  local start end
  start=$(date +%s%N)
  (cd "$repo/demo" && timeout 60 wine "$@" </dev/null >/dev/null 2>&1) ||
    { echo "failed or stuck (a message box?): $*" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# A warm-up each, so all start from a warm cache; then interleaved runs.
time_run "$work/vkrandom-startup-probe.exe" >/dev/null
time_run "$work/vkrandom-bare-dialog.exe" >/dev/null
for _ in $(seq "$runs"); do
  time_run "$work/vkrandom-startup-probe.exe" >>"$work/probe.times"
  time_run "$work/vkrandom-bare-dialog.exe" >>"$work/bare.times"
done

p=$(median <"$work/probe.times")
b=$(median <"$work/bare.times")
size=$(stat -c %s "$build/bin/VKRandom.exe" 2>/dev/null || echo 0)
imports=$(x86_64-w64-mingw32-objdump -p "$build/bin/VKRandom.exe" 2>/dev/null |
  awk '/DLL Name/ {printf "%s ", $3}')
# Delay-loaded DLLs, named by their delay-load libraries (the probe is linked like the program).
delayed=$(x86_64-w64-mingw32-objdump -x "$build/bin/vkrandom-startup-probe.exe" 2>/dev/null |
  grep -o '__DLL_HANDLE_[A-Za-z0-9_]*' | sed 's/.*_lib//; s/_a$//' | sort -u | tr '\n' ' ')
awk -v p="$p" -v b="$b" -v n="$runs" -v size="$size" -v imports="$imports" -v delayed="$delayed" 'BEGIN {
  printf "start-up to main window shown under Wine, median of %d runs\n", n
  printf "  VKRandom.exe (demo)      %7.1f ms\n", p / 1000
  printf "  bare dialog              %7.1f ms   ratio %.2f (target <= 1.50)\n", b / 1000, p / b
  printf "VKRandom.exe: %.2f MB (target <= 3 MB); imports %s; delay-loads %s\n", size / 1048576,
    imports, delayed
}'
