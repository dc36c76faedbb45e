; The Windows installer: Quillon.exe, LEDRA.DLL, VEXIL.DLL, ATOMS.LST and
; Quillon.chm in one program folder, a Start-menu shortcut, and an
; uninstaller that removes what was installed (and the program's settings
; only when the user agrees).
;
; makensis -DSOURCE=<folder with the files> -DOUTFILE=<setup.exe>
;          -DVERSION=<x.y.z> [-DTARGET=amd64-unicode] Quillon.nsi
;
; The program writes its report files beside itself, so it goes by default
; into a folder the user can write to without administrator rights:
; %LOCALAPPDATA%\Programs\Quillon. Everything the installer writes is the
; user's own (no administrator rights are asked for).

Unicode true
!ifdef TARGET
  Target ${TARGET}
!endif
!ifndef VERSION
  !define VERSION "0.0.0"
!endif

!define APP "Quillon"
!define MAKER "Hobnail"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define SETTINGS_KEY "Software\${MAKER}\${APP}"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillon.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "FileDescription" "${APP} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${MAKER}"

Section "Quillon" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${SOURCE}\Quillon.exe"
  File "${SOURCE}\LEDRA.DLL"
  File "${SOURCE}\VEXIL.DLL"
  File "${SOURCE}\ATOMS.LST"
  File "${SOURCE}\Quillon.chm"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${APP}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\Quillon.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${MAKER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillon.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly the installed files. Report files the program wrote into
; its folder are the user's: the folder stays while any are left in it.
; The settings go only when the user says so (never in a silent uninstall,
; unless /REMOVESETTINGS is given).
Section "Uninstall"
  Delete "$INSTDIR\Quillon.exe"
  Delete "$INSTDIR\LEDRA.DLL"
  Delete "$INSTDIR\VEXIL.DLL"
  Delete "$INSTDIR\ATOMS.LST"
  Delete "$INSTDIR\Quillon.chm"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
  RMDir "$SMPROGRAMS\${APP}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/REMOVESETTINGS" $1
  IfErrors 0 remove_settings
  MessageBox MB_YESNO|MB_ICONQUESTION "Remove Quillon's settings as well?" /SD IDNO IDNO keep_settings
remove_settings:
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${MAKER}"
keep_settings:
SectionEnd
