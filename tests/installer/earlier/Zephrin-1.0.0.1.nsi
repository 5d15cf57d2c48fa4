; The Zephrin installer as version 1.0.0.1 shipped it, Zephrin only: kept
; unchanged so that the tests can install it and upgrade over it.
;
; The Zephrin installer: one 32-bit installer for 32- and 64-bit Windows.
; On 64-bit Windows it installs the 32-bit module for 32-bit hosts and the
; 64-bit module for 64-bit hosts, each in its own Program Files folder and
; registered in its own registry view; on 32-bit Windows the 32-bit module.
;
; Build: makensis -DDLL32=... -DDLL64=... -DREADME=... -DOUTFILE=... Zephrin.nsi

Unicode true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!ifndef DLL32 | DLL64 | README | OUTFILE
  !error "define DLL32, DLL64, README and OUTFILE"
!endif

!define PRODUCT "Quillfen MFX Zephrin"
!define PUBLISHER "Quillfen Audio"
!define VERSION "1.0.0.1"
!define MODULE "Zephrin.dll"
!define FOLDER "Quillfen\Zephrin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillfenZephrin"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
; The folder of the system's own kind: the 64-bit Program Files on 64-bit
; Windows, set in .onInit. The 32-bit module always goes to the 32-bit one.
InstallDir "$PROGRAMFILES\${FOLDER}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var Dir32  ; where the 32-bit module goes

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_TOP "Please read about Zephrin before you install it."
!insertmacro MUI_PAGE_LICENSE "${README}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Stops with a clear message when a module to be replaced is loaded by a
; running program: Windows refuses to open a mapped image for writing, and
; going on would leave old and new files side by side.
!macro RefuseIfInUse path
  ${If} ${FileExists} "${path}"
    ClearErrors
    FileOpen $0 "${path}" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "${path} is in use by a running program.$\r$\nClose your sequencer and run the installer again." /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $INSTDIR "$PROGRAMFILES64\${FOLDER}"
  ${EndIf}
  StrCpy $Dir32 "$PROGRAMFILES32\${FOLDER}"
  ; An upgrade goes where the earlier version is.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Section "Zephrin" SecMain
  SectionIn RO
  ${If} ${RunningX64}
    !insertmacro RefuseIfInUse "$INSTDIR\${MODULE}"
    !insertmacro RefuseIfInUse "$Dir32\${MODULE}"
  ${Else}
    StrCpy $Dir32 $INSTDIR
    !insertmacro RefuseIfInUse "$Dir32\${MODULE}"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; 32-bit module: registered inside this 32-bit installer process, so its
  ; entries land in the 32-bit registry view.
  SetOutPath "$Dir32"
  File "/oname=${MODULE}" "${DLL32}"
  ClearErrors
  RegDLL "$Dir32\${MODULE}"
  ${If} ${Errors}
    DetailPrint "Registering the 32-bit module failed."
    SetErrorLevel 4
  ${EndIf}

  ${If} ${RunningX64}
    ; 64-bit module: registered by the 64-bit regsvr32, into the 64-bit view.
    ${DisableX64FSRedirection}
    SetOutPath "$INSTDIR"
    File "/oname=${MODULE}" "${DLL64}"
    ExecWait '"$WINDIR\System32\regsvr32.exe" /s "$INSTDIR\${MODULE}"' $0
    ${EnableX64FSRedirection}
    ${If} $0 != 0
      DetailPrint "Registering the 64-bit module failed ($0)."
      SetErrorLevel 4
    ${EndIf}
  ${EndIf}

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Module32Location" "$Dir32"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  ${If} $Dir32 != $INSTDIR
    ${GetSize} "$Dir32" "/S=0K" $4 $2 $3
    IntOp $1 $1 + $4
  ${EndIf}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

; Unregisters both modules first, then removes exactly what was installed.
Section "Uninstall"
  ReadRegStr $Dir32 HKLM "${UNINSTALL_KEY}" "Module32Location"
  ${If} $Dir32 == ""
    StrCpy $Dir32 $INSTDIR
  ${EndIf}

  ${If} ${FileExists} "$Dir32\${MODULE}"
    UnRegDLL "$Dir32\${MODULE}"
  ${EndIf}
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    ${If} ${FileExists} "$INSTDIR\${MODULE}"
      ExecWait '"$WINDIR\System32\regsvr32.exe" /u /s "$INSTDIR\${MODULE}"'
      Delete "$INSTDIR\${MODULE}"
    ${EndIf}
    ${EnableX64FSRedirection}
  ${EndIf}

  Delete "$Dir32\${MODULE}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Folders go only when empty: anything a user put there stays.
  RMDir "$Dir32"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES32\Quillfen"
  ${If} ${RunningX64}
    RMDir "$PROGRAMFILES64\Quillfen"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
