#!/bin/sh
# Installs TolvikSetup silently into a fresh Wine prefix, checks what it put where, starts the
# installed training copy of Tolvik.exe on the bench and finds its window, uninstalls silently and
# checks that nothing is left. Run under xvfb-run; ends the prefix's Wine processes itself.
#   install-test.sh <prefix> <wine64> <wineserver> <setup.exe> <tolvik_window_tests.exe>
set -u
. "$(dirname "$0")/wine-install.sh" "$1" "$2" "$3"
setup=$4 windowTests=$5
freshPrefix
uninstallKey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvik'

# A workstation where the newer host application is installed.
hostFolder JVR 'C:\Quarn\JVR'

"$wine" "$setup" /S
"$server" -w
check "Tolvik.exe installed" '[ -f "$root/Tolvik.exe" ]'
check "uninstaller installed" '[ -f "$root/uninstall.exe" ]'
check "no bridge library beside the installed Tolvik.exe" '[ ! -e "$root/QuarnCANopen.dll" ]'
check "training copy with the bench as its bridge library" \
  '[ -f "$root/Training/Tolvik.exe" ] && [ -f "$root/Training/QuarnCANopen.dll" ]'
check "Start-menu shortcuts" '[ -f "$menu/Tolvik.lnk" ] && [ -f "$menu/Tolvik (training bench).lnk" ]'
check "no adapter library unless chosen" '[ ! -e "$root/CAN" ] && [ ! -e "$menu/Tolvik (CAN adapter).lnk" ]'
check "uninstall entry" 'regHas "$uninstallKey"'
check "the host application's folder is on Tolvik.exe's search path" \
  '"$wine" reg query "$appPathsKey" /v Path /reg:64 2>/dev/null | grep -qF "C:\\Quarn\\JVR"'
check "uninstall entry names version 1.5.0.0" \
  '"$wine" reg query "$uninstallKey" /v DisplayVersion /reg:64 2>/dev/null | grep -q 1.5.0.0'

if "$wine" "$windowTests" 'C:\Program Files\Tolvik\Training' \
    --gtest_filter=TolvikWindow.StartsOnTheDefaultBenchAndIgnoresEnterAndEsc; then
  echo "ok: the installed training copy opens its window on the bench"
else
  fail "the installed training copy did not open its window on the bench"
fi
"$server" -w

"$wine" "$root/uninstall.exe" /S
# The uninstaller runs on from a copy of itself; the wineserver waits for it.
"$server" -w
check "installation folder removed" '[ ! -e "$root" ]'
check "Start-menu folder removed" '[ ! -e "$menu" ]'
check "uninstall entry removed" '! regHas "$uninstallKey"'
check "App Paths entry removed" '! regHas "$appPathsKey"'

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
