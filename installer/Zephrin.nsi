; The Zephrin installer: one 32-bit installer for 32- and 64-bit Windows that
; carries both plug-ins, Zephrin and Zephrin Map. On 64-bit Windows it
; installs each plug-in's 32-bit module for 32-bit hosts and its 64-bit
; module for 64-bit hosts, each in its own Program Files folder and
; registered in its own registry view; on 32-bit Windows the 32-bit modules.
; A components page lets a user leave either plug-in out. Zephrin Map also
; comes as a CLAP plug-in for every CLAP host: each ZephrinMap.clap in the
; CLAP folder of its kind (Common Files\CLAP), the 32-bit one on 32-bit
; Windows, both on 64-bit Windows; CLAP hosts need no registration.
;
; The musicians' guide goes beside the modules in both folders, where each
; page's Help finds it, with a shortcut in the Start menu.
;
; Build: makensis -DVERSION=... -DZEPHRIN32=... -DZEPHRIN64=... -DMAP32=... -DMAP64=...
;                  -DCLAP32=... -DCLAP64=... -DGUIDE=... -DREADME=... -DOUTFILE=... Zephrin.nsi
; (VERSION: the project's, 1.2.0.0, from the root CMakeLists.txt)

Unicode true
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!ifndef VERSION | ZEPHRIN32 | ZEPHRIN64 | MAP32 | MAP64 | CLAP32 | CLAP64 | GUIDE | README | OUTFILE
  !error "define VERSION, ZEPHRIN32, ZEPHRIN64, MAP32, MAP64, CLAP32, CLAP64, GUIDE, README and OUTFILE"
!endif

!define PRODUCT "Quillfen Zephrin and Zephrin Map"
!define PUBLISHER "Quillfen Audio"
!define FOLDER "Quillfen\Zephrin"
!define GUIDE_FILE "ZephrinGuide.html"
!define SHORTCUT_FOLDER "Quillfen"
!define SHORTCUT "Zephrin guide.lnk"
!define CLAP_FILE "ZephrinMap.clap"
; The key of the earlier installer, which carried Zephrin only: installing
; over it upgrades in place.
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillfenZephrin"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show
; The folder of the system's own kind: the 64-bit Program Files on 64-bit
; Windows, set in .onInit. The 32-bit modules always go to the 32-bit one.
InstallDir "$PROGRAMFILES\${FOLDER}"

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var Dir32  ; where the 32-bit modules go

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_WELCOME
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_TOP "Please read about Zephrin and Zephrin Map before you install them."
!insertmacro MUI_PAGE_LICENSE "${README}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Stops with a clear message when a module to be replaced is loaded by a
; running program: Windows refuses to open a mapped image for writing, and
; going on would leave old and new files side by side. Run for every module
; before any file is written, so that a refusal leaves nothing half done.
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

!macro RefuseIfAnyInUse module
  !insertmacro RefuseIfInUse "$Dir32\${module}"
  ${If} ${RunningX64}
    !insertmacro RefuseIfInUse "$INSTDIR\${module}"
  ${EndIf}
!macroend

; Puts a plug-in's modules in place and registers each in its own view: the
; 32-bit one inside this 32-bit installer process, so that its entries land
; in the 32-bit view, the 64-bit one by the 64-bit regsvr32.
!macro InstallModules module file32 file64
  SetOutPath "$Dir32"
  File "/oname=${module}" "${file32}"
  ClearErrors
  RegDLL "$Dir32\${module}"
  ${If} ${Errors}
    DetailPrint "Registering the 32-bit ${module} failed."
    SetErrorLevel 4
  ${EndIf}
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    SetOutPath "$INSTDIR"
    File "/oname=${module}" "${file64}"
    ExecWait '"$WINDIR\System32\regsvr32.exe" /s "$INSTDIR\${module}"' $0
    ${EnableX64FSRedirection}
    ${If} $0 != 0
      DetailPrint "Registering the 64-bit ${module} failed ($0)."
      SetErrorLevel 4
    ${EndIf}
  ${EndIf}
!macroend

; Unregisters a plug-in's modules from both views, then deletes them.
!macro RemoveModules module
  ${If} ${FileExists} "$Dir32\${module}"
    UnRegDLL "$Dir32\${module}"
    Delete "$Dir32\${module}"
  ${EndIf}
  ${If} ${RunningX64}
    ${DisableX64FSRedirection}
    ${If} ${FileExists} "$INSTDIR\${module}"
      ExecWait '"$WINDIR\System32\regsvr32.exe" /u /s "$INSTDIR\${module}"'
      Delete "$INSTDIR\${module}"
    ${EndIf}
    ${EnableX64FSRedirection}
  ${EndIf}
!macroend

Function .onInit
  ${If} ${RunningX64}
    SetRegView 64
    StrCpy $INSTDIR "$PROGRAMFILES64\${FOLDER}"
  ${EndIf}
  ; An upgrade goes where the earlier version is.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

; Where the 32-bit modules go, once the folder is chosen; and no module that
; is about to be replaced may be in use.
Section "-Prepare"
  ${If} ${RunningX64}
    StrCpy $Dir32 "$PROGRAMFILES32\${FOLDER}"
  ${Else}
    StrCpy $Dir32 $INSTDIR
  ${EndIf}
  !insertmacro RefuseIfAnyInUse "Zephrin.dll"
  !insertmacro RefuseIfAnyInUse "ZephrinMap.dll"
  !insertmacro RefuseIfInUse "$COMMONFILES32\CLAP\${CLAP_FILE}"
  ${If} ${RunningX64}
    !insertmacro RefuseIfInUse "$COMMONFILES64\CLAP\${CLAP_FILE}"
  ${EndIf}
SectionEnd

Section "Zephrin" SecZephrin
  !insertmacro InstallModules "Zephrin.dll" "${ZEPHRIN32}" "${ZEPHRIN64}"
SectionEnd

Section "Zephrin Map" SecMap
  !insertmacro InstallModules "ZephrinMap.dll" "${MAP32}" "${MAP64}"
SectionEnd

; Where CLAP hosts look, each of its own kind: nothing to register.
Section "Zephrin Map (CLAP)" SecClap
  SetOutPath "$COMMONFILES32\CLAP"
  File "/oname=${CLAP_FILE}" "${CLAP32}"
  ${If} ${RunningX64}
    SetOutPath "$COMMONFILES64\CLAP"
    File "/oname=${CLAP_FILE}" "${CLAP64}"
  ${EndIf}
SectionEnd

Section "-Finish"
  SetOutPath "$INSTDIR"
  File "/oname=README.txt" "${README}"
  File "/oname=${GUIDE_FILE}" "${GUIDE}"
  ${If} $Dir32 != $INSTDIR
    SetOutPath "$Dir32"
    File "/oname=${GUIDE_FILE}" "${GUIDE}"
  ${EndIf}
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${SHORTCUT_FOLDER}"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT_FOLDER}\${SHORTCUT}" "$INSTDIR\${GUIDE_FILE}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

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

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecZephrin} "One key to one controller: key 96 becomes the sustain pedal, or any key any controller."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMap} "Up to eight keys or ranges to controllers, per channel, held or latching, velocity-sensitive."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecClap} "Zephrin Map as a CLAP plug-in, for REAPER, Bitwig Studio, FL Studio, Studio One and every other CLAP host."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

; Unregisters every module first, then removes exactly what was installed.
Section "Uninstall"
  ReadRegStr $Dir32 HKLM "${UNINSTALL_KEY}" "Module32Location"
  ${If} $Dir32 == ""
    StrCpy $Dir32 $INSTDIR
  ${EndIf}
  !insertmacro RemoveModules "Zephrin.dll"
  !insertmacro RemoveModules "ZephrinMap.dll"
  ; The CLAP folders go only when empty: other plug-ins live there too.
  Delete "$COMMONFILES32\CLAP\${CLAP_FILE}"
  RMDir "$COMMONFILES32\CLAP"
  ${If} ${RunningX64}
    Delete "$COMMONFILES64\CLAP\${CLAP_FILE}"
    RMDir "$COMMONFILES64\CLAP"
  ${EndIf}
  SetShellVarContext all
  Delete "$SMPROGRAMS\${SHORTCUT_FOLDER}\${SHORTCUT}"
  RMDir "$SMPROGRAMS\${SHORTCUT_FOLDER}"
  Delete "$Dir32\${GUIDE_FILE}"
  Delete "$INSTDIR\${GUIDE_FILE}"
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
