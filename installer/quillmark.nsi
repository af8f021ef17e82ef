; The Quillmark installer: Quillmark.exe, quillshell.dll, quillmark-cli.exe and the data folders
; (samples, langs, toolbar) in one folder, the folder-menu extension registered, a Start-menu entry
; and an uninstall entry.
;
; Two modes:
;   all users (/ALLUSERS; the default for administrators): Program Files, the extension registered
;     by its own DllRegisterServer (regsvr32), entries under HKEY_LOCAL_MACHINE;
;   current user (/CURRENTUSER; the default otherwise, needs no administrator): the user's
;     programs folder, the extension's keys written under HKEY_CURRENT_USER\Software\Classes,
;     nothing under HKEY_LOCAL_MACHINE.
; On Windows 11 (build 22000 and later) the installer also registers the sparse package
; Quillmark.msix (installed with the program, the install folder its external location), so that
; the folder menu shows on the first page of Explorer's context menu:
;   all users (elevated): staged and provisioned for every user of the machine (-AllowUnsigned for
;     a build without a signature);
;   current user: registered for that user when the package is signed; a package without a
;     signature can only be added for all users by an administrator, so the finish page says the
;     menu is under "Show more options" and why.
; Earlier registrations of the package go first. The outcome is shown on the finish page and kept
; in the uninstall key's DWORD Windows11MenuResult: 0 registered, 1 declined (/WIN11MENU=0),
; 2 needs an administrator, 3 unsigned build in a per-user installation, otherwise the HRESULT.
; Paths reach PowerShell in the environment ($env:QM_MSIX, $env:QM_DIR), never inside its
; command text. The uninstaller removes the package (and its provisioning). Windows 10 keeps the
; classic registration only; builds before Windows 10 1703 (15063) are refused.
; /S installs silently (no prompt), /D=FOLDER (last on the command line) chooses the folder.
;
; Built by scripts/package: makensis -DSTAGE=<layout> -DOUTFILE=<exe> -DVERSION=<x.y.z>
;   -DCLSID=<{...}> -DFILES=<install list> -DUNFILES=<uninstall list> -DSIGNED=<0|1>
;   installer/quillmark.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel highest
ManifestDPIAware true

!macro Require name
  !ifndef ${name}
    !error "${name} must be defined (see scripts/package)"
  !endif
!macroend
!insertmacro Require STAGE
!insertmacro Require OUTFILE
!insertmacro Require VERSION
!insertmacro Require CLSID
!insertmacro Require FILES
!insertmacro Require UNFILES
!insertmacro Require SIGNED

!define PRODUCT "Quillmark"
!define DESCRIPTION "Ostrel QuillMark Shell Extensions"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmark"
!define CLASSKEY "Software\Classes\CLSID\${CLSID}"
!define HANDLERKEY "Software\Classes\Directory\shellex\ContextMenuHandlers\PelmoContextMenu"
!define APPROVEDKEY "Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved"
!define VERBKEY "Software\Classes\iclfile\shell\Open.Ostrel.Quillmark"
!define PACKAGENAME "Ostrel.Quillmark"
!define POWERSHELL '"$SYSDIR\WindowsPowerShell\v1.0\powershell.exe" -NoProfile -NonInteractive -ExecutionPolicy Bypass -Command'
!define MINBUILD 15063  ; Windows 10 1703: per-monitor DPI awareness v2
!define WIN11BUILD 22000
; The PowerShell scripts of the Windows 11 menu. They name no path: the package and the folder come
; from the environment. A failure ends the script with its HRESULT as the exit code.
!define PS_TRY "$$ErrorActionPreference='Stop'; try {"
!define PS_CATCH "exit 0 } catch { exit $$_.Exception.HResult }"
!define PS_REMOVE_USER "Get-AppxPackage -Name ${PACKAGENAME} | Remove-AppxPackage -ErrorAction SilentlyContinue;"
!define PS_REMOVE_ALL "Get-AppxProvisionedPackage -Online | Where-Object DisplayName -eq '${PACKAGENAME}' | Remove-AppxProvisionedPackage -Online -AllUsers -ErrorAction SilentlyContinue; Get-AppxPackage -AllUsers -Name ${PACKAGENAME} | Remove-AppxPackage -AllUsers -ErrorAction SilentlyContinue;"
!if ${SIGNED} == 1
  !define PS_UNSIGNED ""
!else
  !define PS_UNSIGNED " -AllowUnsigned"
!endif
!define PS_ADD_USER "Add-AppxPackage -Path $$env:QM_MSIX -ExternalLocation $$env:QM_DIR -ForceApplicationShutdown;"
!define PS_ADD_ALL "Add-AppxPackage -Path $$env:QM_MSIX -ExternalLocation $$env:QM_DIR -Stage${PS_UNSIGNED}; Add-AppxProvisionedPackage -Online -PackagePath $$env:QM_MSIX -SkipLicense | Out-Null;"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "nsDialogs.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Quillmark developers"

!define MUI_ICON "${__FILEDIR__}/../resources/icons/quillmark.ico"
!define MUI_UNICON "${__FILEDIR__}/../resources/icons/quillmark.ico"
!define MUI_ABORTWARNING

Var AllUsers      ; 1: all users, 0: current user
Var ModeGiven     ; 1 when the command line chose the mode
Var FolderGiven   ; 1 when /D= chose the folder
Var RadioAll
Var RadioUser
Var CreatedKeys   ; parent keys that did not exist before the installation, "key|key|..."
Var Win11Menu     ; 0 when /WIN11MENU=0 declined the Windows 11 menu
Var Win11Result   ; the outcome written to Windows11MenuResult; empty when there was none
Var FinishText

Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; The program started from the finish page would run with the installer's rights: after an elevated
; installation it is not offered (its first settings would go to the program folder).
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillmark.exe"
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; Each user's own folder (the settings and themes of a user who could not write the program's
; folder) is the user's: the uninstaller does not go there, and its last page says so.
!define MUI_FINISHPAGE_TEXT "${PRODUCT} has been removed from this computer.$\r$\n$\r$\nSettings and themes that users keep in their own folders (%APPDATA%\${PRODUCT}) were left in place; each user may delete that folder."
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "English"

; ---- mode ---------------------------------------------------------------------------------------

Function IsAdmin  ; pushes 1 when the process may write HKEY_LOCAL_MACHINE
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

Function ApplyMode
  ${If} $AllUsers == 1
    SetShellVarContext all
    ${IfThen} $FolderGiven != 1 ${|} StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}" ${|}
  ${Else}
    SetShellVarContext current
    ${IfThen} $FolderGiven != 1 ${|} StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}" ${|}
  ${EndIf}
FunctionEnd

Function .onInit
  ; Refused before Windows 10 1703: the program needs what that version brought.
  ReadRegStr $0 HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentBuildNumber"
  IntOp $1 $0 + 0
  ${If} $1 < ${MINBUILD}
    MessageBox MB_ICONSTOP "${PRODUCT} needs Windows 10 version 1703 (build ${MINBUILD}) or later; this computer runs build $0." /SD IDOK
    SetErrorLevel 1150  ; ERROR_OLD_WIN_VERSION
    Quit
  ${EndIf}
  StrCpy $FolderGiven 0
  ${IfThen} $INSTDIR != "" ${|} StrCpy $FolderGiven 1 ${|}
  StrCpy $ModeGiven 1
  ${GetParameters} $R0
  StrCpy $Win11Menu 1
  ClearErrors
  ${GetOptions} $R0 "/WIN11MENU=" $R1
  ${IfNot} ${Errors}
    ${IfThen} $R1 == "0" ${|} StrCpy $Win11Menu 0 ${|}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CURRENTUSER" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
  ${Else}
    ClearErrors
    ${GetOptions} $R0 "/ALLUSERS" $R1
    ${IfNot} ${Errors}
      StrCpy $AllUsers 1
    ${Else}
      StrCpy $ModeGiven 0
      Call IsAdmin
      Pop $AllUsers
    ${EndIf}
  ${EndIf}
  ${If} $AllUsers == 1
    Call IsAdmin
    Pop $0
    ${If} $0 != 1
      MessageBox MB_ICONSTOP "Installing for all users needs an administrator. Install for the current user (/CURRENTUSER) instead." /SD IDOK
      SetErrorLevel 740
      Quit
    ${EndIf}
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function ModePage
  ${IfThen} $ModeGiven == 1 ${|} Abort ${|}
  !insertmacro MUI_HEADER_TEXT "Installation mode" "Install Quillmark for every user of this computer, or for you alone."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 10u 100% 12u "For all users (needs an administrator)"
  Pop $RadioAll
  ${NSD_CreateRadioButton} 0 30u 100% 12u "For me only (no administrator needed)"
  Pop $RadioUser
  Call IsAdmin
  Pop $0
  ${If} $0 != 1
    EnableWindow $RadioAll 0
  ${EndIf}
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $RadioUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyMode
FunctionEnd

; ---- the extension's keys for the current user --------------------------------------------------

; The server path as the extension's own registration writes it: the 8.3 form when it holds a blank.
Function ServerPath  ; pushes the path of $INSTDIR\quillshell.dll
  StrCpy $0 "$INSTDIR\quillshell.dll"
  StrLen $1 $0
  StrCpy $2 0
  ${DoWhile} $2 < $1
    StrCpy $3 $0 1 $2
    ${If} $3 == " "
      GetFullPathName /SHORT $3 $0
      ${IfThen} $3 != "" ${|} StrCpy $0 $3 ${|}
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  Push $0
FunctionEnd

; Deletes a key when it holds no value and no subkey (a parent that the installation or the
; program may have created).
!macro DeleteEmptyUserKey subkey
  System::Call 'shlwapi::SHDeleteEmptyKeyW(p 0x80000001, w "${subkey}") i'
!macroend
!macro DeleteEmptyMachineKey subkey
  System::Call 'shlwapi::SHDeleteEmptyKeyW(p 0x80000002, w "${subkey}") i'
!macroend

; Notes a parent key that does not exist yet, so that the uninstaller removes it again (when
; empty) and leaves keys alone that were there before.
!macro NoteNewKey root subkey
  ClearErrors
  EnumRegKey $R9 ${root} "${subkey}" 0
  ${If} ${Errors}
    StrCpy $CreatedKeys "$CreatedKeys${subkey}|"
  ${EndIf}
!macroend
!macro NoteNewParents root
  !insertmacro NoteNewKey ${root} "Software\Classes"
  !insertmacro NoteNewKey ${root} "Software\Classes\CLSID"
  !insertmacro NoteNewKey ${root} "Software\Microsoft\Windows\CurrentVersion\Uninstall"
  !insertmacro NoteNewKey ${root} "Software\Classes\Directory"
  !insertmacro NoteNewKey ${root} "Software\Classes\Directory\shellex"
  !insertmacro NoteNewKey ${root} "Software\Classes\Directory\shellex\ContextMenuHandlers"
  !insertmacro NoteNewKey ${root} "Software\Microsoft\Windows\CurrentVersion\Shell Extensions"
  !insertmacro NoteNewKey ${root} "${APPROVEDKEY}"
!macroend

; Removes the keys noted at installation that are empty now: $0 = "key|key|...", $1 = the root
; (0x80000001 or 0x80000002). One pass per nesting level, so that parents go once their children are gone.
Function un.DeleteCreatedKeys
  ${For} $5 1 6
    StrCpy $2 $0
    ${DoWhile} $2 != ""
      StrCpy $3 0
      ${Do}
        StrCpy $4 $2 1 $3
        ${IfThen} $4 == "|" ${|} ${ExitDo} ${|}
        ${IfThen} $4 == "" ${|} ${ExitDo} ${|}
        IntOp $3 $3 + 1
      ${Loop}
      StrCpy $4 $2 $3
      IntOp $3 $3 + 1
      StrCpy $2 $2 "" $3
      ${If} $4 != ""
        System::Call 'shlwapi::SHDeleteEmptyKeyW(p $1, w r4) i'
      ${EndIf}
    ${Loop}
  ${Next}
FunctionEnd

!macro RemoveRegistration root
  DeleteRegKey ${root} "${CLASSKEY}"
  DeleteRegKey ${root} "${HANDLERKEY}"
  DeleteRegValue ${root} "${APPROVEDKEY}" "${CLSID}"
!macroend

!macro RemoveVerbParents kind
  !insertmacro DeleteEmpty${kind}Key "Software\Classes\iclfile\shell"
  !insertmacro DeleteEmpty${kind}Key "Software\Classes\iclfile"
!macroend

; ---- the Windows 11 menu -----------------------------------------------------------------------

; Pushes 1 on Windows 11 and later (build number 22000 and above), 0 otherwise.
!macro Windows11Check un
Function ${un}IsWindows11
  ReadRegStr $0 HKLM "SOFTWARE\Microsoft\Windows NT\CurrentVersion" "CurrentBuildNumber"
  ${If} $0 >= ${WIN11BUILD}
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro Windows11Check ""
!insertmacro Windows11Check "un."

; The package's paths for PowerShell, in this process's environment (inherited by the child).
Function SetPackageEnvironment
  StrCpy $R0 "$INSTDIR\Quillmark.msix"
  System::Call 'kernel32::SetEnvironmentVariableW(w "QM_MSIX", w R0) i'
  StrCpy $R0 "$INSTDIR"
  System::Call 'kernel32::SetEnvironmentVariableW(w "QM_DIR", w R0) i'
FunctionEnd

; Runs a PowerShell script with the package's paths in the environment; its exit code goes to
; $Win11Result, E_FAIL when PowerShell could not start or ended with a code that is no HRESULT.
!macro RunPackageScript script
  Call SetPackageEnvironment
  nsExec::ExecToLog `${POWERSHELL} "${script}"`
  Pop $Win11Result
  ${If} $Win11Result == "error"
  ${OrIf} $Win11Result == "timeout"
  ${OrIf} $Win11Result == "1"
  ${OrIf} $Win11Result == "2"
  ${OrIf} $Win11Result == "3"
    StrCpy $Win11Result 0x80004005
  ${EndIf}
!macroend

; Registers the Windows 11 menu's package on Windows 11 and sets $Win11Result and $FinishText.
Function RegisterWindows11Menu
  StrCpy $Win11Result ""
  StrCpy $FinishText "${PRODUCT} has been installed on your computer.$\r$\n$\r$\nClick Finish to close Setup."
  Call IsWindows11
  Pop $0
  ${IfThen} $0 != 1 ${|} Return ${|}
  ${If} $Win11Menu == 0
    StrCpy $Win11Result 1
  ${ElseIf} $AllUsers == 1
    Call IsAdmin
    Pop $0
    ${If} $0 != 1
      StrCpy $Win11Result 2
    ${Else}
      !insertmacro RunPackageScript "${PS_TRY} ${PS_REMOVE_ALL} ${PS_ADD_ALL} ${PS_CATCH}"
    ${EndIf}
  ${ElseIf} ${SIGNED} == 1
    !insertmacro RunPackageScript "${PS_TRY} ${PS_REMOVE_USER} ${PS_ADD_USER} ${PS_CATCH}"
  ${Else}
    StrCpy $Win11Result 3
  ${EndIf}
  IntFmt $1 "0x%08X" $Win11Result
  ${Select} $Win11Result
  ${Case} 0
    ; Explorer reads the package's menu declaration again.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; SHCNE_ASSOCCHANGED
    DetailPrint "The Windows 11 menu package is registered."
    StrCpy $FinishText "$FinishText$\r$\n$\r$\nThe ${PRODUCT} entry appears on the first page of the Windows 11 folder menu after Explorer restarts or at your next sign-in."
  ${Case} 1
    DetailPrint "The Windows 11 menu package was not registered (/WIN11MENU=0)."
    StrCpy $FinishText "$FinishText$\r$\n$\r$\nThe ${PRODUCT} folder menu is under $\"Show more options$\" (the Windows 11 menu entry was declined)."
  ${Case} 2
    DetailPrint "Registering the Windows 11 menu package needs an administrator."
    StrCpy $FinishText "$FinishText$\r$\n$\r$\nThe ${PRODUCT} folder menu is under $\"Show more options$\": adding it to the first page of the Windows 11 menu for all users needs an administrator."
  ${Case} 3
    DetailPrint "This build is not signed: its Windows 11 menu package can only be added for all users by an administrator."
    StrCpy $FinishText "$FinishText$\r$\n$\r$\nThe ${PRODUCT} folder menu is under $\"Show more options$\". This build is not signed, and Windows 11 adds the menu entry of an unsigned package only in an installation for all users by an administrator. Install for all users, or install a signed release, to have the entry on the first page."
  ${CaseElse}
    DetailPrint "Registering the Windows 11 menu package failed ($1); the folder menu stays under $\"Show more options$\"."
    StrCpy $FinishText "$FinishText$\r$\n$\r$\nWindows did not add the ${PRODUCT} entry to the first page of the Windows 11 folder menu (error $1); the folder menu is under $\"Show more options$\"."
  ${EndSelect}
FunctionEnd

Function FinishPageShow
  Call IsAdmin
  Pop $0
  ${If} $0 == 1
    ${NSD_Uncheck} $mui.FinishPage.Run
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

; A quillshell.dll that Explorer or the menu's surrogate holds cannot be overwritten, but it can be
; renamed: the loaded copy moves aside and goes at the next restart, and the new one is written.
Function MoveLoadedLibraryAside
  IfFileExists "$INSTDIR\quillshell.dll" 0 done
  System::Call 'kernel32::GetTickCount() i .R1'
  StrCpy $R0 "$INSTDIR\quillshell.dll.$R1.old"
  Rename "$INSTDIR\quillshell.dll" $R0
  Delete /REBOOTOK $R0
  done:
FunctionEnd

; ---- install ------------------------------------------------------------------------------------

Section "Quillmark"
  SetOutPath "$INSTDIR"
  Call MoveLoadedLibraryAside
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  StrCpy $CreatedKeys ""
  ${If} $AllUsers == 1
    !insertmacro NoteNewParents HKLM
    ExecWait '"$SYSDIR\regsvr32.exe" /s "$INSTDIR\quillshell.dll"' $0
    ${If} $0 != 0
      DetailPrint "Registering the folder menu failed ($0)."
      SetErrorLevel 3
    ${EndIf}
  ${Else}
    !insertmacro NoteNewParents HKCU
    Call ServerPath
    Pop $1
    WriteRegStr HKCU "${CLASSKEY}" "" "${DESCRIPTION}"
    WriteRegStr HKCU "${CLASSKEY}\InprocServer32" "" "$1"
    WriteRegStr HKCU "${CLASSKEY}\InprocServer32" "ThreadingModel" "Apartment"
    WriteRegStr HKCU "${HANDLERKEY}" "" "${CLSID}"
    WriteRegStr HKCU "${APPROVEDKEY}" "${CLSID}" "${DESCRIPTION}"
  ${EndIf}

  Call RegisterWindows11Menu

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Quillmark.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTKEY}" "Publisher" "Quillmark developers"
  WriteRegStr SHCTX "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\Quillmark.exe"
  WriteRegStr SHCTX "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr SHCTX "${UNINSTKEY}" "CreatedKeys" "$CreatedKeys"
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTKEY}" "NoRepair" 1
  ${If} $Win11Result != ""
    WriteRegDWORD SHCTX "${UNINSTKEY}" "Windows11MenuResult" $Win11Result
  ${Else}
    DeleteRegValue SHCTX "${UNINSTKEY}" "Windows11MenuResult"
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTKEY}" "EstimatedSize" $0
SectionEnd

; ---- uninstall ----------------------------------------------------------------------------------

; Which installation this uninstaller belongs to: the current user's when that user's uninstall
; entry names this folder.
Function un.onInit
  ReadRegStr $0 HKCU "${UNINSTKEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${Else}
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; The package names files of this folder: it goes before them.
  Call un.IsWindows11
  Pop $0
  ${If} $0 == 1
    ${If} $AllUsers == 1
      nsExec::ExecToLog `${POWERSHELL} "${PS_TRY} ${PS_REMOVE_ALL} ${PS_CATCH}"`
    ${Else}
      nsExec::ExecToLog `${POWERSHELL} "${PS_TRY} ${PS_REMOVE_USER} ${PS_CATCH}"`
    ${EndIf}
    Pop $0
  ${EndIf}

  ReadRegStr $0 SHCTX "${UNINSTKEY}" "CreatedKeys"
  ${If} $AllUsers == 1
    ExecWait '"$SYSDIR\regsvr32.exe" /u /s "$INSTDIR\quillshell.dll"'
    ; Also when the library could not be loaded any more.
    !insertmacro RemoveRegistration HKLM
    DeleteRegKey HKLM "${VERBKEY}"
    !insertmacro RemoveVerbParents Machine
    StrCpy $1 0x80000002
  ${Else}
    !insertmacro RemoveRegistration HKCU
    ; The program's "Install Theme" verb, where it could write it for this installation.
    ReadRegStr $2 HKLM "${VERBKEY}\command" ""
    StrLen $3 "$INSTDIR\Quillmark.exe"
    StrCpy $2 $2 $3
    ${If} $2 == "$INSTDIR\Quillmark.exe"
      DeleteRegKey HKLM "${VERBKEY}"
      !insertmacro RemoveVerbParents Machine
    ${EndIf}
    StrCpy $1 0x80000001
  ${EndIf}
  DeleteRegKey HKCU "${VERBKEY}"
  !insertmacro RemoveVerbParents User

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; What was installed, and the program's own settings and history; themes the user added to
  ; samples stay (with the folder), and so do every customized folder and its icon copies and
  ; every user's %APPDATA%\Quillmark.
  !include "${UNFILES}"
  Delete "$INSTDIR\quillmark.ini"
  Delete "$INSTDIR\lib.ini"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  DeleteRegKey SHCTX "${UNINSTKEY}"
  ; Parents noted at installation go last, once the uninstall entry under one of them is gone.
  Call un.DeleteCreatedKeys
SectionEnd
