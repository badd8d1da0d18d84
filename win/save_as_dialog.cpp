// The standard Save As dialog: the shell's common item dialog, reached through
// COM, so that it needs no library beyond ole32.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <string>

#include "win/app_text.h"
#include "win/com_ids.h"
#include "win/com_objects.h"
#include "win/modal_ui.h"
#include "win/save_as_dialog.h"
#include "win/wide_text.h"

namespace {

enum class SaveAsResult { Chosen, Cancelled, UnusableName, Unavailable };

// The program's paths are code page 932 text: a name with characters that
// the code page cannot hold is refused rather than bent into another name.
SaveAsResult ToAnsiPath(const wchar_t* wide, char (&path)[MAX_PATH])
{
    std::string narrow;
    if (!CodePageFromWide(wide, narrow) || narrow.size() >= MAX_PATH) {
        path[0] = '\0';
        return SaveAsResult::UnusableName;
    }
    narrow.copy(path, narrow.size());
    path[narrow.size()] = '\0';
    return SaveAsResult::Chosen;
}

// Shows the dialog, modal, and takes the path chosen.
SaveAsResult ShowDialog(IFileDialog* dialog, HWND owner, char (&path)[MAX_PATH])
{
    HRESULT shown;
    {
        ModalScope modal;
        shown = dialog->Show(owner);
    }
    if (FAILED(shown))
        return SaveAsResult::Cancelled;
    ComRef<IShellItem> item;
    if (FAILED(dialog->GetResult(item.Out())))
        return SaveAsResult::Cancelled;
    wchar_t* chosen = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &chosen)))
        return SaveAsResult::UnusableName;
    SaveAsResult result = ToAnsiPath(chosen, path);
    CoTaskMemFree(chosen);
    return result;
}

SaveAsResult ChoosePath(HWND owner, const SaveAsRequest& request, char (&path)[MAX_PATH])
{
    path[0] = '\0';
    ComApartment apartment;
    ComRef<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(FileSaveDialogClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IFileSaveDialog),
                                reinterpret_cast<void**>(dialog.Out()))))
        return SaveAsResult::Unavailable;
    std::wstring typeName = WideFromCodePage(request.typeName);
    std::wstring pattern = WideFromCodePage(request.pattern);
    COMDLG_FILTERSPEC types[] = {{typeName.c_str(), pattern.c_str()}};
    dialog->SetFileTypes(1, types);
    dialog->SetDefaultExtension(WideFromCodePage(request.extension).c_str());
    dialog->SetFileName(WideFromCodePage(request.defaultName).c_str());
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
    return ShowDialog(dialog.Get(), owner, path);
}

} // namespace

bool AskSaveAsPath(HWND owner, const SaveAsRequest& request, char (&path)[MAX_PATH])
{
    switch (ChoosePath(owner, request, path)) {
    case SaveAsResult::Chosen:
        return true;
    case SaveAsResult::Cancelled:
        return false;
    case SaveAsResult::UnusableName:
        ShowMessage(owner, "このファイル名は使えません。別の名前を付けてください。", AppText::ErrorCaption,
                    MB_OK | MB_ICONWARNING);
        return false;
    case SaveAsResult::Unavailable:
        break;
    }
    ShowMessage(owner, "「名前を付けて保存」の画面を開けませんでした。", AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
    return false;
}

bool AskFolderPath(HWND owner, char (&path)[MAX_PATH])
{
    path[0] = '\0';
    ComApartment apartment;
    ComRef<IFileOpenDialog> dialog;
    SaveAsResult result = SaveAsResult::Unavailable;
    if (SUCCEEDED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                   reinterpret_cast<void**>(dialog.Out())))) {
        FILEOPENDIALOGOPTIONS options = 0;
        dialog->GetOptions(&options);
        dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
        result = ShowDialog(dialog.Get(), owner, path);
    }
    if (result == SaveAsResult::UnusableName)
        ShowMessage(owner, "このフォルダーの名前には Kivora が扱えない文字があるため、選べません。", AppText::ErrorCaption,
                    MB_OK | MB_ICONWARNING);
    else if (result == SaveAsResult::Unavailable)
        ShowMessage(owner, "フォルダーを選ぶ画面を開けませんでした。", AppText::ErrorCaption, MB_OK | MB_ICONWARNING);
    return result == SaveAsResult::Chosen;
}
