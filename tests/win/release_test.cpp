// The built Kivora.exe as Explorer and the loader see it: the version fields
// of its properties, and what its manifest asks of Windows. Read from the file
// (KIVORA_BUILT_EXE), not from this test program's own resources.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#ifndef KIVORA_BUILT_EXE
#error "KIVORA_BUILT_EXE names the built Kivora.exe"
#endif

namespace {

const wchar_t* const BuiltExe = L"" KIVORA_BUILT_EXE;

// A value of the version resource by its path, with its size (in bytes, in
// characters for a text); null when missing.
const void* VersionValue(const std::vector<BYTE>& block, const std::wstring& path, UINT& size)
{
    void* value = nullptr;
    size = 0;
    return VerQueryValueW(block.data(), path.c_str(), &value, &size) ? value : nullptr;
}

std::wstring VersionText(const std::vector<BYTE>& block, const wchar_t* name)
{
    UINT size = 0;
    const void* text = VersionValue(block, std::wstring(L"\\StringFileInfo\\041103a4\\") + name, size);
    return text != nullptr ? static_cast<const wchar_t*>(text) : L"<missing>";
}

// The version the About box of the built file shows ("1.04" of "Version 1.04"),
// found in the UTF-16 text of dialog 139.
std::wstring AboutBoxVersion()
{
    HMODULE module = LoadLibraryExW(BuiltExe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr)
        return L"<no file>";
    std::wstring version = L"<no label>";
    if (HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(139), MAKEINTRESOURCEW(5))) {
        const wchar_t* words = static_cast<const wchar_t*>(LockResource(LoadResource(module, found)));
        std::wstring text(words, SizeofResource(module, found) / sizeof(wchar_t));
        size_t at = text.find(L"Version ");
        if (at != std::wstring::npos)
            version = text.c_str() + at + 8;
    }
    FreeLibrary(module);
    return version;
}

TEST(BuiltExecutable, PropertiesShowTheVersionOfTheAboutBoxAndTheProductInJapanese)
{
    DWORD ignored = 0;
    std::vector<BYTE> block(GetFileVersionInfoSizeW(BuiltExe, &ignored));
    ASSERT_FALSE(block.empty()) << "no version resource in the built Kivora.exe";
    ASSERT_TRUE(GetFileVersionInfoW(BuiltExe, 0, static_cast<DWORD>(block.size()), block.data()));

    // "1.04" is version 1.0.4: the fixed fields and the texts must say the same.
    std::wstring shown = AboutBoxVersion();
    ASSERT_TRUE(shown.size() == 4 && shown[1] == L'.') << "About box shows " << testing::PrintToString(shown);
    std::wstring dotted = std::wstring{shown[0], L'.', shown[2], L'.', shown[3]} + L".0";
    EXPECT_EQ(dotted, L"1.0.4.0") << "the version of this release";

    UINT size = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(VersionValue(block, L"\\", size));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(shown[2] - L'0', shown[0] - L'0'));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, shown[3] - L'0'));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, DWORD{VFT_APP});
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug, pre-release or patched flag";

    // One block: Japanese, code page 932.
    const auto* translation = static_cast<const WORD*>(VersionValue(block, L"\\VarFileInfo\\Translation", size));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(std::vector<WORD>(translation, translation + size / sizeof(WORD)), (std::vector<WORD>{0x0411, 932}));
    struct Field {
        const wchar_t* name;
        std::wstring value;
    } fields[] = {
        {L"FileVersion", dotted},
        {L"ProductVersion", dotted},
        {L"ProductName", L"Kivora"},
        {L"FileDescription", L"Kivora キー入力カウンター"},   // Task Manager's name for it, too
        {L"CompanyName", L"Kivora developers"},
        {L"LegalCopyright", L"Copyright (C) 2026 Kivora developers"},   // as in the About box
        {L"OriginalFilename", L"Kivora.exe"},
        {L"InternalName", L"Kivora"},
    };
    for (const Field& field : fields) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(field.name)));
        EXPECT_EQ(VersionText(block, field.name), field.value);
    }
}

// The answer to CompatibilityInformationInActivationContext as Windows 10 and
// Wine give it; MinGW's header still has the shorter element of Windows 7.
struct CompatibilityElement {
    GUID id;
    ACTCTX_COMPATIBILITY_ELEMENT_TYPE type;
    ULONGLONG maxVersionTested;
};
struct CompatibilityInformation {
    DWORD count;
    CompatibilityElement elements[8];
};

// The assemblies that an activation context loads from, a line each, as the
// loader names them: the name, then the attributes of the version it found.
std::wstring ContextAssemblies(HANDLE context)
{
    std::wstring names;
    for (DWORD index = 1;; ++index) {
        SIZE_T size = 0;
        QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        auto* assembly = reinterpret_cast<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer.data());
        if (size == 0 ||
            !QueryActCtxW(0, context, &index, AssemblyDetailedInformationInActivationContext, assembly, size, nullptr))
            return names;
        if (assembly->lpAssemblyEncodedAssemblyIdentity != nullptr)
            names += std::wstring(assembly->lpAssemblyEncodedAssemblyIdentity) + L"\n";
    }
}

// The manifest as the loader reads it: through an activation context made
// from resource 1 of the built file.
TEST(BuiltExecutable, ManifestAsksForNoElevationCommonControls6PerMonitorDpiAndWindows7To11)
{
    ACTCTXW request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = BuiltExe;
    request.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE context = CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "no valid manifest: error " << GetLastError();

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    EXPECT_TRUE(QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof level,
                             nullptr));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(level.UiAccess, 0u);

    // The visual style's controls: the common controls of version 6.
    std::wstring assemblies = ContextAssemblies(context);
    size_t controls = assemblies.find(L"Microsoft.Windows.Common-Controls,");
    ASSERT_NE(controls, std::wstring::npos) << assemblies;
    std::wstring identity = assemblies.substr(controls, assemblies.find(L'\n', controls) - controls);
    EXPECT_NE(identity.find(L"version=\"6."), std::wstring::npos) << identity;
    EXPECT_NE(identity.find(L"publicKeyToken=\"6595b64144ccf1df\""), std::wstring::npos) << identity;

    struct Setting {
        const wchar_t* space;
        const wchar_t* name;
        const wchar_t* value;
    } settings[] = {
        // Windows 7 and 8 read "true" of it: system aware.
        {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", L"true/pm"},
        // Windows 10 and 11: per monitor, version 2 where the system has it.
        {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness", L"PerMonitorV2,PerMonitor"},
    };
    for (const Setting& setting : settings) {
        wchar_t value[64] = L"";
        EXPECT_TRUE(QueryActCtxSettingsW(0, context, setting.space, setting.name, value, 64, nullptr)) << setting.name;
        EXPECT_STREQ(value, setting.value);
    }

    CompatibilityInformation compatibility = {};
    EXPECT_TRUE(QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, &compatibility,
                             sizeof compatibility, nullptr));
    std::vector<std::wstring> systems;
    for (DWORD i = 0; i < compatibility.count && i < 8; ++i) {
        wchar_t id[40] = L"";
        if (compatibility.elements[i].type == ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS &&
            StringFromGUID2(compatibility.elements[i].id, id, 40))
            systems.push_back(id);
    }
    EXPECT_EQ(systems, (std::vector<std::wstring>{
                           L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",   // Windows 7
                           L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",   // Windows 8
                           L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",   // Windows 8.1
                           L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}",   // Windows 10 and 11
                       }));
    ReleaseActCtx(context);
}

} // namespace
