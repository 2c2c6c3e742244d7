; Tolvik's Windows installer. Built by CMake with makensis; the build passes
;   /DVERSION=1.5.0.0 /DTOLVIK_EXE=<Tolvik.exe> /DBENCH_DLL=<tolvikbench.dll> /DCAN_DLL=<tolvikcan.dll>
;   /DOUTFILE=<setup.exe>
;
; Tolvik.exe finds the vendor's QuarnCANopen.dll through the standard DLL search; nothing named
; QuarnCANopen.dll is ever put beside it. When a host application is installed, its TargetDir goes
; into Tolvik.exe's App Paths entry, which puts that folder on the search path of every start
; through the shell (Start menu, Explorer, Run). The training bench is a separate copy of
; Tolvik.exe in the Training subfolder with the bench beside it as QuarnCANopen.dll: only that
; copy finds the bench first, and it has a shortcut of its own.

Unicode true
; A 64-bit installer for the 64-bit program (it also runs where no 32-bit code can).
Target amd64-unicode
!include "LogicLib.nsh"
!include "x64.nsh"

!define PRODUCT "Tolvik"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\Tolvik.exe"
!define HOST_NEWER "SOFTWARE\Quarn Corporation\Install Data\JVR"
!define HOST_OLDER "SOFTWARE\Quarn Corporation\Install Data\Vistrel"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey "LegalCopyright" "The ${PRODUCT} developers"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT}" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=Tolvik.exe" "${TOLVIK_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Tolvik.exe"

  ; The host application's folder, where its installer leaves the vendor's bridge library.
  ReadRegStr $0 HKLM "${HOST_NEWER}" "TargetDir"
  ${If} $0 == ""
    ReadRegStr $0 HKLM "${HOST_OLDER}" "TargetDir"
  ${EndIf}
  WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\Tolvik.exe"
  ${If} $0 != ""
    WriteRegStr HKLM "${APP_PATHS_KEY}" "Path" "$0"
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tolvik.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Training bench (simulated bridge and remotes)" SecTraining
  SetOutPath "$INSTDIR\Training"
  File "/oname=Tolvik.exe" "${TOLVIK_EXE}"
  File "/oname=QuarnCANopen.dll" "${BENCH_DLL}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} (training bench).lnk" "$INSTDIR\Training\Tolvik.exe"
SectionEnd

; The bridge library on USB-CAN adapters, in a folder of its own under its own name, so that it
; never stands in for the vendor's library. Its shortcut names it to Tolvik.exe, which then lets
; the user choose the adapter (README).
Section /o "CAN adapter library (USB-CAN adapters: slcan)" SecCan
  SetOutPath "$INSTDIR\CAN"
  File "/oname=tolvikcan.dll" "${CAN_DLL}"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} (CAN adapter).lnk" "$INSTDIR\Tolvik.exe" \
    '--bridge-library "$INSTDIR\CAN\tolvikcan.dll"'
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} (training bench).lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} (CAN adapter).lnk"
  Delete "$INSTDIR\CAN\tolvikcan.dll"
  RMDir "$INSTDIR\CAN"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$INSTDIR\Training\Tolvik.exe"
  Delete "$INSTDIR\Training\QuarnCANopen.dll"
  RMDir "$INSTDIR\Training"
  Delete "$INSTDIR\Tolvik.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${APP_PATHS_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
