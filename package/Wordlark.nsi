; The Wordlark installer (64-bit Windows), built by the package target:
;
;   makensis -DVERSION=1.0.0 -DVERSION_QUAD=1.0.0.0 -DBIN=<program folder>
;            -DHELPER=<wlsetup.exe> -DICON=<icon> -DLICENSE=<LICENSE.txt>
;            -DOUTFILE=<setup.exe> (and the product's keys, below) Wordlark.nsi
;
; It installs for every user, in $PROGRAMFILES64\Wordlark: VemoShow.exe,
; Vemo.dll, WLHelp.chm, the licence notes in Licences and the default
; libraries in Libs; Start menu entries; optionally the Run value that starts
; Wordlark with Windows.  Users get write access to the settings key
; HKLM\SOFTWARE\Quorbit and to Libs, so that settings and libraries can be
; changed without administrator's rights.  On a new installation (nothing
; stored yet under the settings key) the last page recommends the smart
; order, the space after, learning and the next word's prediction, ticked;
; on an upgrade the box starts clear, so that the user's settings stay as
; they are unless the user asks.
;
; Command line: /S (silent: a new installation takes the recommended
; switches, an upgrade keeps the settings), /NOSTARTUP (no start with
; Windows), /D=<folder>.
; The uninstaller: /S, /PURGE (also the user's libraries and the settings).

Unicode true
Target amd64-unicode
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

; PRODUCT, SETTINGS_KEY, PROFILE_KEY and COMPANY_KEY (the profile key's
; parent) come from the build, as platform/Product.h has them; OPTION_KEY
; and the names of the recommended switches (SMART_ORDER, SPACE_AFTER,
; LEARN, PREDICT) as platform/RegistryLayout.h has them.
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define HOMEPAGE "https://wordlark.org/"
; How long a running Wordlark is given to exit before it is stopped.
!define CLOSE_SECONDS 15

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "Quorbit"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 Quorbit. MIT licence; third-party notices in Licences."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION} for every user of this computer.$\r$\n$\r$\n${PRODUCT} completes words and phrases and expands shorthands in every application.$\r$\n$\r$\nA ${PRODUCT} that is running now is ended first."
!define MUI_FINISHPAGE_TEXT "${PRODUCT} is installed.$\r$\n$\r$\nStart it from its folder in the Start menu. Its icon appears in the notification area of the taskbar; right-click it for the menu, and see Help for how to use it."
!define MUI_FINISHPAGE_NOREBOOTSUPPORT
; The recommended switches, as a box of the last page (the box MUI offers
; for a read-me, given a function of its own); the text takes the larger
; space above it.
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_SHOWREADME ""
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Suggest the most likely words first, add a space after, learn from what I type and predict the next word (recommended)"
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION WriteRecommended

; Wordlark's licence (MIT) asks for no agreement: the page shows it with Next.
!define MUI_LICENSEPAGE_TEXT_TOP "${PRODUCT} is free software under the MIT licence:"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "The libraries and the word list that ${PRODUCT} ships keep their own licences, listed in NOTICES.txt in the program's Licences folder."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var Fingerprint
; 1 when nothing is stored under the settings key yet: a new installation.
Var NewInstall

; --- helpers ------------------------------------------------------------------

; The helper program, unpacked into the plug-ins folder (removed on exit).
!macro UnpackHelper
  InitPluginsDir
  File "/oname=$PLUGINSDIR\wlsetup.exe" "${HELPER}"
!macroend

; Vemo.dll stays mapped into the programs that had Wordlark's hooks until
; each of them lets it go, some time after the hooks went (Wine's processes
; keep it until they end): try for a few seconds, then leave it to the next
; restart.
!macro DeleteHookLibrary
  DetailPrint "Removing Vemo.dll..."
  StrCpy $0 0
  ${Do}
    Delete "$INSTDIR\Vemo.dll"
    ${IfNot} ${FileExists} "$INSTDIR\Vemo.dll"
      ${Break}
    ${EndIf}
    IntOp $0 $0 + 1
    ${If} $0 >= 10
      ${Break}
    ${EndIf}
    Sleep 500
  ${Loop}
!macroend

!macro CloseRunning
  DetailPrint "Ending a running ${PRODUCT}..."
  nsExec::Exec '"$PLUGINSDIR\wlsetup.exe" close "$INSTDIR" ${CLOSE_SECONDS}'
  Pop $0
  ${If} $0 == 2
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is still running and could not be ended. Files that are in use will be replaced when Windows restarts." /SD IDOK
  ${EndIf}
!macroend

; $Fingerprint = "size-hash" of the file, or "" when it cannot be read.
!macro FingerprintOf FILE
  nsExec::ExecToStack '"$PLUGINSDIR\wlsetup.exe" hash "${FILE}"'
  Pop $0
  Pop $Fingerprint
  ${If} $0 != 0
    StrCpy $Fingerprint ""
  ${EndIf}
!macroend

; A default library is put in place when there is none, or when the one there
; is still as a former installation left it; a library the user changed stays.
; The fingerprint of what is installed is kept for the uninstaller.
!macro DefaultLibrary NAME
  StrCpy $1 "install"
  ${If} ${FileExists} "$INSTDIR\Libs\${NAME}"
    ReadRegStr $2 HKLM "${UNINST_KEY}" "Library ${NAME}"
    !insertmacro FingerprintOf "$INSTDIR\Libs\${NAME}"
    ${If} $2 == ""
    ${OrIf} $Fingerprint != $2
      StrCpy $1 "keep"
    ${EndIf}
  ${EndIf}
  ${If} $1 == "install"
    File "/oname=$INSTDIR\Libs\${NAME}" "${BIN}\Libs\${NAME}"
    !insertmacro FingerprintOf "$INSTDIR\Libs\${NAME}"
    WriteRegStr HKLM "${UNINST_KEY}" "Library ${NAME}" $Fingerprint
  ${Else}
    DetailPrint "Kept the changed library ${NAME}"
    DeleteRegValue HKLM "${UNINST_KEY}" "Library ${NAME}"
  ${EndIf}
!macroend

; --- installation -------------------------------------------------------------

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetShellVarContext all
  SetRegView 64
  !insertmacro UnpackHelper
  !insertmacro CloseRunning

  SetOutPath "$INSTDIR"
  ; Vemo.dll may still be mapped into programs that had the hooks: it cannot
  ; be overwritten then, but it can be renamed, and the old copy goes at the
  ; next restart.
  ${If} ${FileExists} "$INSTDIR\Vemo.dll"
    !insertmacro DeleteHookLibrary
    ${If} ${FileExists} "$INSTDIR\Vemo.dll"
      GetTempFileName $0 "$INSTDIR"
      Delete $0
      Rename "$INSTDIR\Vemo.dll" $0
      Delete /REBOOTOK $0
    ${EndIf}
  ${EndIf}
  File "${BIN}\VemoShow.exe"
  File "${BIN}\Vemo.dll"
  File "${BIN}\WLHelp.chm"
  SetOutPath "$INSTDIR\Licences"
  File "${BIN}\Licences\*.txt"

  ; The uninstall entry first: the libraries' fingerprints are kept in it.
  WriteUninstaller "$INSTDIR\uninst.exe"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "Quorbit"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\VemoShow.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
  WriteRegStr HKLM "${UNINST_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1

  CreateDirectory "$INSTDIR\Libs"
  !insertmacro DefaultLibrary "English.lib"
  !insertmacro DefaultLibrary "Shorthand.lib"
  File "/oname=$INSTDIR\Libs\English-words-copyright.txt" "${BIN}\Libs\English-words-copyright.txt"
  File "/oname=$INSTDIR\Libs\English-weights-copyright.txt" "${BIN}\Libs\English-weights-copyright.txt"

  ; Standard users: the settings key and the libraries folder.
  DetailPrint "Letting users change the settings and the libraries..."
  nsExec::ExecToLog '"$PLUGINSDIR\wlsetup.exe" grant-key "${SETTINGS_KEY}"'
  Pop $0
  nsExec::ExecToLog '"$PLUGINSDIR\wlsetup.exe" grant-folder "$INSTDIR\Libs"'
  Pop $1
  ${If} $0 != 0
  ${OrIf} $1 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "Users without administrator's rights could not be given write access to HKEY_LOCAL_MACHINE\${SETTINGS_KEY} or to $INSTDIR\Libs. ${PRODUCT} works, but only administrators can change its settings and libraries." /SD IDOK
  ${EndIf}

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0

  ; Without the pages the recommended choice is taken, for a new
  ; installation only.
  ${If} ${Silent}
  ${AndIf} $NewInstall == 1
    Call WriteRecommended
  ${EndIf}
SectionEnd

Section "Start menu entries" SecShortcuts
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\VemoShow.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk" "$INSTDIR\WLHelp.chm"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\uninst.exe"
SectionEnd

Section "Start ${PRODUCT} with Windows" SecStartup
  SetRegView 64
  ; Quoted: the path holds spaces.
  WriteRegStr HKLM "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\VemoShow.exe"'
SectionEnd

LangString DESC_Program ${LANG_ENGLISH} "The program, its help, the licence notes and the English Dictionary and Shorthand libraries."
LangString DESC_Shortcuts ${LANG_ENGLISH} "A ${PRODUCT} folder in the Start menu, for every user."
LangString DESC_Startup ${LANG_ENGLISH} "Start ${PRODUCT} whenever a user logs on."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DESC_Program)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecShortcuts} $(DESC_Shortcuts)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} $(DESC_Startup)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The recommended switches, each a 4-byte REG_BINARY 1 (little-endian) as
; the program writes them.
Function WriteRecommended
  SetRegView 64
  DetailPrint "Switching on the recommended suggestions..."
  ClearErrors
  WriteRegBin HKLM "${OPTION_KEY}" "${SMART_ORDER}" 01000000
  WriteRegBin HKLM "${OPTION_KEY}" "${SPACE_AFTER}" 01000000
  WriteRegBin HKLM "${OPTION_KEY}" "${LEARN}" 01000000
  WriteRegBin HKLM "${OPTION_KEY}" "${PREDICT}" 01000000
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION "The recommended suggestions could not be saved in HKEY_LOCAL_MACHINE\${OPTION_KEY}. Choose them in ${PRODUCT}'s Options instead." /SD IDOK
  ${EndIf}
FunctionEnd

; The last page: the box of the recommended switches gets the room of its
; three lines, and is ticked only for a new installation.  On an upgrade
; the page says that the settings are kept.
Function FinishShow
  System::Call "*(i, i, i, i) p .r1"
  System::Call "user32::GetWindowRect(p $mui.FinishPage.ShowReadme, p r1)"
  System::Call "*$1(i .r2, i .r3, i .r4, i .r5)"
  System::Free $1
  IntOp $4 $4 - $2
  IntOp $5 $5 - $3
  IntOp $5 $5 * 3
  ; SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE
  System::Call "user32::SetWindowPos(p $mui.FinishPage.ShowReadme, p 0, i 0, i 0, i $4, i $5, i 0x16)"
  ${If} $NewInstall != 1
    SendMessage $mui.FinishPage.ShowReadme ${BM_SETCHECK} ${BST_UNCHECKED} 0
    SendMessage $mui.FinishPage.Text ${WM_SETTEXT} 0 "STR:$(FINISH_UPGRADE)"
  ${EndIf}
FunctionEnd

LangString FINISH_UPGRADE ${LANG_ENGLISH} "${PRODUCT} is installed, and your settings are kept. To change them to the recommended suggestions, tick the box below.$\r$\n$\r$\nStart it from its folder in the Start menu. Its icon appears in the notification area of the taskbar; right-click it for the menu, and see Help for how to use it."

; A silent run ends a running Wordlark before this process handles its first
; message: a process that handles messages while Wordlark's hooks are set
; gets Vemo.dll mapped into it, and could then not replace or remove it.
; With the pages, that happens once the user has said go; there the
; messages the pages handle let the system unmap it again.
Function .onInit
  SetRegView 64
  ; Nothing stored under the settings key, not even by an earlier
  ; installation's Wordlark: a new installation.  (The key an installation
  ; made for the access rights, and nothing in it, stores nothing.)
  StrCpy $NewInstall 0
  EnumRegKey $0 HKLM "${SETTINGS_KEY}" 0
  EnumRegValue $1 HKLM "${SETTINGS_KEY}" 0
  ${If} $0 == ""
  ${AndIf} $1 == ""
    StrCpy $NewInstall 1
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOSTARTUP" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
  ${If} ${Silent}
    !insertmacro UnpackHelper
    !insertmacro CloseRunning
  ${EndIf}
FunctionEnd

; --- uninstallation -----------------------------------------------------------

; A default library goes when it is still as installed.
!macro UnDefaultLibrary NAME
  ReadRegStr $2 HKLM "${UNINST_KEY}" "Library ${NAME}"
  ${If} ${FileExists} "$INSTDIR\Libs\${NAME}"
    !insertmacro FingerprintOf "$INSTDIR\Libs\${NAME}"
    ${If} $2 != ""
    ${AndIf} $Fingerprint == $2
      Delete "$INSTDIR\Libs\${NAME}"
    ${Else}
      DetailPrint "Kept the library ${NAME}: it was changed after the installation"
    ${EndIf}
  ${EndIf}
!macroend

Section "un.${PRODUCT}" UnSecProgram
  SectionIn RO
  SetShellVarContext all
  SetRegView 64
  !insertmacro UnpackHelper
  !insertmacro CloseRunning

  Delete /REBOOTOK "$INSTDIR\VemoShow.exe"
  !insertmacro DeleteHookLibrary
  Delete /REBOOTOK "$INSTDIR\Vemo.dll"
  Delete "$INSTDIR\WLHelp.chm"
  Delete "$INSTDIR\Licences\*.txt"
  RMDir "$INSTDIR\Licences"

  !insertmacro UnDefaultLibrary "English.lib"
  !insertmacro UnDefaultLibrary "Shorthand.lib"
  ; The notices of the word list and its weights stay with a kept English
  ; Dictionary.
  ${IfNot} ${FileExists} "$INSTDIR\Libs\English.lib"
    Delete "$INSTDIR\Libs\English-words-copyright.txt"
    Delete "$INSTDIR\Libs\English-weights-copyright.txt"
  ${EndIf}
  RMDir "$INSTDIR\Libs"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  ; The Run value, written by this installer or by the Options dialog of
  ; this installation (which writes the path without quotes).
  ReadRegStr $0 HKLM "${RUN_KEY}" "${PRODUCT}"
  ${If} $0 == '"$INSTDIR\VemoShow.exe"'
  ${OrIf} $0 == "$INSTDIR\VemoShow.exe"
    DeleteRegValue HKLM "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}

  Delete "$INSTDIR\uninst.exe"
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd

Section /o "un.Also remove my libraries and settings" UnSecPurge
  SetShellVarContext all
  SetRegView 64
  Delete "$INSTDIR\Libs\*.lib"
  Delete "$INSTDIR\Libs\English-words-copyright.txt"
  Delete "$INSTDIR\Libs\English-weights-copyright.txt"
  RMDir "$INSTDIR\Libs"
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  ; The settings of the user who uninstalls (the progress window's place).
  DeleteRegKey HKCU "${PROFILE_KEY}"
  DeleteRegKey /ifempty HKCU "${COMPANY_KEY}"
SectionEnd

LangString DESC_UnProgram ${LANG_ENGLISH} "The program, its help and Start menu entries, and the default libraries as far as they are unchanged."
LangString DESC_UnPurge ${LANG_ENGLISH} "Also the libraries you created or changed in $INSTDIR\Libs, and ${PRODUCT}'s settings in the registry."
!insertmacro MUI_UNFUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecProgram} $(DESC_UnProgram)
  !insertmacro MUI_DESCRIPTION_TEXT ${UnSecPurge} $(DESC_UnPurge)
!insertmacro MUI_UNFUNCTION_DESCRIPTION_END

Function un.onInit
  SetRegView 64
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${UnSecPurge}
  ${EndIf}
  ${If} ${Silent}
    !insertmacro UnpackHelper
    !insertmacro CloseRunning
  ${EndIf}
FunctionEnd
