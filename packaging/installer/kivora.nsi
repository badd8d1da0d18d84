; Kivora's installer: per user, without an administrator, Japanese pages.
; tools/package.sh builds it with makensis and defines
;   VERSION       the shown version, 1.04
;   FILE_VERSION  the version resource's, 1.0.4.0
;   STAGE         the folder with the packaged files (Kivora.exe, icon6.ico,
;                 README-ja.txt, LICENSE)
;   ICON          Kivora's icon
;   OUTFILE       the installer to write
;   SIZE_KB       the program files' size, for the list of installed programs
;   PATH_CAPACITY, NEW_USER_NAME_CAPACITY
;                 the sizes of Kivora's path and new user name buffers (bytes,
;                 with the NUL), read from its headers
;
; Kivora keeps data\ and set.ini beside Kivora.exe, in its current directory:
; the shortcuts start it in the install folder, and an upgrade or uninstall
; leaves those two alone unless the user asks otherwise.
;
; Exit codes, for a script or a package manager (silent mode):
;   installer    0 installed; 3 Kivora runs; 4 a folder Kivora cannot use;
;                5 a file of the folder stayed held by another program
;   uninstaller  0 removed; 3 Kivora runs; 5 a program file stayed held (or,
;                the data asked to go too, a file of the data).
;                Started as the entry's QuietUninstallString gives it
;                (_?=<folder>), it runs in place and returns that result;
;                plain /S hands over to a copy of itself and returns at once.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kivora"
!define CLSID_ShellLink "{00021401-0000-0000-C000-000000000046}"
!define IID_IShellLinkW "{000214F9-0000-0000-C000-000000000046}"
!define IID_IPersistFile "{0000010B-0000-0000-C000-000000000046}"
!define SYNCHRONIZE 0x00100000
!define MOVEFILE_REPLACE_EXISTING_WRITE_THROUGH 9

!define EXIT_KIVORA_RUNS 3
!define EXIT_FOLDER_REFUSED 4
!define EXIT_FILE_HELD 5

; A file that another program holds (an antivirus scan, Explorer's preview)
; is tried again this many times, this many milliseconds apart: 5 s.
!define HOLD_RETRIES 20
!define HOLD_RETRY_MS 250

; The longest path Kivora makes is a user's data file, <folder>\data\<name>.dat,
; which must fit its path buffer; the name may take up to
; NEW_USER_NAME_CAPACITY - 1 bytes. The files it keeps beside the data file
; (the history, its pending days, their temporary files and backups) are at
; most 20 bytes longer and are bounded only by MAX_PATH (260).
!ifndef PATH_CAPACITY | NEW_USER_NAME_CAPACITY | SIZE_KB
    !error "tools/package.sh defines PATH_CAPACITY and NEW_USER_NAME_CAPACITY (from Kivora's headers) and SIZE_KB"
!endif
!define /math LONGEST_PATH ${PATH_CAPACITY} - 1
!define /math LONGEST_USER_NAME ${NEW_USER_NAME_CAPACITY} - 1
!define /math LONGEST_DATA_FILE_NAME ${LONGEST_USER_NAME} + 10   ; "\data\" and ".dat"
!define /math LONGEST_FOLDER ${LONGEST_PATH} - ${LONGEST_DATA_FILE_NAME}
!define /math LONGEST_FOLDER_WITH_NUL ${LONGEST_FOLDER} + 1
!define /math LONGEST_BESIDE_DATA_FILE ${LONGEST_PATH} + 20
!if ${LONGEST_BESIDE_DATA_FILE} > 259
    !error "the history beside the longest data file would pass MAX_PATH: the folder limit must take it"
!endif

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
Var NextButtonLeft    ; the wizard's button before the confirm page widened it
Var NextButtonWidth

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "Kivora のセットアップを中止しますか？"
!define MUI_UNABORTWARNING
!define MUI_UNABORTWARNING_TEXT "Kivora のアンインストールを中止しますか？"

; Every text on the pages is written here, in one voice: the language file's
; own texts write フォルダ, コンピュータ and half-width katakana.
!define MUI_WELCOMEPAGE_TITLE "Kivora ${VERSION} のセットアップ"
!define MUI_WELCOMEPAGE_TEXT "Kivora（キー入力カウンター）を、いまお使いの Windows のユーザー アカウントにインストールします。管理者権限は必要ありません。$\r$\n$\r$\nすでにインストールされている場合は、プログラムだけを新しいバージョンに入れ替えます。記録（data フォルダー）と設定（set.ini）はそのまま残ります。$\r$\n$\r$\n［次へ］を押して続けてください。"
!insertmacro MUI_PAGE_WELCOME

!define MUI_PAGE_HEADER_TEXT "インストール先の選択"
!define MUI_PAGE_HEADER_SUBTEXT "Kivora をインストールするフォルダーを選んでください。"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Kivora を次のフォルダーにインストールします。記録（data フォルダー）と設定（set.ini）も、このフォルダーに作られます。別のフォルダーにするには［参照...］を押して選んでください。$\r$\n$\r$\n［次へ］を押して続けてください。"
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "インストール先のフォルダー"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderPageLeave
!insertmacro MUI_PAGE_DIRECTORY

Page custom AutoStartPage AutoStartPageLeave

!define MUI_PAGE_HEADER_TEXT "インストール"
!define MUI_PAGE_HEADER_SUBTEXT "Kivora をインストールしています。しばらくお待ちください。"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "インストールの完了"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "Kivora をインストールしました。"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "インストールの中止"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "Kivora のインストールは完了していません。"
!insertmacro MUI_PAGE_INSTFILES
; (The page keeps these two; the uninstaller's page has its own.)
!undef MUI_INSTFILESPAGE_ABORTHEADER_TEXT
!undef MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT

!define MUI_FINISHPAGE_TITLE "Kivora のセットアップの完了"
!define MUI_FINISHPAGE_TEXT "Kivora をこの PC にインストールしました。$\r$\n$\r$\n［完了］を押すと、セットアップを閉じます。"
!define MUI_FINISHPAGE_BUTTON "完了(&F)"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Kivora を起動する(&R)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartKivora
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.ConfirmPage un.ConfirmPageLeave

!define MUI_PAGE_HEADER_TEXT "アンインストール"
!define MUI_PAGE_HEADER_SUBTEXT "Kivora をアンインストールしています。しばらくお待ちください。"
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "アンインストールの完了"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "Kivora をアンインストールしました。"
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "アンインストールの中止"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "Kivora のアンインストールは完了していません。"
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; The packager's texts that show on these pages, in their dialogs and in the
; list of details.
LangString ^BackBtn ${LANG_JAPANESE} "< 戻る(&B)"
LangString ^NextBtn ${LANG_JAPANESE} "次へ(&N) >"
LangString ^CancelBtn ${LANG_JAPANESE} "キャンセル"
LangString ^CloseBtn ${LANG_JAPANESE} "閉じる(&C)"
LangString ^InstallBtn ${LANG_JAPANESE} "インストール(&I)"
LangString ^UninstallBtn ${LANG_JAPANESE} "アンインストール(&U)"
LangString ^BrowseBtn ${LANG_JAPANESE} "参照(&R)..."
LangString ^ShowDetailsBtn ${LANG_JAPANESE} "詳細を表示(&D)"
LangString ^ClickNext ${LANG_JAPANESE} "［次へ］を押して続けてください。"
LangString ^ClickInstall ${LANG_JAPANESE} "［インストール］を押すと、インストールを始めます。"
LangString ^ClickUninstall ${LANG_JAPANESE} "［アンインストール］を押すと、アンインストールを始めます。"
LangString ^DirSubText ${LANG_JAPANESE} "インストール先のフォルダー"
LangString ^DirBrowseText ${LANG_JAPANESE} "Kivora をインストールするフォルダーを選んでください。"
LangString ^SpaceRequired ${LANG_JAPANESE} "必要な空き容量: "
LangString ^SpaceAvailable ${LANG_JAPANESE} "空き容量: "
LangString ^Completed ${LANG_JAPANESE} "完了"
LangString ^CopyDetails ${LANG_JAPANESE} "詳細をクリップボードにコピー"
LangString ^OutputFolder ${LANG_JAPANESE} "出力先のフォルダー: "
LangString ^CreateFolder ${LANG_JAPANESE} "フォルダーの作成: "
LangString ^Extract ${LANG_JAPANESE} "展開: "
LangString ^CreatedUninstaller ${LANG_JAPANESE} "アンインストーラーの作成: "
LangString ^CreateShortcut ${LANG_JAPANESE} "ショートカットの作成: "
LangString ^ErrorCreatingShortcut ${LANG_JAPANESE} "ショートカットを作成できませんでした: "
LangString ^Delete ${LANG_JAPANESE} "削除: "
LangString ^RemoveFolder ${LANG_JAPANESE} "フォルダーの削除: "
LangString ^Rename ${LANG_JAPANESE} "名前の変更: "
LangString ^Skipped ${LANG_JAPANESE} "スキップ: "
LangString ^Execute ${LANG_JAPANESE} "実行: "
LangString ^CantWrite ${LANG_JAPANESE} "書き込めません: "
LangString ^ErrorWriting ${LANG_JAPANESE} "展開: ファイルに書き込めませんでした "
LangString ^ErrorDecompressing ${LANG_JAPANESE} "インストーラーのデータを展開できませんでした。$\r$\n$\r$\nインストーラーが壊れている可能性があります。もう一度ダウンロードしてください。"
LangString ^FileError ${LANG_JAPANESE} "次のファイルに書き込めませんでした。$\r$\n$\r$\n$0$\r$\n$\r$\n［中止］を押すとインストールを中止し、［再試行］を押すともう一度書き込み、［無視］を押すとこのファイルを飛ばして続けます。"
LangString ^FileError_NoIgnore ${LANG_JAPANESE} "次のファイルに書き込めませんでした。$\r$\n$\r$\n$0$\r$\n$\r$\n［再試行］を押すともう一度書き込み、［キャンセル］を押すとインストールを中止します。"

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

; The files that make the program, each taken by a step macro. Kivora.exe
; last: while the others wait for a held file, the program stays whole.
!macro ForEachProgramFile STEP
    !insertmacro ${STEP} "uninstall.exe"
    !insertmacro ${STEP} "icon6.ico"
    !insertmacro ${STEP} "README-ja.txt"
    !insertmacro ${STEP} "LICENSE"
    !insertmacro ${STEP} "Kivora.exe"
!macroend

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
        SetErrorLevel ${EXIT_KIVORA_RUNS}
        Quit
      retry:
    ${Loop}
    Pop $0
FunctionEnd
!macroend
!insertmacro RefuseWhileKivoraRuns ""
!insertmacro RefuseWhileKivoraRuns "un."

; Asks what to do about a file that another program keeps from being
; written or deleted (named in $0): Retry returns, Cancel (and silent mode)
; ends with exit code 5. Push what could not be done to it, then what is
; left as it was.
!macro AskAboutHeldFile un
Function ${un}AskAboutHeldFile
    Exch $2
    Exch
    Exch $1
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "ファイル「$0」を$1。ほかのアプリ（ウイルス対策ソフトやエクスプローラーのプレビューなど）が開いているか、フォルダーに書き込めない可能性があります。$\r$\n$\r$\nしばらく待ってから［再試行］を押してください。［キャンセル］を押すと中止します。$2" /SD IDCANCEL IDRETRY retry
    SetErrorLevel ${EXIT_FILE_HELD}
    Quit
  retry:
    Pop $1
    Pop $2
FunctionEnd
!macroend
!insertmacro AskAboutHeldFile ""
!insertmacro AskAboutHeldFile "un."

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
    Exch
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

; Kivora works with ANSI paths (code page 932 on a Japanese Windows) of at
; most LONGEST_PATH bytes: a folder whose name does not come out whole in
; that code page, or leaves no room for the longest user name's data file,
; would leave Kivora unable to find or register its users, and set.ini (an
; ANSI profile file) would get "?" in its STARTUP path. Sets $0 to the
; complaint, or "" when the folder will do.
Function CheckFolder
    Push $1
    Push $2
    ; WC_NO_BEST_FIT_CHARS: "?" rather than a look-alike for what does not fit.
    System::Call 'kernel32::WideCharToMultiByte(i 0, i 0x400, w "$INSTDIR", i -1, p 0, i 0, p 0, *i 0 r1) i .r2'
    StrCpy $0 ""
    ${If} $1 <> 0
        StrCpy $0 "このフォルダーの名前には、Kivora が扱えない文字が含まれています。別のフォルダーを選んでください。$\r$\n$\r$\n$INSTDIR"
    ${ElseIf} $2 > ${LONGEST_FOLDER_WITH_NUL}
    ${OrIf} $2 = 0
        StrCpy $0 "このフォルダーの場所は長すぎます。Kivora は記録を「data\（ユーザー名）.dat」としてこのフォルダーに保存するため、場所は半角 ${LONGEST_FOLDER} 文字（全角文字は 1 文字を 2 文字と数えます）までにしてください。$\r$\n$\r$\n$INSTDIR"
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
    !insertmacro MUI_HEADER_TEXT "ログオン時の実行" "Windows へのログオン時に Kivora を実行するかどうかを選んでください。"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 40u "チェックを付けると、スタートアップ フォルダーに Kivora のショートカットを作り、この Windows のユーザー アカウントでログオンするたびに Kivora を実行します。あとから Kivora の［ツール］→［オプション］で変更できます。"
    Pop $0
    ${NSD_CreateCheckbox} 0 48u 100% 14u "Windows へのログオン時に Kivora を実行する"
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
            DetailPrint "$(^ErrorCreatingShortcut)$SMSTARTUP\Kivora.lnk"
        ${Else}
            DetailPrint "$(^CreateShortcut)$SMSTARTUP\Kivora.lnk"
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

; Moves a file over another, tried again while another program holds either:
; Push the source, then the target; Pop 1 when moved, else 0.
Function MoveOver
    Exch $1
    Exch
    Exch $0
    Push $2
    Push $3
    StrCpy $3 0
    ${Do}
        System::Call 'kernel32::MoveFileExW(w r0, w r1, i ${MOVEFILE_REPLACE_EXISTING_WRITE_THROUGH}) i .r2'
        ${If} $2 <> 0
        ${OrIf} $3 >= ${HOLD_RETRIES}
            ${Break}
        ${EndIf}
        Sleep ${HOLD_RETRY_MS}
        IntOp $3 $3 + 1
    ${Loop}
    ${If} $2 <> 0
        StrCpy $0 1
    ${Else}
        StrCpy $0 0
    ${EndIf}
    Pop $3
    Pop $2
    Exch
    Pop $1
    Exch $0
FunctionEnd

; The steps of InstallProgramFiles, one file each. $0 names the first file
; that failed; a step after a failure does nothing.
!macro ClearLeftover NAME
    ; What an interrupted earlier install left; none may stay, so that an
    ; <name>.old found later is always this install's.
    Delete "$INSTDIR\${NAME}.new"
    Delete "$INSTDIR\${NAME}.old"
    ${If} $0 == ""
    ${AndIf} ${FileExists} "$INSTDIR\${NAME}.old"
        StrCpy $0 "${NAME}.old"
    ${EndIf}
!macroend
!macro ExtractNew NAME
    ${If} $0 == ""
        ClearErrors
        !if "${NAME}" == "uninstall.exe"
            WriteUninstaller "$INSTDIR\${NAME}.new"
        !else
            File "/oname=$INSTDIR\${NAME}.new" "${STAGE}/${NAME}"
        !endif
        ${If} ${Errors}
            StrCpy $0 "${NAME}"
        ${EndIf}
    ${EndIf}
!macroend
!macro DeleteNew NAME
    Delete "$INSTDIR\${NAME}.new"
!macroend
!macro MoveAside NAME
    ${If} $0 == ""
    ${AndIf} ${FileExists} "$INSTDIR\${NAME}"
        Push "$INSTDIR\${NAME}"
        Push "$INSTDIR\${NAME}.old"
        Call MoveOver
        Pop $1
        ${If} $1 != 1
            StrCpy $0 "${NAME}"
        ${EndIf}
    ${EndIf}
!macroend
!macro MoveIn NAME
    ${If} $0 == ""
        Push "$INSTDIR\${NAME}.new"
        Push "$INSTDIR\${NAME}"
        Call MoveOver
        Pop $1
        ${If} $1 != 1
            StrCpy $0 "${NAME}"
        ${EndIf}
    ${EndIf}
!macroend
!macro DeleteOld NAME
    ; Seldom held (then the next install or the uninstall takes it).
    Delete "$INSTDIR\${NAME}.old"
!macroend
!macro PutBack NAME
    ; Every new file was there before the moves: one that is gone was moved in.
    ${If} ${FileExists} "$INSTDIR\${NAME}.new"
        Delete "$INSTDIR\${NAME}.new"
    ${ElseIfNot} ${FileExists} "$INSTDIR\${NAME}.old"
        Delete "$INSTDIR\${NAME}"   ; new, with no earlier one
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\${NAME}.old"
        Push "$INSTDIR\${NAME}.old"
        Push "$INSTDIR\${NAME}"
        Call MoveOver
        Pop $1
    ${EndIf}
!macroend
!macro DetailInstalled NAME
    DetailPrint "$(^Extract)${NAME}"
!macroend

; Puts the new program files in place all together, or leaves the earlier
; ones as they were: each new file is extracted beside its target first
; (<name>.new), then each earlier file is moved aside (<name>.old), the new
; ones are moved in and the earlier ones deleted. A file that another program
; holds (an antivirus scan, Explorer's preview) is tried again for a few
; seconds; if it stays held, what was moved is moved back. Sets $0 to the
; file that could not be written, or "" when all are in place.
Function InstallProgramFiles
    Push $1
    StrCpy $0 ""
    SetDetailsPrint none
    SetOutPath "$INSTDIR"
    SetOverwrite try
    !insertmacro ForEachProgramFile ClearLeftover
    !insertmacro ForEachProgramFile ExtractNew
    ${If} $0 != ""
        !insertmacro ForEachProgramFile DeleteNew
    ${Else}
        !insertmacro ForEachProgramFile MoveAside
        !insertmacro ForEachProgramFile MoveIn
        ${If} $0 == ""
            !insertmacro ForEachProgramFile DeleteOld
        ${Else}
            !insertmacro ForEachProgramFile PutBack
        ${EndIf}
    ${EndIf}
    SetOverwrite on
    SetDetailsPrint both
    Pop $1
FunctionEnd

Section "Kivora" SectionKivora
    SectionIn RO
    AddSize ${SIZE_KB}
    Call RefuseWhileKivoraRuns
    Call CheckFolder
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONSTOP $0 /SD IDOK
        SetErrorLevel ${EXIT_FOLDER_REFUSED}
        Quit
    ${EndIf}

    DetailPrint "$(^DirSubText): $INSTDIR"
    ${Do}
        Call InstallProgramFiles
        ${If} $0 == ""
            ${Break}
        ${EndIf}
        ; A folder that this install made and left empty goes again.
        SetDetailsPrint none
        RMDir "$INSTDIR"
        SetDetailsPrint both
        Push "書き込めませんでした"
        Push "インストール先のフォルダーは、インストールの前のままです。"
        Call AskAboutHeldFile
    ${Loop}
    !insertmacro ForEachProgramFile DetailInstalled

    ; Its working folder is $OUTDIR, the install folder.
    CreateShortcut "$SMPROGRAMS\Kivora.lnk" "$INSTDIR\Kivora.exe"
    Call ApplyAutoStart

    ; Last, so that the entry names only a version that is in place.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kivora"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Kivora developers"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kivora.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    ; In place (_?=, unquoted and last): the caller gets the real result.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    SectionGetSize ${SectionKivora} $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; -------------------------------------------------------------- uninstaller

; The confirm page's [アンインストール(&U)] needs more room than the wizard's
; buttons have (the packager wrote it in half-width katakana to fit): the
; button grows to the left, over the place of [戻る], which this first page
; does not show, and is put back on leaving the page.
Function un.PlaceNextButton
    Exch $0   ; "widen" or "restore"
    Push $1
    Push $2
    Push $3
    Push $4
    Push $5
    Push $6
    GetDlgItem $1 $HWNDPARENT 1
    System::Call '*(i, i, i, i) p .r6'
    System::Call 'user32::GetWindowRect(p r1, p r6)'
    System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r6, i 2)'
    System::Call '*$6(i .r2, i .r3, i .r4, i .r5)'   ; left, top, right, bottom
    System::Free $6
    IntOp $5 $5 - $3
    ${If} $0 == "widen"
        StrCpy $NextButtonLeft $2
        IntOp $NextButtonWidth $4 - $2
        IntOp $6 $NextButtonWidth * 9
        IntOp $6 $6 / 5
        IntOp $2 $4 - $6
    ${Else}
        StrCpy $2 $NextButtonLeft
        StrCpy $6 $NextButtonWidth
    ${EndIf}
    System::Call 'user32::SetWindowPos(p r1, p 0, i r2, i r3, i r6, i r5, i 0x14)'   ; SWP_NOZORDER | SWP_NOACTIVATE
    Pop $6
    Pop $5
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Pop $0
FunctionEnd

Function un.ConfirmPage
    !insertmacro MUI_HEADER_TEXT "Kivora のアンインストール" "Kivora をこの PC から削除します。"
    Push "widen"
    Call un.PlaceNextButton
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateLabel} 0 0 100% 12u "次のフォルダーから Kivora を削除します。"
    Pop $0
    ${NSD_CreateLabel} 0 14u 100% 12u "$INSTDIR"
    Pop $0
    ${NSD_CreateLabel} 0 36u 100% 24u "記録（data フォルダー）と設定（set.ini）は、下のチェックを付けない限り、このフォルダーに残します。"
    Pop $0
    ${NSD_CreateCheckbox} 0 64u 100% 14u "記録と設定も削除する"
    Pop $DeleteDataBox
    nsDialogs::Show
FunctionEnd

Function un.ConfirmPageLeave
    Push "restore"
    Call un.PlaceNextButton
    ${NSD_GetState} $DeleteDataBox $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $DeleteData 1
    ${EndIf}
FunctionEnd

; Deletes a file, tried again while another program holds it: Push its
; path, Pop 1 when it is gone, else 0.
Function un.DeleteHeld
    Exch $0
    Push $1
    ${For} $1 0 ${HOLD_RETRIES}
        Delete "$0"
        ${IfNot} ${FileExists} "$0"
            ${Break}
        ${EndIf}
        Sleep ${HOLD_RETRY_MS}
    ${Next}
    ${If} ${FileExists} "$0"
        StrCpy $0 0
    ${Else}
        StrCpy $0 1
    ${EndIf}
    Pop $1
    Exch $0
FunctionEnd

; data\ and set.ini, when the page asked for them to go. A file that another
; program holds (a spreadsheet with the history open) is tried again for 5 s,
; then asked about: Retry tries again; Cancel (never asked in silent mode,
; which keeps them) leaves what is left and ends with exit code 5, the
; program removed all the same.
Function un.DeleteUsersFiles
    Push $0
    ${Do}
        ${For} $0 0 ${HOLD_RETRIES}
            RMDir /r "$INSTDIR\data"
            Delete "$INSTDIR\set.ini"
            ${IfNot} ${FileExists} "$INSTDIR\data\*.*"
            ${AndIfNot} ${FileExists} "$INSTDIR\set.ini"
                Pop $0
                Return
            ${EndIf}
            Sleep ${HOLD_RETRY_MS}
        ${Next}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "記録（data フォルダー）と設定（set.ini）の一部を削除できませんでした。ほかのアプリ（表計算ソフトやウイルス対策ソフトなど）がファイルを開いています。$\r$\n$\r$\nファイルを閉じてから［再試行］を押してください。［キャンセル］を押すと、削除できなかったファイルはフォルダーに残ります。" /SD IDCANCEL IDRETRY retry
        SetErrorLevel ${EXIT_FILE_HELD}
        ${Break}
      retry:
    ${Loop}
    Pop $0
FunctionEnd

!macro UninstallProgramFile NAME
    !if "${NAME}" != "uninstall.exe"
        ${Do}
            Push "$INSTDIR\${NAME}"
            Call un.DeleteHeld
            Pop $0
            ${If} $0 == 1
                ${Break}
            ${EndIf}
            StrCpy $0 "${NAME}"
            Push "削除できませんでした"
            Push "アンインストールは終わっていませんが、あとからもう一度実行できます。"
            Call un.AskAboutHeldFile
        ${Loop}
    !endif
    SetDetailsPrint none
    Delete "$INSTDIR\${NAME}.new"
    Delete "$INSTDIR\${NAME}.old"
    SetDetailsPrint both
!macroend

Section "Uninstall"
    Call un.RefuseWhileKivoraRuns

    ; Kivora.exe first: while it is held, nothing else has gone.
    !insertmacro UninstallProgramFile "Kivora.exe"
    !insertmacro UninstallProgramFile "icon6.ico"
    !insertmacro UninstallProgramFile "README-ja.txt"
    !insertmacro UninstallProgramFile "LICENSE"
    !insertmacro UninstallProgramFile "uninstall.exe"
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
        Call un.DeleteUsersFiles
    ${EndIf}

    ; From the temporary copy that NSIS runs, the uninstaller goes now. Run
    ; in place, its own file cannot go while it runs: a hidden command prompt
    ; deletes it, and the folder if nothing else is left in it, once this
    ; process has ended, and leaves nothing behind (a copy of the uninstaller
    ; would stay in the temporary folder). Each second for ten seconds it
    ; tries again: a plain chain of commands, which every command prompt
    ; reads alike. The folder reaches it through the environment, which the
    ; prompt expands once: a % in the folder's name stays a %.
    SetDetailsPrint none
    Delete "$INSTDIR\uninstall.exe"
    ${If} ${FileExists} "$INSTDIR\uninstall.exe"
        System::Call 'kernel32::SetEnvironmentVariableW(w "KIVORA_UNINSTALLED", w "$INSTDIR")'
        !define CLEANUP_STEP 'ping -n 2 127.0.0.1 & del /f /q "%KIVORA_UNINSTALLED%\uninstall.exe" & rmdir "%KIVORA_UNINSTALLED%"'
        !define CLEANUP_STEPS '${CLEANUP_STEP} & ${CLEANUP_STEP} & ${CLEANUP_STEP} & ${CLEANUP_STEP} & ${CLEANUP_STEP}'
        ExecShell "" "$SYSDIR\cmd.exe" '/d /c ${CLEANUP_STEPS} & ${CLEANUP_STEPS}' SW_HIDE
    ${EndIf}
    SetDetailsPrint both
    ; Only when nothing of the user's is left in it.
    RMDir "$INSTDIR"

    ; Last, so that the entry's going tells that the uninstall is done.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == "$INSTDIR"
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
