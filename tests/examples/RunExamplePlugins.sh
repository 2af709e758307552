#!/bin/sh
# Installs the SDK, builds the example plug-ins against it as a separate project, and runs HelloKel
# with them in its "Plugin" folder twice: the plug-ins are listed and the window's place, loaded from
# "HelloKel.ini" and moved, is saved there again as text.
# Usage: RunExamplePlugins.sh BUILD-DIR SOURCE-DIR PROGRAM
set -eu
build=$1
source=$2
program=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

cmake --install "$build" --prefix "$dir/sdk" >/dev/null
cmake -S "$source/examples/plugins" -B "$dir/plugins" -DCMAKE_PREFIX_PATH="$dir/sdk" >/dev/null
cmake --build "$dir/plugins" >/dev/null

mkdir -p "$dir/app/Plugin"
cp "$program" "$dir/app/HelloKel"
cp -r "$(dirname "$program")/Lang" "$dir/app/Lang"
cp "$dir/plugins/TextPlugin.bsp" "$dir/plugins/KeeperPlugin.bsp" "$dir/app/Plugin/"
run() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM PELRUDO_PREFIX="$dir/prefix" LANG=en_US.UTF-8 \
        LD_LIBRARY_PATH="$dir/sdk/lib" "$dir/app/HelloKel"
}
setting() {
    iconv -f UTF-16 -t UTF-8 "$dir/app/HelloKel.ini" | tr -d '\r' | sed -n "s/^$1=//p"
}
check() {
    [ "$2" = "$3" ] || { printf '%s: expected "%s", got "%s"\n' "$1" "$3" "$2"; exit 1; }
}

out=$(run)
printf '%s\n' "$out"
check output "$out" "$(printf '%s\n' "Hello from the framework" "No device is connected" \
    "plug-in KeeperPlugin.bsp type 0x100 []" "plug-in TextPlugin.bsp type 0x1 [TXT LOG NOTE]" "notes.TXT: Text file, icon 0 of 2" "todo.note: Notes, icon 1 of 2")"
check rectangle "$(setting Rect)" "110,110,510,410"
check font "$(setting Font)" "-12,0,0,0,400,0,0,0,134,0,0,0,0,宋体"

run >/dev/null
check "rectangle of the second run" "$(setting Rect)" "120,120,520,420"
