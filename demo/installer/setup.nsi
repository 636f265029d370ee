; The demo game's installer, as real installers are: it asks for
; administrator rights, installs under Program Files, registers the game
; under App Paths (the unnamed value and "Path", in the registry view of the
; launcher of the same target) and an uninstall entry, and runs silently with
; /S. makensis -DGAME=... -DOUTFILE=... [-DAMD64] setup.nsi
Unicode true
!ifdef AMD64
Target amd64-unicode
!define PROGRAMS "$PROGRAMFILES64"
!else
!define PROGRAMS "$PROGRAMFILES"
!endif
!define APP_PATHS "Software\Microsoft\Windows\CurrentVersion\App Paths\talvik-demo.exe"
!define UNINSTALL "Software\Microsoft\Windows\CurrentVersion\Uninstall\TalvikDemoGame"

; A disc's installer is setup.exe by name; the platform's compatibility
; shims for that name are what every installer meets.
!pragma warning disable 9000

Name "Talvik Demo Game"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
InstallDir "${PROGRAMS}\Talvik Demo Game"
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetOutPath "$INSTDIR"
  File "/oname=talvik-demo.exe" "${GAME}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${APP_PATHS}" "" "$INSTDIR\talvik-demo.exe"
  WriteRegStr HKLM "${APP_PATHS}" "Path" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL}" "DisplayName" "Talvik Demo Game"
  WriteRegStr HKLM "${UNINSTALL}" "UninstallString" '"$INSTDIR\uninstall.exe"'
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\talvik-demo.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${APP_PATHS}"
  DeleteRegKey HKLM "${UNINSTALL}"
SectionEnd
