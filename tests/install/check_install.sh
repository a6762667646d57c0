#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the layout: one program
# directory with the templates and the demo universe, a working link in bin,
# the desktop entry and the icons.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

program=$(dirname "$(readlink -f "$prefix/bin/zorvane")")
[ -x "$program/zorvane" ] || { echo "bin/zorvane does not lead to the program"; exit 1; }
case "$(readlink "$prefix/bin/zorvane")" in
  /*) echo "the link in bin must be relative"; exit 1 ;;
esac
for t in spiral ring clusters cross disc letters; do
  [ -f "$program/$t.bmp" ] && [ -f "$program/$t.zv" ] || { echo "template $t missing beside the program"; exit 1; }
done
[ -f "$program/demo-medium-300planets-4players.xy" ] || { echo "demo universe missing"; exit 1; }
grep -q '^Exec=zorvane' "$prefix/share/applications/zorvane.desktop"
grep -q '^Icon=zorvane' "$prefix/share/applications/zorvane.desktop"
[ -f "$prefix/share/icons/hicolor/64x64/apps/zorvane.png" ]
[ -f "$prefix/share/icons/hicolor/scalable/apps/zorvane.svg" ]
echo "install layout ok: $program"
