; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer, quillmora-setup.exe, made by packaging/windows/make-installer.cmake (the build
; target `installer`) from the installed folder of the Windows build:
;
;   makensis -DVERSION=1.0.0 -DSTAGE=<installed folder> -DFILES=<list of its files> -DSIZE_KB=<its size>
;            -DICON=<app.ico> -DOUTFILE=<quillmora-setup.exe> quillmora.nsi
;
; It installs for the user alone, without administrator rights: the program in
; %LOCALAPPDATA%\Programs\Quillmora, an entry in the Start menu that starts it in the user's data folder
; (%APPDATA%\Quillmora, made by the program at its first start), and an entry in the list of installed
; programs. The uninstaller removes what the installer put there, file by file, and nothing else: the data
; folder, and any file the user keeps in the program's folder, stay.

; A 64-bit installer, for a 64-bit program (and Wine without 32-bit support runs it).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmora"

Name "Quillmora"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillmora"
InstallDirRegKey HKCU "Software\Quillmora" "InstallDir"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Quillmora"
VIAddVersionKey /LANG=0 "FileDescription" "Quillmora Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\quillmora.exe"
!define MUI_FINISHPAGE_RUN_PARAMETERS "--user-data-folder"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the one for a Windows in none of these.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

Section
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File /r "${STAGE}/*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; The program keeps its files in the folder it starts in: from the menu, the user's data folder.
    CreateShortcut "$SMPROGRAMS\Quillmora.lnk" "$INSTDIR\quillmora.exe" "--user-data-folder" \
        "$INSTDIR\quillmora.exe" 0
    WriteRegStr HKCU "Software\Quillmora" "InstallDir" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillmora"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillmora.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Quillmora"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext current
    Delete "$SMPROGRAMS\Quillmora.lnk"
    !include "${FILES}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "Software\Quillmora"
SectionEnd
