; The Windows installer of dtusms: a per-user install that needs no administrator rights, into
; %LOCALAPPDATA%\Programs\dtusms, with a Start-menu entry and an entry in the list of installed
; programs. /S installs (and the uninstaller's /S removes) without asking. English or Simplified
; Chinese, by the language of Windows.
;
; makensis -DVERSION=<x.y.z.w> -DSTAGE=<folder> -DOUTFILE=<setup.exe> dtusms.nsi
; STAGE holds the files to install: dtusms.exe, LICENSE.txt, README.txt and dtusms-installed.txt,
; which makes the installed program keep its settings in %APPDATA%\dtusms (its own folder is
; removed by the uninstaller; the settings stay).

!ifndef VERSION
    !error "VERSION must be defined"
!endif
!ifndef STAGE
    !error "STAGE must be defined"
!endif
!ifndef OUTFILE
    !error "OUTFILE must be defined"
!endif

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The manifest asks for no elevation (asInvoker), so that no UAC prompt appears.
RequestExecutionLevel user
ManifestSupportedOS all
ManifestDPIAware true

!define PRODUCT "TQ-3VOVE Configuration Tool"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\dtusms"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\dtusms"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "dtusms ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT License"

!include "MUI2.nsh"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; Without a language dialog the installer takes the language that matches the user's language of
; Windows, else the first one.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
    SetShellVarContext current
FunctionEnd

; The uninstaller speaks the language the installer chose.
Function un.onInit
    SetShellVarContext current
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "Installer Language"
    StrCmp $0 "" +2
    StrCpy $LANGUAGE $0
FunctionEnd

Section "dtusms"
    SetOutPath "$INSTDIR"
    File "${STAGE}/dtusms.exe"
    File "${STAGE}/LICENSE.txt"
    File "${STAGE}/README.txt"
    File "${STAGE}/dtusms-installed.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "${SHORTCUT}" "$INSTDIR\dtusms.exe" "" "$INSTDIR\dtusms.exe" 0

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dtusms.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Installer Language" $LANGUAGE
    ; In KiB, as the list of installed programs shows it.
    SectionGetSize 0 $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes exactly what the installer put there: a file the user added keeps the folder, and the
; settings in %APPDATA%\dtusms are left alone.
Section "Uninstall"
    Delete "${SHORTCUT}"
    Delete "$INSTDIR\dtusms.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\dtusms-installed.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
