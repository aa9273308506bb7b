; The installer of Vorida for Windows, built by scripts/package-windows.sh with Debian's makensis:
;   makensis -DVERSION=1.05 -DSTAGE=<program folder> -DLISTS=<folder of files.nsh and
;            unfiles.nsh> -DOUTFILE=<setup.exe> vorida.nsi
; A per-user installation without administrator rights into the user's local programs folder,
; which stays writable: the program keeps its files beside its executable. The uninstaller
; removes what was installed and never the user's point files, results, reports or area data.

; A 64-bit installer: the program is 64-bit, and wine64 alone can run it.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"

!define APPNAME "Vorida"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorida"

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vorida"
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
BrandingText "${APPNAME} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=0 "ProductName" "${APPNAME}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Instalator programu ${APPNAME} ${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "GNU GPL 3"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\vorida.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

Section "Vorida (wymagany)" SecProgram
    SectionIn RO
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    ; The program, its libraries, plugins, translation and manual: replaced on every install.
    SetOverwrite on
    !include "${LISTS}/files.nsh"
    ; The sample area and point files: the user's own once installed, so never overwritten.
    SetOverwrite off
    File "${STAGE}/TRANSPKT.BIN"
    File "${STAGE}/xy_LOK"
    File "${STAGE}/xy2000"
    SetOverwrite on

    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateDirectory "$SMPROGRAMS\Vorida"
    CreateShortcut "$SMPROGRAMS\Vorida\Vorida.lnk" "$INSTDIR\vorida.exe" "" "$INSTDIR\vorida.exe" 0
    CreateShortcut "$SMPROGRAMS\Vorida\Instrukcja.lnk" "$INSTDIR\instrukcja.html"
    CreateShortcut "$SMPROGRAMS\Vorida\Folder programu.lnk" "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\Vorida\Odinstaluj.lnk" "$INSTDIR\uninstall.exe"

    WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "${APPNAME} ${VERSION}"
    WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\vorida.exe"
    WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
    WriteRegDWORD HKCU "${UNINSTKEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Skrót na pulpicie" SecDesktop
    SetShellVarContext current
    CreateShortcut "$DESKTOP\Vorida.lnk" "$INSTDIR\vorida.exe" "" "$INSTDIR\vorida.exe" 0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Program, biblioteki, instrukcja i przykładowy obszar."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "Skrót do programu na pulpicie."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
    SetShellVarContext current
    ; Only the files this installer put there. The point files, results (*.1), Raport.txt,
    ; the area file TRANSPKT.BIN and whatever else the user made stay, and so does the folder
    ; when anything is left in it.
    !include "${LISTS}/unfiles.nsh"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\Vorida\Vorida.lnk"
    Delete "$SMPROGRAMS\Vorida\Instrukcja.lnk"
    Delete "$SMPROGRAMS\Vorida\Folder programu.lnk"
    Delete "$SMPROGRAMS\Vorida\Odinstaluj.lnk"
    RMDir "$SMPROGRAMS\Vorida"
    Delete "$DESKTOP\Vorida.lnk"
    DeleteRegKey HKCU "${UNINSTKEY}"
SectionEnd
