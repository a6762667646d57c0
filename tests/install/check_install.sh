#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the layout: one program
# directory with the templates and the demo universe, a working link in bin,
# the desktop entry named as the metainfo launches it, the icons, the manual
# page and the package's documents.
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
metainfo=$prefix/share/metainfo/example.zorvane.Zorvane.metainfo.xml
launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
desktop=$prefix/share/applications/$launchable
[ -f "$desktop" ] || { echo "the metainfo launches ${launchable:-nothing}, which is not installed"; exit 1; }
grep -q '^Exec=zorvane' "$desktop"
grep -q '^Icon=zorvane' "$desktop"
[ -f "$prefix/share/icons/hicolor/64x64/apps/zorvane.png" ]
[ -f "$prefix/share/icons/hicolor/scalable/apps/zorvane.svg" ]
gzip -t "$prefix/share/man/man1/zorvane.1.gz" "$prefix/share/doc/zorvane/changelog.gz"
grep -q '^License: MIT' "$prefix/share/doc/zorvane/copyright"
echo "install layout ok: $program"
