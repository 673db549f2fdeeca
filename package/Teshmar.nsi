; The console's installer: per user, no elevation, since the console writes Quorvan.ini and its
; history beside itself. Built by scripts/package.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.4.0.120 -DTARGET=amd64-unicode -DSTAGE=<files>
;            -DICON=<Teshmar.ico> -DOUTFILE=<setup.exe> package/Teshmar.nsi
; Switches: /S silent; /D=<folder> (last, unquoted) another folder; /STARTUP also a shortcut in
; the user's Startup folder that starts the console in the tray; /NOSTARTUP removes that shortcut.
Unicode true
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true
; A file in use is never skipped: the install stops instead of leaving a mixed version behind.
AllowSkipFiles off

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Teshmar"

Name "Teshmar ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Teshmar"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "Quorvan"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Teshmar.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "Teshmar"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "Quorvan"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "Teshmar 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "Quorvan"

; A running console holds Teshmar.exe open: say so and stop, rather than fail half-way. The
; console's single-instance mutex finds it wherever it runs from; its window class finds one
; started without the mutex.
!macro REFUSE_WHILE_RUNNING UN
Function ${UN}RefuseWhileRunning
  retry:
    StrCpy $R9 0
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Teshmar") p .R8 ?e'
    Pop $R7
    ${If} $R8 != 0
      System::Call 'kernel32::CloseHandle(p R8)'
      StrCpy $R9 1
    ${ElseIf} $R7 = 5 ; access denied: the mutex is there
      StrCpy $R9 1
    ${Else}
      FindWindow $R8 "TMainForm"
      ${If} $R8 != 0
        StrCpy $R9 1
      ${EndIf}
    ${EndIf}
    ${If} $R9 = 1
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Teshmar 控制台正在运行。$\r$\n请先关闭控制台（按窗口上的“关闭”，或在托盘图标上点右键选“关闭”），再按“重试”。" /SD IDCANCEL IDRETRY retry
      SetErrorLevel 3
      Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro REFUSE_WHILE_RUNNING ""
!insertmacro REFUSE_WHILE_RUNNING "un."

Section "Teshmar 控制台" SecMain
  SectionIn RO
  Call RefuseWhileRunning
  SetOutPath "$INSTDIR"
  File "${STAGE}/Teshmar.exe"
  File "${STAGE}/使用说明.txt"
  ; The operator's list of entries is never replaced; Quorvan.ini and the history are the
  ; console's own and are not shipped at all.
  ${IfNot} ${FileExists} "$INSTDIR\Entries.ini"
    File "${STAGE}/Entries.ini"
  ${EndIf}
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Teshmar.lnk" "$INSTDIR\Teshmar.exe"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Teshmar"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "Quorvan"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Teshmar.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

; The console sends itself to the tray when started minimised.
Section /o "登录 Windows 时启动（最小化到托盘）" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\Teshmar.lnk" "$INSTDIR\Teshmar.exe" "" "$INSTDIR\Teshmar.exe" 0 SW_SHOWMINIMIZED
SectionEnd

Section "-StartupOff"
  ${IfNot} ${SectionIsSelected} ${SecStartup}
    Delete "$SMSTARTUP\Teshmar.lnk"
  ${EndIf}
SectionEnd

Function .onInit
  Call RefuseWhileRunning
  ; An update keeps the operator's earlier choice.
  ${If} ${FileExists} "$SMSTARTUP\Teshmar.lnk"
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/STARTUP" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/NOSTARTUP" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecStartup}
  ${EndIf}
FunctionEnd

Function un.onInit
  Call un.RefuseWhileRunning
FunctionEnd

; Removes what the installer put there; Quorvan.ini, Entries.ini and the link history are the
; operator's and stay, and with them the folder.
Section "Uninstall"
  Call un.RefuseWhileRunning
  ClearErrors
  Delete "$INSTDIR\Teshmar.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "无法删除 $INSTDIR\Teshmar.exe，卸载已停止。请关闭控制台后再试。" /SD IDOK
    SetErrorLevel 4
    Quit
  ${EndIf}
  Delete "$INSTDIR\使用说明.txt"
  Delete "$SMPROGRAMS\Teshmar.lnk"
  Delete "$SMSTARTUP\Teshmar.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
