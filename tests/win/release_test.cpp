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

class VersionInfo {
public:
    VersionInfo()
    {
        DWORD ignored = 0;
        DWORD size = GetFileVersionInfoSizeW(BuiltExe, &ignored);
        block_.resize(size);
        if (size == 0 || !GetFileVersionInfoW(BuiltExe, 0, size, block_.data()))
            block_.clear();
    }
    bool Loaded() const { return !block_.empty(); }

    const VS_FIXEDFILEINFO* Fixed() const
    {
        return static_cast<const VS_FIXEDFILEINFO*>(Query(L"\\", sizeof(VS_FIXEDFILEINFO)));
    }
    std::vector<WORD> Translation() const
    {
        UINT size = 0;
        void* value = nullptr;
        if (!VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation", &value, &size))
            return {};
        const WORD* words = static_cast<const WORD*>(value);
        return std::vector<WORD>(words, words + size / sizeof(WORD));
    }
    std::wstring Text(const std::wstring& block, const std::wstring& name) const
    {
        UINT size = 0;
        void* value = nullptr;
        std::wstring path = L"\\StringFileInfo\\" + block + L"\\" + name;
        if (!VerQueryValueW(block_.data(), path.c_str(), &value, &size) || size == 0)
            return L"<missing>";
        return static_cast<const wchar_t*>(value);
    }

private:
    const void* Query(const wchar_t* path, UINT minimum) const
    {
        UINT size = 0;
        void* value = nullptr;
        if (!VerQueryValueW(block_.data(), path, &value, &size) || size < minimum)
            return nullptr;
        return value;
    }
    std::vector<BYTE> block_;
};

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
    VersionInfo info;
    ASSERT_TRUE(info.Loaded()) << "no version resource in the built Kivora.exe";

    // "1.04" is version 1.0.4: the fixed fields and the texts must say the same.
    std::wstring shown = AboutBoxVersion();
    ASSERT_EQ(shown.size(), 4u) << "About box shows " << testing::PrintToString(shown);
    ASSERT_EQ(shown[1], L'.');
    WORD major = shown[0] - L'0', minor = shown[2] - L'0', patch = shown[3] - L'0';
    std::wstring dotted = std::wstring{shown[0], L'.', shown[2], L'.', shown[3]} + L".0";
    EXPECT_EQ(dotted, L"1.0.4.0") << "the version of this release";

    const VS_FIXEDFILEINFO* fixed = info.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(minor, major));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, patch));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, DWORD{VFT_APP});
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug, pre-release or patched flag";

    // One block: Japanese, code page 932.
    EXPECT_EQ(info.Translation(), (std::vector<WORD>{0x0411, 932}));
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
        EXPECT_EQ(info.Text(L"041103a4", field.name), field.value);
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

// The manifest as the loader reads it: through an activation context made
// from resource 1 of the built file.
class Manifest : public testing::Test {
protected:
    void SetUp() override
    {
        ACTCTXW request = {};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = BuiltExe;
        request.lpResourceName = MAKEINTRESOURCEW(1);
        context_ = CreateActCtxW(&request);
        ASSERT_NE(context_, INVALID_HANDLE_VALUE) << "no valid manifest: error " << GetLastError();
    }
    void TearDown() override
    {
        if (context_ != INVALID_HANDLE_VALUE)
            ReleaseActCtx(context_);
    }

    HANDLE context_ = INVALID_HANDLE_VALUE;
};

TEST_F(Manifest, RunsAsInvokerWithoutElevation)
{
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    ASSERT_TRUE(QueryActCtxW(0, context_, nullptr, RunlevelInformationInActivationContext, &level, sizeof level,
                             nullptr));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(level.UiAccess, 0u);
}

TEST_F(Manifest, DeclaresSystemDpiAwarenessAndWindows7To11)
{
    wchar_t value[32] = L"";
    SIZE_T written = 0;
    ASSERT_TRUE(QueryActCtxSettingsW(0, context_, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                     L"dpiAware", value, 32, &written));
    EXPECT_STREQ(value, L"true") << "system aware: not per monitor, not unaware";

    alignas(CompatibilityInformation) BYTE buffer[sizeof(CompatibilityInformation)] = {};
    ASSERT_TRUE(QueryActCtxW(0, context_, nullptr, CompatibilityInformationInActivationContext, buffer,
                             sizeof buffer, nullptr));
    const auto& compatibility = *reinterpret_cast<const CompatibilityInformation*>(buffer);
    ASSERT_LE(compatibility.count, 8u);
    std::vector<std::wstring> systems;
    for (DWORD i = 0; i < compatibility.count; ++i) {
        if (compatibility.elements[i].type != ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS)
            continue;
        wchar_t id[40] = L"";
        StringFromGUID2(compatibility.elements[i].id, id, 40);
        systems.push_back(id);
    }
    EXPECT_EQ(systems, (std::vector<std::wstring>{
                           L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",   // Windows 7
                           L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",   // Windows 8
                           L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",   // Windows 8.1
                           L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}",   // Windows 10 and 11
                       }));
}

} // namespace
