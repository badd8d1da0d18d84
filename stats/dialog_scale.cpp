#include "stats/dialog_scale.h"

#include <vector>

#include "stats/dialog_template.h"

namespace {

INT_PTR CALLBACK ProbeProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// The scale the dialog manager lays a child of parent out at: a template of
// 72 points gets a font exactly as many pixels high as the scale's dots per
// inch. Measured on an empty template, never shown.
UINT AssumedDpi(HWND parent, UINT otherwise)
{
    struct alignas(4) {
        DLGTEMPLATE header;
        WORD menu, windowClass, title, points;
        wchar_t face[13];
    } probe = {{WS_CHILD | DS_SETFONT, 0, 0, 0, 0, 1, 1}, 0, 0, 0, 72, L"MS Shell Dlg"};
    HWND dialog = CreateDialogIndirectParamA(nullptr, &probe.header, parent, ProbeProc, 0);
    if (dialog == nullptr)
        return otherwise;
    LOGFONTA font = {};
    HGDIOBJ used = reinterpret_cast<HGDIOBJ>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    bool measured = used != nullptr && GetObjectA(used, sizeof font, &font) == sizeof font && font.lfHeight < 0;
    DestroyWindow(dialog);
    return measured ? static_cast<UINT>(-font.lfHeight) : otherwise;
}

} // namespace

HWND CreateDialogAtDpi(HINSTANCE instance, int templateId, HWND parent, DLGPROC procedure, LPARAM parameter,
                       UINT dpi)
{
    UINT assumed = AssumedDpi(parent, dpi);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(templateId), RT_DIALOG);
    const void* bytes = found != nullptr ? LockResource(LoadResource(instance, found)) : nullptr;
    if (assumed == dpi || bytes == nullptr)
        return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, procedure, parameter);
    // A copy of the template with its point size scaled (word-aligned, as a
    // template must be).
    std::vector<WORD> words((SizeofResource(instance, found) + 1) / 2);
    CopyMemory(words.data(), bytes, SizeofResource(instance, found));
    std::optional<std::size_t> pointsAt = TemplatePointSizeAt(words.data(), words.size());
    if (!pointsAt)
        return CreateDialogParamA(instance, MAKEINTRESOURCEA(templateId), parent, procedure, parameter);
    words[*pointsAt] = static_cast<WORD>(ScaledPointSize(words[*pointsAt], dpi, assumed));
    return CreateDialogIndirectParamA(instance, reinterpret_cast<LPCDLGTEMPLATEA>(words.data()), parent, procedure,
                                      parameter);
}
