; Tarnwick Editor's installer for Windows, made by scripts/build-windows with NSIS:
;   makensis -DVERSION=V -DFILES=files.nsh -DICON=FILE.ico -DOUTFILE=FILE.exe
; For the user who runs it, without asking for an administrator: the program folder under
; %LOCALAPPDATA%\Programs\Tarnwick Editor, a Start menu entry, .syx files opening in the
; editor (the user's own file types, HKCU\Software\Classes), and an entry in the installed
; programs. The uninstaller removes just what this put there: the user's banks, library,
; rig and settings (under %APPDATA%\tarnwick-editor and wherever they saved them) stay.
; FILES is the program folder's list, written by the build: the macros InstallFiles and
; UninstallFiles.
Target amd64-unicode ; a 64-bit installer for 64-bit programs (wine64 runs it without wine32)
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define PRODUCT "Tarnwick Editor"
!define PROGID "TarnwickEditor.syx"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TarnwickEditor"
!include "MUI2.nsh"
!include "${FILES}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Tarnwick"
VIAddVersionKey "LegalCopyright" "Tarnwick Editor developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tarnwick-editor.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Install"
  SetShellVarContext current
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\tarnwick-editor.exe"

  ; .syx files open in the editor; any other program that opens them stays on offer.
  WriteRegStr HKCU "Software\Classes\${PROGID}" "" "Tarnwick keypad presets"
  WriteRegStr HKCU "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\tarnwick-editor.exe,0"
  WriteRegStr HKCU "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\tarnwick-editor.exe" "%1"'
  WriteRegStr HKCU "Software\Classes\.syx" "" "${PROGID}"
  WriteRegStr HKCU "Software\Classes\.syx\OpenWithProgids" "${PROGID}" ""
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Tarnwick"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarnwick-editor.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !insertmacro UninstallFiles
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR" ; only when empty: what else is there is the user's
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  ; .syx goes back to what it was only where it is still ours.
  DeleteRegValue HKCU "Software\Classes\.syx\OpenWithProgids" "${PROGID}"
  ReadRegStr $0 HKCU "Software\Classes\.syx" ""
  StrCmp $0 "${PROGID}" 0 +2
    DeleteRegValue HKCU "Software\Classes\.syx" ""
  DeleteRegKey /ifempty HKCU "Software\Classes\.syx\OpenWithProgids"
  DeleteRegKey /ifempty HKCU "Software\Classes\.syx"
  DeleteRegKey HKCU "Software\Classes\${PROGID}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
