# Shared by the installer tests (sourced): the prefix's environment, checks that count failures,
# a fresh prefix, registry look-ups, and on exit the end of the prefix's Wine processes and the
# prefix itself.
#   . wine-install.sh <prefix> <wine64> <wineserver>
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine=$2 server=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { if eval "$2"; then echo "ok: $1"; else fail "$1"; fi; }
finish() { "$server" -k 2>/dev/null; "$server" -w; rm -rf "$WINEPREFIX"; }
trap finish EXIT

# A fresh prefix, a linked copy of the template the wine_template fixture makes beside it once:
# making one takes far longer.
freshPrefix() {
  "$(dirname "$0")/../windows/wine.sh" create "$(dirname "$WINEPREFIX")" "$wine" \
    "$(basename "$WINEPREFIX")" || exit 1
}

root="$WINEPREFIX/drive_c/Program Files/Tolvik"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tolvik"
appPathsKey='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Tolvik.exe'
regHas() { "$wine" reg query "$1" /reg:64 >/dev/null 2>&1; }
regValue() { "$wine" reg query "$1" /v "$2" /reg:64 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_[A-Z_]*[[:space:]]*//p'; }
hostFolder() {
  "$wine" reg add "HKLM\\SOFTWARE\\Quarn Corporation\\Install Data\\$1" /v TargetDir /d "$2" /f /reg:64 \
    >/dev/null 2>&1
}
