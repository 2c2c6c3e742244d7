#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it as a user meets it: lintian,
# the desktop entry and the AppStream data; then installs it with apt-get, runs the installed program
# on the simulated bench under Xvfb until its window shows, closes it with the close box, purges the
# package and checks that nothing of it is left in /usr. Installing needs root: skipped (77) otherwise.
set -euo pipefail
build=$(cd "${1:?usage: package-test.sh BUILD_FOLDER}" && pwd)
source=$(cd "$(dirname "$0")/.." && pwd)

if [ "$(id -u)" != "0" ]; then
  echo "Skipped: installing a package needs root."
  exit 77
fi
if dpkg-query -W -f='${Status}' tolvik 2>/dev/null | grep -q installed; then
  echo "A tolvik package is installed already; this test installs and removes its own." >&2
  exit 1
fi
leftovers() { find /usr -path /usr/src -prune -o -iname '*tolvik*' -print 2>/dev/null || true; }
if [ -n "$(leftovers)" ]; then
  echo "Files named after Tolvik are in /usr before the test:" >&2
  leftovers >&2
  exit 1
fi

work=$(mktemp -d)
xvfb="" tool="" installed=""
cleanup() {
  [ -n "$tool" ] && kill "$tool" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  [ -n "$installed" ] && apt-get purge -y -qq tolvik >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

echo "== building the package"
cmake --build "$build" --target tolvik tolvikbench tolvik_package_files
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null)
deb=$(echo "$work"/tolvik_*.deb)
[ -f "$deb" ] || { echo "cpack wrote no package" >&2; exit 1; }
dpkg-deb --field "$deb"

echo "== checking it"
lintian --fail-on error "$deb"
dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work"/root/usr/share/applications/*.desktop
appstreamcli validate --no-net "$work"/root/usr/share/metainfo/*.metainfo.xml

echo "== installing it"
export DEBIAN_FRONTEND=noninteractive
installed=yes
apt-get install -y -qq -o DPkg::Lock::Timeout=300 --no-install-recommends "$deb" >/dev/null

echo "== running the installed program"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=":$(head -n 1 "$work/display")"
# What the installed program finds by itself: no variables of ours, the X platform.
env -u TOLVIK_BENCH_SCENARIO -u TOLVIK_BRIDGE_LIBRARY -u TOLVIK_REGISTRY -u QT_QPA_PLATFORM \
  DISPLAY="$display" /usr/bin/tolvik >"$work/tool.log" 2>&1 &
tool=$!
window=""
for _ in $(seq 300); do
  window=$(DISPLAY="$display" xdotool search --onlyvisible --name '^Tolvik$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "The installed program's window did not appear." >&2
  cat "$work/tool.log" >&2
  exit 1
fi
bench=$(grep -o '/usr/lib/.*/tolvik/libtolvikbench\.so' "/proc/$tool/maps" | head -n 1 || true)
if [ -z "$bench" ]; then
  echo "The installed program did not load the installed bench." >&2
  exit 1
fi
echo "window $window shows; bench loaded from $bench"
DISPLAY="$display" /usr/bin/python3 "$source/scripts/close-window.py" "$window"
status=0
wait "$tool" || status=$?
tool=""
if [ "$status" != "0" ]; then
  echo "The installed program ended with exit code $status after its close box." >&2
  cat "$work/tool.log" >&2
  exit 1
fi

echo "== removing it"
apt-get purge -y -qq -o DPkg::Lock::Timeout=300 tolvik >/dev/null
installed=""
if [ -n "$(leftovers)" ]; then
  echo "Left in /usr after the purge:" >&2
  leftovers >&2
  exit 1
fi
echo "Installed, ran, closed (exit 0) and purged; nothing left in /usr."
