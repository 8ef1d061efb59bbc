; SPDX-License-Identifier: MIT
; Installer of the Windows program: one folder under the user's own programs, a
; Start-menu entry, an uninstaller and an entry in "Programs and Features". It needs no
; administrator: everything goes to the user's profile and HKCU. /S installs and
; uninstalls silently. A choice, off by default, starts the program at logon through a
; shortcut in the user's Startup folder; /AUTOSTART makes it, also with /S.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DEXE=orvane2.exe -DCONFIG=vantor2.cfg
;          -DREADME=readme.txt -DICON=orvane2.ico -DOUTFILE=setup.exe orvane2.nsi

; The program is 64-bit, and so is its installer: it runs wherever the program does.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

!define PRODUCT "Монитор узлов"
!define PUBLISHER "Orvane2 developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane2"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define STARTUP_SHORTCUT "$SMSTARTUP\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Orvane2"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Orvane2 ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileDescription" "${PRODUCT}: установка"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "LegalCopyright" "MIT License"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_RUSSIAN} "ProductVersion" "${VERSION}"

Section "${PRODUCT}"
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=orvane2.exe" "${EXE}"
  File "/oname=readme.txt" "${README}"
  ; The configuration the program reads by default: a copy the user has edited stays.
  SetOverwrite off
  File "/oname=vantor2.cfg" "${CONFIG}"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcut starts in the program's folder, where its configuration lies.
  CreateShortCut "${SHORTCUT}" "$INSTDIR\orvane2.exe" "" "$INSTDIR\orvane2.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvane2.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Запускать при входе в Windows" AUTOSTART
  SetOutPath "$INSTDIR"  ; where it starts, as the Start-menu entry does
  CreateShortCut "${STARTUP_SHORTCUT}" "$INSTDIR\orvane2.exe" "" "$INSTDIR\orvane2.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}"
SectionEnd

; Installing again with the choice unchecked takes an earlier shortcut away.
Section "-"
  ${IfNot} ${SectionIsSelected} ${AUTOSTART}
    Delete "${STARTUP_SHORTCUT}"
  ${EndIf}
SectionEnd

; The choice starts checked when /AUTOSTART is given or an earlier installation made the
; shortcut, so that installing again over it keeps it.
Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
  ${OrIf} ${FileExists} "${STARTUP_SHORTCUT}"
    !insertmacro SelectSection ${AUTOSTART}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Delete "${SHORTCUT}"
  Delete "${STARTUP_SHORTCUT}"
  Delete "$INSTDIR\orvane2.exe"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\vantor2.cfg"
  ; Left by a configuration switch whose new process never started.
  Delete "$INSTDIR\restart.bat"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
