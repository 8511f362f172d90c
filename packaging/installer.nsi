; The Windows installer: a 32-bit program that installs the 64-bit exe on 64-bit Windows and the
; 32-bit one elsewhere, for the current user only, so it never asks for administrator rights.
; scripts/package builds it and passes VERSION, EXE32, EXE64, README, ICON and OUTFILE.

!ifndef VERSION | EXE32 | EXE64 | README | ICON | OUTFILE
    !error "build with scripts/package"
!endif

Unicode true
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel user

!define PRODUCT "Morvane's Cube Emulator"
!define PUBLISHER "Brackenfold"
!define EXE "MorvaneCubeEmulator.exe"
!define UNINSTALLER "Uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MorvaneCubeEmulator"
!define SETTINGS_KEY "Software\Brackenfold\MorvaneCubeEmulator"
!define CLASSES "Software\Classes"
!define SEQUENCE_TYPE "MorvaneCubeEmulator.Sequence"
!define STATE_TYPE "MorvaneCubeEmulator.CubeState"

Name "${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; Per-user programs belong under LocalAppData\Programs; an earlier install keeps its folder.
InstallDir "$LOCALAPPDATA\Programs\MorvaneCubeEmulator"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

; A file kind of this user's that Explorer shows with the program's icon and opens in it.
!macro RegisterFileType EXTENSION TYPE DESCRIPTION
    WriteRegStr HKCU "${CLASSES}\${EXTENSION}" "" "${TYPE}"
    WriteRegStr HKCU "${CLASSES}\${TYPE}" "" "${DESCRIPTION}"
    WriteRegStr HKCU "${CLASSES}\${TYPE}\DefaultIcon" "" '"$INSTDIR\${EXE}",0'
    WriteRegStr HKCU "${CLASSES}\${TYPE}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'
!macroend

; The extension goes only while it still names this program's kind: another program may have
; taken it since.
!macro UnregisterFileType EXTENSION TYPE
    DeleteRegKey HKCU "${CLASSES}\${TYPE}"
    ReadRegStr $0 HKCU "${CLASSES}\${EXTENSION}" ""
    ${If} $0 == "${TYPE}"
        DeleteRegKey HKCU "${CLASSES}\${EXTENSION}"
    ${EndIf}
!macroend

; Explorer redraws the files' icons.
!define SHCNE_ASSOCCHANGED 0x08000000
!macro NotifyAssociations
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
!macroend

Section "Install"
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    ; The 64-bit build runs without the WOW64 layer; both carry the same name, so shortcuts
    ; and the uninstaller need not know which one went in.
    ${If} ${RunningX64}
        File "/oname=${EXE}" "${EXE64}"
    ${Else}
        File "/oname=${EXE}" "${EXE32}"
    ${EndIf}
    File "/oname=README.txt" "${README}"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}"
    !insertmacro RegisterFileType ".csq" "${SEQUENCE_TYPE}" "Morvane's Cube Move Sequence"
    !insertmacro RegisterFileType ".csf" "${STATE_TYPE}" "Morvane's Cube State File"
    !insertmacro NotifyAssociations

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$INSTDIR\${EXE}"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only when empty: whatever the user put there stays.
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    !insertmacro UnregisterFileType ".csq" "${SEQUENCE_TYPE}"
    !insertmacro UnregisterFileType ".csf" "${STATE_TYPE}"
    !insertmacro NotifyAssociations
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ; Saved settings are the user's: a silent uninstall keeps them, and the question defaults
    ; to keeping them too.
    IfSilent done
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
        "Remove the saved settings of ${PRODUCT} as well?" /SD IDNO IDNO done
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Brackenfold"
done:
SectionEnd
