#!/bin/sh
# Runs Windows test programs under wine64, each in its own prefix below a root folder.
#   wine.sh create <root> <wine64> <name>       makes <root>/<name> unless it is there
#   wine.sh run <root> <wine64> <program> args  runs <program> in <root>/<program's name>
#   wine.sh stop <root> <wineserver> <name>     ends that prefix's wineserver, if any
# Headless and quiet: no display, no Wine debug output, and no Mono or Gecko installer prompts.
set -eu
action=$1 root=$2 tool=$3
shift 3
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

case $action in
create)
  export WINEPREFIX="$root/$1"
  [ -f "$WINEPREFIX/system.reg" ] && exit 0
  mkdir -p "$WINEPREFIX"
  "$tool" wineboot --init
  ;;
run)
  program=$1
  shift
  export WINEPREFIX="$root/$(basename "$program" .exe)"
  exec "$tool" "$program" "$@"
  ;;
stop)
  export WINEPREFIX="$root/$1"
  [ -d "$WINEPREFIX" ] || exit 0
  # -k fails when no server runs for the prefix; that is the state wanted.
  "$tool" -k 2>/dev/null || true
  "$tool" -w
  ;;
*)
  echo "wine.sh: unknown action $action" >&2
  exit 2
  ;;
esac
