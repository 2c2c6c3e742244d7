#!/bin/sh
# The Windows Installer package: its tables and files as msitools read them; then under Wine a
# silent install, the installed training copy's window on the bench, the 1.5.0.1 package replacing
# 1.5.0.0, a silent uninstall leaving nothing behind, and an install with the optional adapter
# library instead of the training bench on a workstation with only the older host application.
# Run under xvfb-run.
#   msi-test.sh <prefix> <wine64> <wineserver> <Tolvik-1.5.0.0.msi> <Tolvik-1.5.0.1.msi> <tolvik_window_tests.exe>
set -u
. "$(dirname "$0")/wine-install.sh" "$1" "$2" "$3"
msi=$4 nextMsi=$5 windowTests=$6
uninstallRoot='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
tolvikKey='HKLM\Software\Tolvik'

property() { msiinfo export "$1" Property | tr -d '\r' | sed -n "s/^$2\t//p"; }
# Wine's Windows Installer puts the shortcuts of a package for all users into the user's own Start
# menu; Windows puts them into the common one.
userMenu="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tolvik"
menuHas() { [ -f "$menu/$1" ] || [ -f "$userMenu/$1" ]; }
productCode=$(property "$msi" ProductCode)
nextProductCode=$(property "$nextMsi" ProductCode)

tables=$(msiinfo tables "$msi")
for table in File Component Feature FeatureComponents Directory Shortcut Registry Upgrade AppSearch \
    RegLocator CustomAction RemoveFile; do
  check "table $table" 'echo "$tables" | grep -qx "$table"'
done
files=$(msiextract -l "$msi" | sort | tr '\n' ' ')
check "files: Tolvik.exe, the adapter library, and the training copy with the bench" \
  '[ "$files" = "Tolvik/CAN/tolvikcan.dll Tolvik/Tolvik.exe Tolvik/Training/QuarnCANopen.dll Tolvik/Training/Tolvik.exe " ]'
check "installed for all users" '[ "$(property "$msi" ALLUSERS)" = 1 ]'
check "both versions share one upgrade code, as different products" \
  '[ -n "$(property "$msi" UpgradeCode)" ] && [ "$(property "$msi" UpgradeCode)" = "$(property "$nextMsi" UpgradeCode)" ] && [ "$productCode" != "$nextProductCode" ]'
check "the training bench is a feature of its own" \
  'msiinfo export "$msi" Feature | grep -q "^Training	"'
check "the adapter library is a feature of its own, off unless chosen" \
  'msiinfo export "$msi" Feature | tr -d "\r" | awk -F "\t" "\$1 == \"Can\" && \$6 == 2 { found = 1 } END { exit !found }"'
# As the NSIS shortcut: Tolvik.exe itself names the library, no command interpreter between.
check "the CAN adapter shortcut starts Tolvik.exe on the adapter library" \
  '[ "$(msiinfo export "$msi" Shortcut | tr -d "\r" | awk -F "\t" "\$1 == \"CanShortcut\" { print \$5, \$6 }")" = "[INSTALLDIR]Tolvik.exe --bridge-library \"[CANDIR]tolvikcan.dll\"" ]'

freshPrefix
hostFolder JVR 'C:\Quarn\JVR'
"$wine" msiexec /i "Z:$msi" /qn
"$server" -w
check "Tolvik.exe installed" '[ -f "$root/Tolvik.exe" ]'
check "no bridge library beside the installed Tolvik.exe" '[ ! -e "$root/QuarnCANopen.dll" ]'
check "training copy with the bench as its bridge library" \
  '[ -f "$root/Training/Tolvik.exe" ] && [ -f "$root/Training/QuarnCANopen.dll" ]'
check "Start-menu shortcuts" 'menuHas Tolvik.lnk && menuHas "Tolvik (training bench).lnk"'
check "no adapter library unless chosen" '[ ! -e "$root/CAN" ] && ! menuHas "Tolvik (CAN adapter).lnk"'
check "uninstall entry for 1.5.0.0" '[ "$(regValue "$uninstallRoot\\$productCode" DisplayVersion)" = 1.5.0.0 ]'
check "App Paths names the installed Tolvik.exe" \
  '[ "$(regValue "$appPathsKey" "")" = "C:\\Program Files\\Tolvik\\Tolvik.exe" ]'
check "the newer host application's folder is on Tolvik.exe's search path" \
  '[ "$(regValue "$appPathsKey" Path)" = "C:\\Quarn\\JVR" ]'

if "$wine" "$windowTests" 'C:\Program Files\Tolvik\Training' \
    --gtest_filter=TolvikWindow.StartsOnTheDefaultBenchAndIgnoresEnterAndEsc; then
  echo "ok: the installed training copy opens its window on the bench"
else
  fail "the installed training copy did not open its window on the bench"
fi
"$server" -w

"$wine" msiexec /i "Z:$nextMsi" /qn
"$server" -w
check "1.5.0.1 replaces 1.5.0.0" \
  '! regHas "$uninstallRoot\\$productCode" && [ "$(regValue "$uninstallRoot\\$nextProductCode" DisplayVersion)" = 1.5.0.1 ]'
check "files still there after the upgrade" '[ -f "$root/Tolvik.exe" ] && [ -f "$root/Training/Tolvik.exe" ]'

"$wine" msiexec /x "$nextProductCode" /qn
"$server" -w
nothingLeft() {
  check "$1: installation folder removed" '[ ! -e "$root" ]'
  check "$1: Start-menu folder removed" '[ ! -e "$menu" ] && [ ! -e "$userMenu" ]'
  check "$1: uninstall entry removed" '! regHas "$uninstallRoot\\$2"'
  check "$1: App Paths entry removed" '! regHas "$appPathsKey"'
  check "$1: no registry key of Tolvik's own left" '! regHas "$tolvikKey"'
}
nothingLeft "uninstall" "$nextProductCode"

# The adapter library instead of the training bench, where only the older host application is.
"$wine" reg delete 'HKLM\SOFTWARE\Quarn Corporation\Install Data\JVR' /f /reg:64 >/dev/null 2>&1
hostFolder Vistrel 'C:\Quarn\Vistrel'
"$wine" msiexec /i "Z:$msi" ADDLOCAL=Main,Can /qn
"$server" -w
check "without the training bench, with the adapter library" \
  '[ -f "$root/Tolvik.exe" ] && [ -f "$root/CAN/tolvikcan.dll" ] && [ ! -e "$root/Training" ]'
check "without the training bench: the main and the CAN adapter shortcuts" \
  'menuHas Tolvik.lnk && menuHas "Tolvik (CAN adapter).lnk" && ! menuHas "Tolvik (training bench).lnk"'
check "the older host application's folder is on the search path" \
  '[ "$(regValue "$appPathsKey" Path)" = "C:\\Quarn\\Vistrel" ]'
"$wine" msiexec /x "Z:$msi" /qn
"$server" -w
nothingLeft "second uninstall" "$productCode"

echo "$failures failure(s)"
[ "$failures" -eq 0 ]
