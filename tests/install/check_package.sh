#!/usr/bin/env bash
# Packages the build as scripts/package.sh does (cpack -G DEB, under /usr)
# and checks the package with Debian's tools: lintian without errors or
# warnings, the desktop entry, and the AppStream metainfo together with the
# desktop entry it launches. The build's program is reused, nothing is built.
# Exits 77 (skipped) when lintian is not installed.
set -euo pipefail
build=$(cd "$1" && pwd)

if ! command -v lintian >/dev/null; then
  echo "skipped: lintian is not installed (scripts/deps.sh installs it)"
  exit 77
fi
if grep -q '^ZV_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "skipped: a sanitizer build is not packaged; the plain build checks the package"
  exit 77
fi
for tool in desktop-file-validate appstreamcli dpkg-architecture; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/deps.sh installs it with lintian)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
debs=("$work"/zorvane_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "cpack made no single package"; cat "$work/cpack.log"; exit 1
fi
deb=${debs[0]}
echo "package: $(basename "$deb")"

# The layout of the real package, which is configured for /usr.
root=$work/root
dpkg-deb -x "$deb" "$root"
program=usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/zorvane
[ -x "$root/$program/zorvane" ] || { echo "the program is not in /$program"; exit 1; }
[ "$(readlink -f "$root/usr/bin/zorvane")" = "$(readlink -f "$root/$program/zorvane")" ] ||
  { echo "usr/bin/zorvane does not lead to /$program/zorvane"; exit 1; }

status=0
echo "== lintian"
lintian_status=0
lintian --display-info --pedantic --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.txt" || true
if [ $lintian_status -ne 0 ] || grep -q '^[EW]:' "$work/lintian.txt"; then
  echo "lintian found errors or warnings"; status=1
fi

echo "== desktop-file-validate"
desktops=("$root"/usr/share/applications/*.desktop)
out=$(desktop-file-validate "${desktops[@]}" 2>&1) || status=1
if [ -n "$out" ]; then echo "$out"; status=1; fi

echo "== appstreamcli validate-tree --no-net"
appstreamcli validate-tree --no-net "$root" || status=1

[ $status -eq 0 ] && echo "package ok"
exit $status
