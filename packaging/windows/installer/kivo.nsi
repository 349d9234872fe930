; Kivo's Windows installer (NSIS 3). make_packages.sh builds it:
;   makensis -DVERSION=0.35 -DVERSION_QUAD=0.35.0.0 -DSTAGE=dir -DOUTFILE=kivo-0.35-setup.exe kivo.nsi
; STAGE holds kivo.exe, kivo-cli.exe, README.txt, kivo.ico, wizard.bmp and, when the sources have
; one, LICENSE.txt.
;
; Per user by default: no administrator rights, into %LOCALAPPDATA%\Programs\Kivo, shortcut and
; Uninstall entry under HKCU. Per machine when chosen on the second page or with /ALLUSERS: into
; Program Files, entry under HKLM; a copy without administrator rights starts itself again
; elevated ("runas") for that. The components page offers to add the program folder to the
; PATH of the user who runs the installer (HKCU\Environment), so kivo-cli works in any console;
; the uninstaller takes it out again. Command line: /S (silent), /ALLUSERS or /CURRENTUSER,
; /ADDTOPATH, /D=FOLDER (last). The uninstaller keeps %APPDATA%\Kivo (settings, error log) and every download unless
; its box is ticked or /REMOVESETTINGS is given; /S makes it silent too.

; kivo.exe is a 64-bit program, so the installer is one as well.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include WordFunc.nsh
!include Sections.nsh

!macro KIVO_REQUIRE name
  !ifndef ${name}
    !error "${name} is not defined: makensis -D${name}=... (see make_packages.sh)"
  !endif
!macroend
!insertmacro KIVO_REQUIRE VERSION
!insertmacro KIVO_REQUIRE VERSION_QUAD
!insertmacro KIVO_REQUIRE STAGE
!insertmacro KIVO_REQUIRE OUTFILE

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kivo"
!define UNINSTALLER "uninstall.exe"
!define PUBLISHER "The Kivo developers"

Name "Kivo"
OutFile "${OUTFILE}"
BrandingText "Kivo ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "Kivo"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Kivo ${VERSION} Setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var AllUsers      ; 1: per machine
Var ModeGiven     ; 1: /ALLUSERS or /CURRENTUSER was on the command line
Var Elevated      ; 1: started elevated by a copy of itself (or of the uninstaller)
Var DefaultDir    ; the folder chosen for the current mode, followed while the user keeps it
Var RadioUser
Var RadioMachine
Var SettingsDir   ; the user's %APPDATA%\Kivo
Var RemoveSettings
Var RemoveBox
Var AddToPath     ; 1: /ADDTOPATH was on the command line

!define MUI_ICON "${STAGE}/kivo.ico"
!define MUI_UNICON "${STAGE}/kivo.ico"
!define MUI_ABORTWARNING
!define MUI_WELCOMEFINISHPAGE_BITMAP "${STAGE}/wizard.bmp"
!define MUI_WELCOMEPAGE_TEXT "This installs Kivo ${VERSION}, the remote control for a GoPro HERO3 camera over its Wi-Fi, on this computer.$\r$\n$\r$\nIf Kivo is running, close it first.$\r$\n$\r$\nClick Next to continue."

!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWhenElevated
!insertmacro MUI_PAGE_WELCOME
Page custom ModePage ModePageLeave
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "&Start Kivo"
!define MUI_FINISHPAGE_RUN_FUNCTION StartKivo
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; Pushes 1 when this process has administrator rights (elevated), else 0.
!macro IS_ADMIN un
Function ${un}IsAdmin
  Push $0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Exch $0
FunctionEnd
!macroend
!insertmacro IS_ADMIN ""
!insertmacro IS_ADMIN "un."

; ---- installer ----------------------------------------------------------------------------------

; Sets the shell context and, unless the user typed a folder of their own, the folder for $AllUsers:
; where an earlier installation of the same kind is, else the default of the mode.
Function ApplyMode
  ${If} $AllUsers == 1
    SetShellVarContext all
    ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
    StrCpy $1 "$PROGRAMFILES64\Kivo"
  ${Else}
    SetShellVarContext current
    ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
    StrCpy $1 "$LOCALAPPDATA\Programs\Kivo"
  ${EndIf}
  ${If} $0 != ""
    StrCpy $1 $0
  ${EndIf}
  ${If} $INSTDIR == ""
  ${OrIf} $INSTDIR == $DefaultDir
    StrCpy $INSTDIR $1
    StrCpy $DefaultDir $1
  ${EndIf}
FunctionEnd

; Runs this installer again with administrator rights (Windows asks the user) for a per-machine
; installation and waits for it. The error flag is set when Windows refused.
Function RunElevated
  ${GetParameters} $0
  ClearErrors
  ; /D= must stay last, so the added switches go first.
  ExecShellWait "runas" "$EXEPATH" "/ALLUSERS /ELEVATED $0"
FunctionEnd

Function .onInit
  StrCpy $AllUsers 0
  StrCpy $ModeGiven 0
  StrCpy $Elevated 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CURRENTUSER" $1
  ${IfNot} ${Errors}
    StrCpy $ModeGiven 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $ModeGiven 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/ELEVATED" $1
  ${IfNot} ${Errors}
    StrCpy $Elevated 1
  ${EndIf}
  StrCpy $AddToPath 0
  ClearErrors
  ${GetOptions} $0 "/ADDTOPATH" $1
  ${IfNot} ${Errors}
    StrCpy $AddToPath 1
  ${EndIf}
  Call SelectPathSection
  Call ApplyMode

  ${If} $AllUsers == 1
  ${AndIf} $Elevated == 0
  ${AndIf} ${Silent}
    Call IsAdmin
    Pop $0
    ${If} $0 == 0
      Call RunElevated
      ${If} ${Errors}
        SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
      ${EndIf}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function SkipWhenElevated
  ${If} $Elevated == 1
    Abort
  ${EndIf}
FunctionEnd

Function ShowShield
  Call IsAdmin
  Pop $0
  ${NSD_GetState} $RadioMachine $1
  ${If} $0 == 1
  ${OrIf} $1 != ${BST_CHECKED}
    StrCpy $1 0
  ${Else}
    StrCpy $1 1
  ${EndIf}
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${BCM_SETSHIELD} 0 $1
FunctionEnd

Function OnModeClick
  Pop $0
  Call ShowShield
FunctionEnd

Function ModePage
  ${If} $Elevated == 1
  ${OrIf} $ModeGiven == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for whom Kivo is installed."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 20u "Install Kivo just for you, or for everyone who uses this computer."
  Pop $0
  ${NSD_CreateRadioButton} 0 26u 100% 12u "&Just for me (no administrator rights needed)"
  Pop $RadioUser
  ${NSD_OnClick} $RadioUser OnModeClick
  SetShellVarContext current
  ${NSD_CreateLabel} 12u 40u -12u 12u "Into $LOCALAPPDATA\Programs\Kivo"
  Pop $0
  ${NSD_CreateRadioButton} 0 60u 100% 12u "For &everyone who uses this computer (needs administrator rights)"
  Pop $RadioMachine
  ${NSD_OnClick} $RadioMachine OnModeClick
  ${NSD_CreateLabel} 12u 74u -12u 12u "Into $PROGRAMFILES64\Kivo"
  Pop $0
  ${NSD_CreateLabel} 0 96u 100% 30u "Either way Kivo keeps its settings and error log in your own folder, %APPDATA%\Kivo."
  Pop $0
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioMachine
    SetShellVarContext all
  ${Else}
    ${NSD_Check} $RadioUser
  ${EndIf}
  Call ShowShield
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioMachine $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyMode
  ${If} $AllUsers == 1
    Call IsAdmin
    Pop $0
    ${If} $0 == 0
      HideWindow
      Call RunElevated
      ${IfNot} ${Errors}
        Quit
      ${EndIf}
      ShowWindow $HWNDPARENT ${SW_SHOW}
      BringToFront
      MessageBox MB_OK|MB_ICONEXCLAMATION "Installing for everyone needs administrator rights, and Windows did not grant them.$\r$\n$\r$\nChoose $\"Just for me$\", or try again."
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

Function StartKivo
  ${If} $Elevated == 1
    ; This copy runs as administrator on the user's behalf; Explorer starts Kivo as the user.
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\kivo.exe"'
  ${Else}
    Exec '"$INSTDIR\kivo.exe"'
  ${EndIf}
FunctionEnd

Section "Kivo (kivo.exe and kivo-cli.exe)" SecKivo
  SectionIn RO
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${STAGE}/kivo.exe"
  File "${STAGE}/kivo-cli.exe"
  File "${STAGE}/README.txt"
!if /FileExists "${STAGE}/LICENSE.txt"
  File "${STAGE}/LICENSE.txt"
!endif
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\Kivo.lnk" "$INSTDIR\kivo.exe" "" "$INSTDIR\kivo.exe" 0 \
    SW_SHOWNORMAL "" "Remote control for a GoPro HERO3 camera"

  ; SHCTX is HKLM per machine and HKCU per user.
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "Kivo"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\kivo.exe,0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; The user's PATH is changed only when the whole value could be read and the result still fits:
; an NSIS string holds 1024 characters (NSIS_MAX_STRLEN), and writing back a value that was cut (or
; that failed to read) would lose the user's other folders.

; Pushes the user's PATH (HKCU\Environment, unexpanded), or "-" when it exists but could not be
; read whole; "" when there is none.
!macro READ_USER_PATH un
Function ${un}ReadUserPath
  Push $0
  Push $1
  Push $2
  ClearErrors
  ReadRegStr $0 HKCU "Environment" "Path"
  ${If} ${Errors}
    ; Missing, or longer than a string here: look for the name to tell the two apart.
    StrCpy $0 ""
    StrCpy $1 0
    ${Do}
      EnumRegValue $2 HKCU "Environment" $1
      ${If} $2 == ""
        ${Break}
      ${EndIf}
      ${If} $2 == "Path"
        StrCpy $0 "-"
        ${Break}
      ${EndIf}
      IntOp $1 $1 + 1
    ${Loop}
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro READ_USER_PATH ""
!insertmacro READ_USER_PATH "un."

; Tells running programs (Explorer first) that the environment changed, so a new console sees it.
!macro BROADCAST_ENVIRONMENT
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
!macroend

Section /o "Add Kivo's folder to my PATH (for kivo-cli)" SecPath
  Call ReadUserPath
  Pop $0
  ${If} $0 == "-"
    DetailPrint "Your PATH is too long to change safely here; add $INSTDIR to it by hand."
    Return
  ${EndIf}
  ${WordReplace} ";$0;" ";$INSTDIR;" ";" "+" $1
  ${If} $1 != ";$0;"
    DetailPrint "$INSTDIR is already on your PATH."
    Return
  ${EndIf}
  ; The joined value must fit, or StrCpy would cut it.
  StrLen $1 $0
  StrLen $2 $INSTDIR
  IntOp $2 $2 + $1
  IntOp $2 $2 + 2  ; the semicolon and the string's end
  ${If} $2 > ${NSIS_MAX_STRLEN}
    DetailPrint "Your PATH is too long to change safely here; add $INSTDIR to it by hand."
    Return
  ${EndIf}
  ${If} $0 == ""
    StrCpy $1 "$INSTDIR"
  ${Else}
    StrCpy $1 "$0;$INSTDIR"
  ${EndIf}
  WriteRegExpandStr HKCU "Environment" "Path" $1
  DetailPrint "Added $INSTDIR to your PATH."
  !insertmacro BROADCAST_ENVIRONMENT
SectionEnd

; /ADDTOPATH ticks the PATH component (silent installs have no components page).
Function SelectPathSection
  ${If} $AddToPath == 1
    !insertmacro SelectSection ${SecPath}
  ${EndIf}
FunctionEnd

; ---- uninstaller --------------------------------------------------------------------------------

; Takes every copy of the program folder out of the user's PATH; removes the value when nothing
; else was in it. Whatever the installer was asked, so a PATH added by hand goes as well.
Function un.RemoveFromPath
  Call un.ReadUserPath
  Pop $0
  ${If} $0 == ""
  ${OrIf} $0 == "-"
    Return
  ${EndIf}
  StrCpy $1 ";$0;"
  ${Do}
    StrCpy $2 $1
    ${WordReplace} $2 ";$INSTDIR;" ";" "+" $1
    ${WordReplace} $1 ";$INSTDIR\;" ";" "+" $1
  ${LoopUntil} $1 S== $2
  ${If} $1 S== ";$0;"
    Return
  ${EndIf}
  ; Without the two added semicolons.
  StrCpy $1 $1 "" 1
  StrCpy $1 $1 -1
  ${If} $1 == ""
    DeleteRegValue HKCU "Environment" "Path"
  ${Else}
    WriteRegExpandStr HKCU "Environment" "Path" $1
  ${EndIf}
  DetailPrint "Removed $INSTDIR from your PATH."
  !insertmacro BROADCAST_ENVIRONMENT
FunctionEnd

Function un.onInit
  StrCpy $Elevated 0
  StrCpy $RemoveSettings 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/ELEVATED" $1
  ${IfNot} ${Errors}
    StrCpy $Elevated 1
  ${EndIf}
  ; The settings belong to the user who runs the uninstaller, whatever the installation's kind.
  SetShellVarContext current
  StrCpy $SettingsDir "$APPDATA\Kivo"

  ; Per machine when the machine-wide entry names this folder.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
    Call un.IsAdmin
    Pop $0
    ${If} $0 == 0
    ${AndIf} $Elevated == 0
      StrCpy $0 "/ELEVATED"
      ${If} ${Silent}
        StrCpy $0 "$0 /S"
      ${EndIf}
      ${If} $RemoveSettings == 1
        StrCpy $0 "$0 /REMOVESETTINGS"
      ${EndIf}
      ClearErrors
      ExecShellWait "runas" "$INSTDIR\${UNINSTALLER}" $0
      ${If} ${Errors}
        MessageBox MB_OK|MB_ICONSTOP "Kivo was installed for everyone; removing it needs administrator rights." /SD IDOK
        SetErrorLevel 740
      ${EndIf}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.OptionsPage
  !insertmacro MUI_HEADER_TEXT "Uninstall Kivo" "Remove Kivo from this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Kivo and its Start-menu shortcut will be removed from $INSTDIR."
  Pop $0
  ${NSD_CreateLabel} 0 28u 100% 30u "Your settings and error log in $SettingsDir and the photos and videos you downloaded are kept."
  Pop $0
  ${NSD_CreateCheckbox} 0 64u 100% 12u "Also &remove my settings"
  Pop $RemoveBox
  ${If} $RemoveSettings == 1
    ${NSD_Check} $RemoveBox
  ${EndIf}
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:&Uninstall"
  nsDialogs::Show
FunctionEnd

Function un.OptionsPageLeave
  ${NSD_GetState} $RemoveBox $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $RemoveSettings 1
  ${Else}
    StrCpy $RemoveSettings 0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; A running Kivo holds its file: ask to close it rather than leave it behind.
  retry:
  ClearErrors
  Delete "$INSTDIR\kivo.exe"
  ${If} ${Errors}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kivo is still running. Close it, then choose Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 5
    Abort "Kivo is still running; nothing was removed."
  ${EndIf}
  Delete "$INSTDIR\kivo-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only an empty folder goes: anything the user put there stays.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kivo.lnk"
  DeleteRegKey SHCTX "${UNINST_KEY}"
  Call un.RemoveFromPath
  ${If} $RemoveSettings == 1
    RMDir /r "$SettingsDir"
  ${EndIf}
SectionEnd
