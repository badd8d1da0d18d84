// The standard Save As dialog: the shell's common item dialog, reached through
// COM, so that it needs no library beyond ole32.
#include <windows.h>
#include <objbase.h>
#include <shobjidl.h>

#include <cwchar>
#include <string>

#include "app/app.h"

namespace {

class ComApartment {
public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(result_))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    HRESULT result_;
};

template <typename Interface>
class ComPointer {
public:
    ComPointer() = default;
    ~ComPointer()
    {
        if (pointer_ != nullptr)
            pointer_->Release();
    }
    ComPointer(const ComPointer&) = delete;
    ComPointer& operator=(const ComPointer&) = delete;

    Interface** Out() { return &pointer_; }
    Interface* operator->() const { return pointer_; }

private:
    Interface* pointer_ = nullptr;
};

std::wstring Wide(const char* text)
{
    int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::wstring wide(size > 0 ? static_cast<size_t>(size) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), size);
    wide.resize(std::wcslen(wide.c_str()));
    return wide;
}

// The program's paths are code page 932 text: a name with characters that
// the code page cannot hold is refused rather than bent into another name.
SaveAsResult ToAnsiPath(const wchar_t* wide, char (&path)[MAX_PATH])
{
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, path, MAX_PATH, nullptr, &lossy);
    if (size == 0 || lossy) {
        path[0] = '\0';
        return SaveAsResult::UnusableName;
    }
    return SaveAsResult::Chosen;
}

} // namespace

SaveAsResult AskSaveAsPath(HWND owner, const SaveAsRequest& request, char (&path)[MAX_PATH])
{
    path[0] = '\0';
    ComApartment apartment;
    ComPointer<IFileSaveDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileSaveDialog,
                                reinterpret_cast<void**>(dialog.Out()))))
        return SaveAsResult::Unavailable;
    std::wstring typeName = Wide(request.typeName);
    std::wstring pattern = Wide(request.pattern);
    COMDLG_FILTERSPEC types[] = {{typeName.c_str(), pattern.c_str()}};
    dialog->SetFileTypes(1, types);
    dialog->SetDefaultExtension(Wide(request.extension).c_str());
    dialog->SetFileName(Wide(request.defaultName).c_str());
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_OVERWRITEPROMPT | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);

    HRESULT shown;
    {
        ModalScope modal;
        shown = dialog->Show(owner);
    }
    if (FAILED(shown))
        return SaveAsResult::Cancelled;
    ComPointer<IShellItem> item;
    if (FAILED(dialog->GetResult(item.Out())))
        return SaveAsResult::Cancelled;
    wchar_t* chosen = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &chosen)))
        return SaveAsResult::UnusableName;
    SaveAsResult result = ToAnsiPath(chosen, path);
    CoTaskMemFree(chosen);
    return result;
}
