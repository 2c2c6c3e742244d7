#!/bin/sh
# Runs Windows test programs under wine64, each in its own prefix below a root folder.
#   wine.sh template <root> <wine64> <wineserver>  makes <root>/template unless it is there
#   wine.sh create <root> <wine64> <name>           makes <root>/<name> from the template
#   wine.sh run <root> <wine64> <program> args      runs <program> in <root>/<program's name>
#   wine.sh stop <root> <wineserver> <name>         ends that prefix's wineserver, removes it
# A prefix holds some 700 MB, nearly all of it DLLs that Wine only reads: test prefixes share the
# template's files through hard links and copy only the files at the top, the registry among them
# (wineserver saves it by writing a new file and renaming it over the old). Seventeen full copies
# once filled a disk.
# Headless and quiet: no display, no Wine debug output, and no Mono or Gecko installer prompts.
set -eu
action=$1 root=$2 tool=$3
shift 3
unset DISPLAY WAYLAND_DISPLAY
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

# linkedCopy <template> <prefix>: a fresh prefix sharing the template's files.
linkedCopy() {
  rm -rf "$2"
  cp -a --link "$1" "$2"
  for file in "$1"/* "$1"/.[!.]*; do
    [ -f "$file" ] && cp -p --remove-destination "$file" "$2/"
  done
  return 0
}

case $action in
template)
  export WINEPREFIX="$root/template"
  [ -f "$WINEPREFIX/system.reg" ] && exit 0
  mkdir -p "$WINEPREFIX"
  "$tool" wineboot --init
  # The registry is whole on disk only once the prefix's wineserver has ended.
  "$1" -w
  ;;
create)
  [ -f "$root/template/system.reg" ] || { echo "wine.sh: no template in $root" >&2; exit 1; }
  linkedCopy "$root/template" "$root/$1"
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
  rm -rf "$WINEPREFIX"
  ;;
*)
  echo "wine.sh: unknown action $action" >&2
  exit 2
  ;;
esac
