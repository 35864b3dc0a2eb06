; The Quillmark installer, one script for both builds. tools/package.sh runs makensis with
;   -DVERSION=<the program's version>  -DVERSION_NUMBERS=<the same as four numbers>  -DBITS=32|64
;   -DPROGRAM=<Quillmark.exe of that build>  -DOUTFILE=<installer to write>  -DOUTNAME=<its file name>
;   [-DSIGN_UNINSTALLER=<command that signs the file given as %1>]
;
; A per-user install: no administrator, the program under $LOCALAPPDATA\Programs\Quillmark, a
; Start-menu shortcut and an entry in Add/Remove Programs under HKCU. The uninstaller removes
; what was installed and keeps the user's settings and error log unless "Remove my settings" is
; ticked or /REMOVESETTINGS is given; a silent uninstall (/S) keeps them.

!ifdef VERSION & VERSION_NUMBERS & BITS & PROGRAM & OUTFILE & OUTNAME
!else
  !error "VERSION, VERSION_NUMBERS, BITS, PROGRAM, OUTFILE and OUTNAME must be defined (tools/package.sh does)"
!endif

Unicode true
!if ${BITS} == 64
  Target amd64-unicode
!else if ${BITS} == 32
  Target x86-unicode
!else
  !error "BITS must be 32 or 64"
!endif
SetCompressor /SOLID lzma
!ifdef SIGN_UNINSTALLER
  !uninstfinalize '${SIGN_UNINSTALLER}'
!endif

!define PRODUCT "Quillmark"
!define PUBLISHER "Larkwell"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; The online update of an installed copy runs only the installer whose version resource names
; this product, exactly the version offered and the offered file's name.
VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey OriginalFilename "${OUTNAME}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "${PUBLISHER}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define MUI_ICON "${__FILEDIR__}/../src/resources/icons/128_program.ico"
!define MUI_UNICON "${__FILEDIR__}/../src/resources/icons/128_program.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PRODUCT}.exe"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  Call WaitForProgram
  File "/oname=${PRODUCT}.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${PRODUCT}.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PRODUCT}.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; The program cannot be replaced while it runs. An update is started by the running program,
; which closes once the pass it is in (an Apply or Undo of many files) has ended, so the
; installer waits for it. A silent install (/S) waits up to 300 s, or the seconds given as
; /WAIT=<seconds>; if the program still runs then, it stops with exit code 2 and changes nothing.
; Otherwise the installer waits 10 s, then asks the user to close Quillmark (Retry) or to stop
; the installation (Cancel, exit code 2), as often as needed.
!define SILENT_WAIT_SECONDS 300
!define ASK_AFTER_SECONDS 10
Var WaitLimit  ; half seconds a silent install waits

Function .onInit
  StrCpy $WaitLimit ${SILENT_WAIT_SECONDS}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/WAIT=" $1
  ${IfNot} ${Errors}
    IntOp $WaitLimit $1 + 0  ; not a number: 0, no wait
  ${EndIf}
  IntOp $WaitLimit $WaitLimit * 2
FunctionEnd

!define /math ASK_AFTER_HALVES ${ASK_AFTER_SECONDS} * 2
Function WaitForProgram
  ${IfNot} ${FileExists} "$INSTDIR\${PRODUCT}.exe"
    Return
  ${EndIf}
  StrCpy $1 0  ; half seconds waited since the last question
  StrCpy $2 0  ; half seconds waited in all
  ${Do}
    ; Opening the program for writing fails while it runs.
    ClearErrors
    FileOpen $0 "$INSTDIR\${PRODUCT}.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      Return
    ${EndIf}
    ${If} ${Silent}
      ${If} $2 >= $WaitLimit
        SetErrorLevel 2
        Quit
      ${EndIf}
    ${ElseIf} $1 >= ${ASK_AFTER_HALVES}
      StrCpy $1 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running. Please close it (it closes by itself once its current work has finished), then choose Retry.$\r$\n$\r$\nCancel stops the installation and changes nothing." IDRETRY +3
      SetErrorLevel 2
      Quit
    ${EndIf}
    IntOp $1 $1 + 1
    IntOp $2 $2 + 1
    Sleep 500
  ${Loop}
FunctionEnd

; The uninstaller: the program always goes, the settings only when asked.
Section "un.${PRODUCT}" UnSecProgram
  SectionIn RO
  Delete "$INSTDIR\${PRODUCT}.exe"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

!macro RemoveSettingsIn FOLDER
  Delete "${FOLDER}\QMK.cfg"
  Delete "${FOLDER}\QMK.cfg.new"
  Delete "${FOLDER}\settings.cfg"
  Delete "${FOLDER}\settings.cfg.new"
  Delete "${FOLDER}\ErrorLog.txt"
!macroend

Section /o "un.Remove my settings and error log" UnSecSettings
  !insertmacro RemoveSettingsIn "$APPDATA\${PRODUCT}"
  RMDir "$APPDATA\${PRODUCT}"
  ; A portable copy in the install folder kept them beside the program.
  !insertmacro RemoveSettingsIn "$INSTDIR"
  Delete "$INSTDIR\portable"
SectionEnd

; Folders go only when empty: files the user put there stay.
Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecSettings}
  ${EndIf}
FunctionEnd
