#!/bin/sh
# Runs HelloKel from a fresh folder of its own, without a display, and checks its texts and its log.
# Usage: RunHelloKel.sh PROGRAM LANG GREETING ERROR-TEXT LOGGED-LANGUAGE
set -eu
program=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$program" "$dir/HelloKel"
cp -r "$(dirname "$program")/Lang" "$dir/Lang"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PELRUDO_PREFIX="$dir/prefix" LANG="$2" "$dir/HelloKel")
printf '%s\n' "$out"
log=$(iconv -f UTF-16 -t UTF-8 "$dir/HelloKel.txt" | tr -d '\r')
printf 'log: %s\n' "$log"
[ "$out" = "$(printf '%s\n%s' "$3" "$4")" ] || { echo "unexpected texts"; exit 1; }
printf '%s\n' "$log" | grep -Eq "^\[[0-9]+:[0-9]+:[0-9]+\.[0-9]+\] greeted in language $5\$" || { echo "no log line"; exit 1; }
