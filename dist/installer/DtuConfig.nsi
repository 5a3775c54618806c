; The installer of the DTU configuration tool. Per-user by default (into the user's programs
; folder, no administrator needed); /ALLUSERS installs for every user into Program Files. The
; program folder holds only what ships: the user's settings and snapshots live in the user's
; application-data folders, so that an upgrade (installing over an older version) and the
; uninstaller leave them alone.
;   makensis -DVERSION=1.9.5 -DSOURCE=<staged files> -DOUTFILE=<setup.exe> DtuConfig.nsi
Unicode true
; The program is 64-bit, and so is its installer.
Target amd64-unicode
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!ifndef VERSION
  !error "VERSION is needed"
!endif
!ifndef SOURCE
  !error "SOURCE is needed"
!endif
!ifndef OUTFILE
  !define OUTFILE "DtuConfig-${VERSION}-setup.exe"
!endif

Name "DTU Configuration Tool ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\DtuConfig"
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "DTU configuration tool"
VIAddVersionKey "FileDescription" "DTU configuration tool setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Orvel"
VIAddVersionKey "LegalCopyright" "Orvel"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\DtuConfig"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

Var AllUsers

Function .onInit
  StrCpy $AllUsers 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    SetShellVarContext all
    ${If} ${RunningX64}
      StrCpy $INSTDIR "$PROGRAMFILES64\DtuConfig"
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\DtuConfig"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Program" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${SOURCE}\DtuConfig.exe"
  File "${SOURCE}\dtucfg.exe"
  File "${SOURCE}\DtuConfig.map"
  File "${SOURCE}\dtucfg.map"
  File "${SOURCE}\config.ini"
  File "${SOURCE}\Help.txt"
  SetOutPath "$INSTDIR\skin"
  File /r "${SOURCE}\skin\*.*"
  ; An upgrade from an unpacked folder leaves no portable marker behind.
  Delete "$INSTDIR\portable.ini"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateDirectory "$SMPROGRAMS\DTU Configuration Tool"
  CreateShortCut "$SMPROGRAMS\DTU Configuration Tool\DTU Configuration Tool.lnk" "$INSTDIR\DtuConfig.exe"
  CreateShortCut "$SMPROGRAMS\DTU Configuration Tool\Uninstall.lnk" "$INSTDIR\Uninstall.exe"
  ${If} $AllUsers == 1
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "DTU Configuration Tool"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Orvel"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" /ALLUSERS'
  ${Else}
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "DTU Configuration Tool"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Orvel"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  ${EndIf}
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    SetShellVarContext all
  ${EndIf}
FunctionEnd

; The program goes; the user's settings, snapshots and crash reports stay.
Section "Uninstall"
  Delete "$INSTDIR\DtuConfig.exe"
  Delete "$INSTDIR\dtucfg.exe"
  Delete "$INSTDIR\DtuConfig.map"
  Delete "$INSTDIR\dtucfg.map"
  Delete "$INSTDIR\config.ini"
  Delete "$INSTDIR\Help.txt"
  RMDir /r "$INSTDIR\skin"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  RMDir /r "$SMPROGRAMS\DTU Configuration Tool"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
