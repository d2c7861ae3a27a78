#!/usr/bin/env bash
# System calls that touch the program file for one choice read (get) and one write (set),
# counted with strace on vkrandom-cli against a copy of the demo folder.
set -euo pipefail
bin=${1:-build/bin}
bin=$(cd "$bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$(cd "$(dirname "$0")/.." && pwd)
cp -r "$root/demo/robot" "$work/robot"
cp "$root/demo/Random.csv" "$work/"
printf '[DATA]\r\nPATH=%s\r\n' "$work/robot" > "$work/s.ini"
cd "$work"
cli=("$bin/vkrandom-cli" --settings "$work/s.ini" --lock "$work/lock")
name=$(printf '\xe6\xad\xa9\xe3\x81\x8d\xe6\x96\xb9')  # 歩き方, slot in WALK.XML
for op in get set; do
  args=("$op" "$name"); [ "$op" = set ] && args+=(2)
  strace -f -y -e trace=%file,%desc -o "$work/trace" "${cli[@]}" "${args[@]}" >/dev/null 2>&1
  echo "== $op: calls on WALK.XML"
  # Calls on the file: those naming it, and those on a descriptor that strace shows as it.
  grep 'WALK.XML' "$work/trace" | sed -E 's/^[0-9]+ +//; s/\(.*//' | sort | uniq -c
  grep 'WALK.XML' "$work/trace" | sed -E 's/^[0-9]+ +//' | cut -c1-110
done
