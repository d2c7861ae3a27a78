#!/usr/bin/env bash
# Unzips the Windows package as a robot owner would and runs its vkrandom-cli.exe under Wine in
# that folder: the programs are there, and the catalogue and robot folder beside them work.
set -euo pipefail
zip=$(realpath "$1") prefix=$(realpath -m "$2") root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work"
cd "$work"/VKRandom-*-win64
test -s VKRandom.exe; test -s はじめにお読みください.txt; test -s LICENSE
cli() { LC_ALL=C.UTF-8 "$root/scripts/wine-run" "$prefix" "${exe:-vkrandom-cli.exe}" "$@" </dev/null | tr -d '\r'; }
first=$(cli --choose 'robot\STARTUP.XML' list | sed -n 1p)
test "$(cli get "$first")" = 0
# Started in another folder (by a shortcut, from a prompt), it finds the catalogue beside itself.
test "$(cd robot && exe=../vkrandom-cli.exe cli list 2>/dev/null | sed -n 1p)" = "$first"
echo "zip test: $(basename "$zip") unzipped, vkrandom-cli.exe ran on its demo"
