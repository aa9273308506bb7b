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
; "Otwórz w programie Vorida" in Explorer's menu of a folder and of a folder's empty background,
; for the current user only (HKCU\Software\Classes needs no administrator rights): the program
; starts on that folder.
!define FOLDERKEY "Software\Classes\Directory\shell\Vorida"
!define BACKGROUNDKEY "Software\Classes\Directory\Background\shell\Vorida"
!define FOLDERVERB "Otwórz w programie Vorida"

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
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE WaitForProgramClosed
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Program ${APPNAME} zostanie usunięty z folderu poniżej. \
Twoje pliki (obszar TRANSPKT.BIN, pliki punktów, wyniki, Raport.txt i inne) zostaną w nim."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Polish"

; A running Vorida (the window or vorida-cli) holds its executable and Qt's libraries open, and
; Windows refuses to replace or delete them: the installer would stop halfway on "Błąd otwarcia
; pliku do zapisu". So before any file is touched, each executable in the folder is opened for
; writing, which Windows refuses while it runs; then the user is asked to close the program and
; try again, or to cancel. A silent run (/S) cancels, with exit code 1 and nothing changed.
; $1 gets a line naming the file when it is in the folder and cannot be opened for writing.
!macro FILE_IN_USE file
    IfFileExists "$INSTDIR\${file}" 0 +7
    ClearErrors
    FileOpen $0 "$INSTDIR\${file}" a
    IfErrors +3
    FileClose $0
    Goto +2
    StrCpy $1 "$1$\r$\n    ${file}"
!macroend
!macro WAIT_FOR_PROGRAM_CLOSED un
Function ${un}WaitForProgramClosed
    Push $0
    Push $1
  again:
    StrCpy $1 ""
    !insertmacro FILE_IN_USE "vorida.exe"
    !insertmacro FILE_IN_USE "vorida-cli.exe"
    !insertmacro FILE_IN_USE "vorida-obszar.exe"
    StrCmp $1 "" closed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Program ${APPNAME} jest uruchomiony \
z folderu$\r$\n$INSTDIR$\r$\nW użyciu:$1$\r$\n$\r$\nZamknij go (także okna edytora \
i vorida-cli w wierszu poleceń) i ponów próbę. Anulowanie przerywa bez żadnych zmian \
w folderze." \
        /SD IDCANCEL IDRETRY again
    SetErrorLevel 1
    Quit
  closed:
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro WAIT_FOR_PROGRAM_CLOSED ""
!insertmacro WAIT_FOR_PROGRAM_CLOSED "un."

Section "Vorida (wymagany)" SecProgram
    SectionIn RO
    SetShellVarContext current
    ; The directory page asked already; a silent install, which has no pages, asks here.
    Call WaitForProgramClosed
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
    CreateShortcut "$SMPROGRAMS\Vorida\Vorida – kontrola obszaru.lnk" "$INSTDIR\vorida-obszar.exe" "" \
        "$INSTDIR\vorida-obszar.exe" 0
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

    WriteRegStr HKCU "${FOLDERKEY}" "" "${FOLDERVERB}"
    WriteRegStr HKCU "${FOLDERKEY}" "Icon" '"$INSTDIR\vorida.exe",0'
    WriteRegStr HKCU "${FOLDERKEY}\command" "" '"$INSTDIR\vorida.exe" "%1"'
    WriteRegStr HKCU "${BACKGROUNDKEY}" "" "${FOLDERVERB}"
    WriteRegStr HKCU "${BACKGROUNDKEY}" "Icon" '"$INSTDIR\vorida.exe",0'
    WriteRegStr HKCU "${BACKGROUNDKEY}\command" "" '"$INSTDIR\vorida.exe" "%V"'
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
    Call un.WaitForProgramClosed
    ; Only the files this installer put there. The point files, results (*.1), Raport.txt,
    ; the area file TRANSPKT.BIN and whatever else the user made stay, and so does the folder
    ; when anything is left in it: the user is told where they are.
    !include "${LISTS}/unfiles.nsh"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    IfFileExists "$INSTDIR\*.*" 0 +3
    DetailPrint "Twoje pliki zostały w folderze $INSTDIR"
    MessageBox MB_OK|MB_ICONINFORMATION "Program ${APPNAME} został usunięty.$\r$\n$\r$\n\
Twoje pliki (obszar TRANSPKT.BIN, pliki punktów, wyniki, Raport.txt i inne) zostały \
w folderze$\r$\n$INSTDIR$\r$\nFolder można usunąć, gdy nie będą już potrzebne." /SD IDOK

    Delete "$SMPROGRAMS\Vorida\Vorida.lnk"
    Delete "$SMPROGRAMS\Vorida\Vorida – kontrola obszaru.lnk"
    Delete "$SMPROGRAMS\Vorida\Instrukcja.lnk"
    Delete "$SMPROGRAMS\Vorida\Folder programu.lnk"
    Delete "$SMPROGRAMS\Vorida\Odinstaluj.lnk"
    RMDir "$SMPROGRAMS\Vorida"
    Delete "$DESKTOP\Vorida.lnk"
    DeleteRegKey HKCU "${UNINSTKEY}"
    DeleteRegKey HKCU "${FOLDERKEY}"
    DeleteRegKey HKCU "${BACKGROUNDKEY}"
    ; The window's recent work folders (its settings file).
    Delete "$APPDATA\Vorida\Vorida.ini"
    RMDir "$APPDATA\Vorida"
SectionEnd
