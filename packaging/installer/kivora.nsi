; Kivora's installer: per user, without an administrator, Japanese pages.
; tools/package.sh builds it with makensis and defines
;   VERSION       the shown version, 1.04
;   FILE_VERSION  the version resource's, 1.0.4.0
;   STAGE         the folder with the packaged files (Kivora.exe, icon6.ico,
;                 README-ja.txt, LICENSE)
;   ICON          Kivora's icon
;   OUTFILE       the installer to write
;
; Kivora keeps data\ and set.ini beside Kivora.exe, in its current directory:
; the shortcuts start it in the install folder, and an upgrade or uninstall
; leaves those two alone unless the user asks otherwise.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kivora"
!define CLSID_ShellLink "{00021401-0000-0000-C000-000000000046}"
!define IID_IShellLinkW "{000214F9-0000-0000-C000-000000000046}"
!define IID_IPersistFile "{0000010B-0000-0000-C000-000000000046}"
!define SYNCHRONIZE 0x00100000

Name "Kivora"
Caption "Kivora ${VERSION} セットアップ"
UninstallCaption "Kivora のアンインストール"
BrandingText "Kivora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kivora"
; An upgrade goes where the earlier version is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

Var AutoStartBox
Var AutoStartChoice   ; "" untouched (silent: keep as it is), 0 or 1 as ticked
Var AutoStartWas      ; 1 when the Startup shortcut starts this folder's Kivora.exe
Var DeleteDataBox
Var DeleteData

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "Kivora ${VERSION} のセットアップ"
!define MUI_WELCOMEPAGE_TEXT "Kivora（キー入力カウンター）を、このユーザーのためにインストールします。管理者権限は必要ありません。$\r$\n$\r$\nすでにインストールされている場合は、プログラムだけを新しい版に入れ替えます。記録（data フォルダー）と設定（set.ini）はそのまま残ります。$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderPageLeave
!insertmacro MUI_PAGE_DIRECTORY
Page custom AutoStartPage AutoStartPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Kivora を起動する(&R)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartKivora
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.ConfirmPage un.ConfirmPageLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Kivora"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "Kivora developers"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Kivora セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${FILE_VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) 2026 Kivora developers"
VIAddVersionKey /LANG=${LANG_JAPANESE} "OriginalFilename" "Kivora-${VERSION}-setup.exe"

; ------------------------------------------------------------------ helpers
; Each is needed by the installer and by the uninstaller, whose functions
; NSIS keeps apart ("un." names).

; Stops while Kivora runs (its single-instance mutex exists): replacing or
; deleting a running Kivora.exe would lose its counts. Retry looks again;
; Cancel, and silent mode, end with exit code 3 before anything is changed.
!macro RefuseWhileKivoraRuns un
Function ${un}RefuseWhileKivoraRuns
    Push $0
    ${Do}
        System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "MyInstance") p .r0'
        ${If} $0 P= 0
            ${Break}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kivora が起動しています。$\r$\n$\r$\n通知領域の Kivora のアイコンを右クリックして［終了］を選び、Kivora を終了してから［再試行］を押してください。" /SD IDCANCEL IDRETRY retry
        SetErrorLevel 3
        Quit
      retry:
    ${Loop}
    Pop $0
FunctionEnd
!macroend
!insertmacro RefuseWhileKivoraRuns ""
!insertmacro RefuseWhileKivoraRuns "un."

; A shell shortcut, through the shell's link object as Kivora uses it. Push
; the .lnk's path, then the target to write, or "" to read: writing sets the
; target and the install folder as working folder and nothing else, as
; Kivora's Options dialog does. Pop the shortcut's target afterwards ("" when
; it is missing, no shortcut or not written).
!macro ShellLink un
Function ${un}ShellLink
    Exch $1
    Exch
    Exch $0
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    StrCpy $6 ""
    System::Call 'ole32::CoInitialize(p 0) i .r5'
    System::Call 'ole32::CoCreateInstance(g "${CLSID_ShellLink}", p 0, i 1, g "${IID_IShellLinkW}", *p .r2) i .r3'
    ${If} $3 = 0
        System::Call '$2->0(g "${IID_IPersistFile}", *p .r4) i .r3'
        ${If} $3 = 0
            ${If} $1 != ""
                ; IShellLinkW::SetPath, ::SetWorkingDirectory; IPersistFile::Save.
                System::Call '$2->20(w r1)'
                System::Call '$2->9(w "$INSTDIR")'
                System::Call '$4->6(w r0, i 1) i .r3'
                ${If} $3 = 0
                    StrCpy $6 $1
                ${EndIf}
            ${Else}
                ; IPersistFile::Load, read-only; IShellLinkW::GetPath.
                System::Call '$4->5(w r0, i 0) i .r3'
                ${If} $3 = 0
                    System::Call '$2->3(w .r1, i ${NSIS_MAX_STRLEN}, p 0, i 2) i .r3'
                    ${If} $3 = 0
                        StrCpy $6 $1
                    ${EndIf}
                ${EndIf}
            ${EndIf}
            System::Call '$4->2()'
        ${EndIf}
        System::Call '$2->2()'
    ${EndIf}
    ${If} $5 >= 0
        System::Call 'ole32::CoUninitialize()'
    ${EndIf}
    StrCpy $0 $6
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend
!insertmacro ShellLink ""
!insertmacro ShellLink "un."

; Whether a shortcut starts this install's Kivora.exe: Push the .lnk's path,
; Pop 1 or 0. Kivora compares its Startup shortcut without regard to case,
; and so does StrCmp.
!macro StartsThisKivora un
Function ${un}StartsThisKivora
    Push ""
    Call ${un}ShellLink
    Exch $0
    ${If} $0 == "$INSTDIR\Kivora.exe"
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Exch $0
FunctionEnd
!macroend
!insertmacro StartsThisKivora ""
!insertmacro StartsThisKivora "un."

; ---------------------------------------------------------------- installer

; Kivora works with ANSI paths of at most 199 characters (code page 932 on a
; Japanese Windows): a folder whose name does not come out whole in that code
; page, or is too long, would leave Kivora unable to find its files, and
; set.ini (an ANSI profile file) would get "?" in its STARTUP path. Sets $0
; to the complaint, or "" when the folder will do.
Function CheckFolder
    Push $1
    Push $2
    ; WC_NO_BEST_FIT_CHARS: "?" rather than a look-alike for what does not fit.
    System::Call 'kernel32::WideCharToMultiByte(i 0, i 0x400, w "$INSTDIR\Kivora.exe", i -1, p 0, i 0, p 0, *i 0 r1) i .r2'
    StrCpy $0 ""
    ${If} $1 <> 0
        StrCpy $0 "このフォルダー名には、Kivora が扱えない文字が含まれています。別のフォルダーを選んでください。$\r$\n$\r$\n$INSTDIR"
    ${ElseIf} $2 > 200
    ${OrIf} $2 = 0
        StrCpy $0 "このフォルダーの場所は長すぎます。もっと短い場所を選んでください。$\r$\n$\r$\n$INSTDIR"
    ${EndIf}
    Pop $2
    Pop $1
FunctionEnd

Function FolderPageLeave
    Push $0
    Call CheckFolder
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONEXCLAMATION $0
        Pop $0
        Abort
    ${EndIf}
    Pop $0
FunctionEnd

Function AutoStartPage
    !insertmacro MUI_HEADER_TEXT "ログオン時の起動" "Windows の起動時に Kivora を開始するかどうかを選んでください。"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 40u "チェックを付けると、スタートアップ フォルダーに Kivora のショートカットを作り、Windows にサインインするたびに Kivora が起動します。あとから Kivora の［ツール］→［オプション］で変更できます。"
    Pop $0
    ${NSD_CreateCheckbox} 0 48u 100% 14u "Windows の起動時に Kivora を開始する"
    Pop $AutoStartBox
    Push "$SMSTARTUP\Kivora.lnk"
    Call StartsThisKivora
    Pop $AutoStartWas
    ; Shown as it is now, or as chosen before going back.
    ${If} $AutoStartChoice == 1
    ${OrIf} $AutoStartChoice == ""
    ${AndIf} $AutoStartWas == 1
        ${NSD_Check} $AutoStartBox
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function AutoStartPageLeave
    ${NSD_GetState} $AutoStartBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $AutoStartChoice 1
    ${Else}
        StrCpy $AutoStartChoice 0
    ${EndIf}
FunctionEnd

; As Kivora's Options dialog does on OK: the Startup shortcut to Kivora.exe
; with the install folder as its working folder, and set.ini's two keys.
; Only a change is written, so an upgrade keeps both as they are.
Function ApplyAutoStart
    ${If} $AutoStartChoice == 1
    ${AndIf} $AutoStartWas != 1
        Push "$SMSTARTUP\Kivora.lnk"
        Push "$INSTDIR\Kivora.exe"
        Call ShellLink
        Pop $0
        ${If} $0 == ""
            DetailPrint "ショートカット作成エラー: $SMSTARTUP\Kivora.lnk"
        ${EndIf}
        WriteINIStr "$INSTDIR\set.ini" "setup" "AUTOSTART" "1"
        WriteINIStr "$INSTDIR\set.ini" "setup" "STARTUP" "$INSTDIR\Kivora.exe"
    ${ElseIf} $AutoStartChoice == 0
    ${AndIf} $AutoStartWas == 1
        Delete "$SMSTARTUP\Kivora.lnk"
        WriteINIStr "$INSTDIR\set.ini" "setup" "AUTOSTART" "0"
        WriteINIStr "$INSTDIR\set.ini" "setup" "STARTUP" ""
    ${EndIf}
FunctionEnd

Function StartKivora
    ; Exec starts it in $OUTDIR: Kivora's folder is its current directory.
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\Kivora.exe"'
FunctionEnd

Section "Kivora" SectionKivora
    SectionIn RO
    Call RefuseWhileKivoraRuns
    Call CheckFolder
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONSTOP $0 /SD IDOK
        SetErrorLevel 4
        Quit
    ${EndIf}

    SetOutPath "$INSTDIR"
    File "${STAGE}/Kivora.exe"
    File "${STAGE}/icon6.ico"
    File "${STAGE}/README-ja.txt"
    File "${STAGE}/LICENSE"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; Its working folder is $OUTDIR, the install folder.
    CreateShortcut "$SMPROGRAMS\Kivora.lnk" "$INSTDIR\Kivora.exe"
    Call ApplyAutoStart

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kivora"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kivora developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kivora.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize ${SectionKivora} $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; -------------------------------------------------------------- uninstaller

Function un.ConfirmPage
    !insertmacro MUI_HEADER_TEXT "Kivora のアンインストール" "Kivora をこのコンピューターから削除します。"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 12u "次のフォルダーから Kivora を削除します。"
    Pop $0
    ${NSD_CreateLabel} 0 14u 100% 12u "$INSTDIR"
    Pop $0
    ${NSD_CreateLabel} 0 36u 100% 24u "記録（data フォルダー）と設定（set.ini）は、下のチェックを付けない限り、このフォルダーに残します。"
    Pop $0
    ${NSD_CreateCheckbox} 0 64u 100% 14u "打鍵データも削除する"
    Pop $DeleteDataBox
    nsDialogs::Show
FunctionEnd

Function un.ConfirmPageLeave
    ${NSD_GetState} $DeleteDataBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $DeleteData 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.RefuseWhileKivoraRuns

    Delete "$INSTDIR\Kivora.exe"
    Delete "$INSTDIR\icon6.ico"
    Delete "$INSTDIR\README-ja.txt"
    Delete "$INSTDIR\LICENSE"
    ; Shortcuts of another install of Kivora stay.
    Push "$SMPROGRAMS\Kivora.lnk"
    Call un.StartsThisKivora
    Pop $0
    ${If} $0 == 1
        Delete "$SMPROGRAMS\Kivora.lnk"
    ${EndIf}
    Push "$SMSTARTUP\Kivora.lnk"
    Call un.StartsThisKivora
    Pop $0
    ${If} $0 == 1
        Delete "$SMSTARTUP\Kivora.lnk"
    ${EndIf}
    ${If} $DeleteData == 1
        RMDir /r "$INSTDIR\data"
        Delete "$INSTDIR\set.ini"
    ${EndIf}
    Delete "$INSTDIR\uninstall.exe"
    ; Only when nothing of the user's is left in it.
    RMDir "$INSTDIR"

    ; Last, so that the entry's going tells that the uninstall is done.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == "$INSTDIR"
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
