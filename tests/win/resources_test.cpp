// The resources compiled into the executable: every fixed identifier with its
// kind, and the texts, keys and layouts the program relies on. The test
// executable links the same resource script as Kivora.exe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "res/resource.h"
#include "win_test_support.h"

namespace {

std::set<int> ResourceIds(LPCSTR type)
{
    std::set<int> ids;
    EnumResourceNamesA(
        nullptr, type,
        [](HMODULE, LPCSTR, LPSTR name, LONG_PTR found) -> BOOL {
            auto& out = *reinterpret_cast<std::set<int>*>(found);
            out.insert(IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<UINT_PTR>(name)) : -1);
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&ids));
    return ids;
}

std::string Resource(LPCSTR type, int id)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    return std::string(static_cast<const char*>(LockResource(loaded)), SizeofResource(nullptr, found));
}

std::string Ansi(const std::wstring& wide)
{
    char text[512] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, nullptr, nullptr);
    return text;
}

// A dialog template as the resource compiler lays it out (the extended form
// that DIALOGEX gives, or the plain one).
struct DialogTemplate {
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string title;
    int pointSize = 0;
    std::string font;
    std::vector<int> controlIds;
};

class TemplateReader {
public:
    explicit TemplateReader(const std::string& bytes) : bytes_(bytes) {}
    WORD Word()
    {
        WORD value = 0;
        if (at_ + 2 <= bytes_.size())
            std::memcpy(&value, bytes_.data() + at_, 2);
        at_ += 2;
        return value;
    }
    DWORD Dword()
    {
        DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    std::wstring String()
    {
        std::wstring text;
        for (WORD c = Word(); c != 0 && at_ <= bytes_.size(); c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    // A name or an ordinal (0xFFFF and a number); the ordinal is dropped.
    std::wstring NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0)
            return {};
        if (first == 0xFFFF) {
            Word();
            return {};
        }
        at_ -= 2;
        return String();
    }
    void AlignToDword() { at_ = (at_ + 3) & ~size_t{3}; }

private:
    const std::string& bytes_;
    size_t at_ = 0;
};

DialogTemplate ReadDialog(int id)
{
    std::string bytes = Resource(RT_DIALOG, id);
    DialogTemplate dialog;
    bool extended = bytes.size() >= 4 && bytes.compare(0, 4, "\x01\x00\xff\xff", 4) == 0;
    TemplateReader in(bytes);
    if (extended) {
        in.Dword();   // version and signature
        in.Dword();   // help id
        in.Dword();   // extended style
        dialog.style = in.Dword();
    } else {
        dialog.style = in.Dword();
        in.Dword();   // extended style
    }
    int count = in.Word();
    dialog.x = static_cast<short>(in.Word());
    dialog.y = static_cast<short>(in.Word());
    dialog.cx = static_cast<short>(in.Word());
    dialog.cy = static_cast<short>(in.Word());
    in.NameOrOrdinal();   // menu
    in.NameOrOrdinal();   // class
    dialog.title = Ansi(in.String());
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Word();
        if (extended) {
            in.Word();   // weight
            in.Word();   // italic, character set
        }
        dialog.font = Ansi(in.String());
    }
    for (int i = 0; i < count; ++i) {
        in.AlignToDword();
        if (extended) {
            in.Dword();   // help id
            in.Dword();   // extended style
            in.Dword();   // style
        } else {
            in.Dword();
            in.Dword();
        }
        for (int edge = 0; edge < 4; ++edge)
            in.Word();
        int controlId = extended ? static_cast<int>(in.Dword()) : in.Word();
        if (controlId != 0xFFFF && controlId != -1)
            dialog.controlIds.push_back(controlId);
        in.NameOrOrdinal();   // class
        in.NameOrOrdinal();   // text
        WORD extra = in.Word();
        for (WORD b = 0; b < extra; b += 2)
            in.Word();
    }
    return dialog;
}

TEST(Resources, EveryFixedIdentifierIsThereWithItsKindAndNoOther)
{
    struct Case {
        LPCSTR type;
        std::set<int> ids;
        const char* what;
    } cases[] = {
        {RT_DIALOG,
         {IDD_STATISTICS, IDD_LOWERCASE_PAGE, IDD_SUMMARY_PANEL, IDD_UPPERCASE_PAGE, IDD_LOGIN, IDD_NEW_USER, IDD_ABOUT,
          IDD_OPTIONS, IDD_DIGIT_SYMBOL_PAGE, IDD_KEYBOARD_PAGE, IDD_SAVE_QUESTION, IDD_HISTORY_PAGE},
         "dialogs"},
        {RT_MENU, {IDR_MAIN_MENU, IDR_TRAY_MENU}, "menus"},
        {RT_ACCELERATOR, {IDR_ACCELERATORS}, "accelerators"},
        {RT_GROUP_ICON, {IDI_KIVORA, IDI_KIVORA_PAUSED}, "icons"},
        {RT_BITMAP, {IDB_ABOUT}, "bitmap"},
        {RT_STRING, {IDS_SETTINGS_FILE / 16 + 1}, "the string table block of string 1"},
    };
    std::set<int> templates;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(ResourceIds(row.type), row.ids);
        if (row.type != RT_STRING)
            templates.insert(row.ids.begin(), row.ids.end());
    }
    // The numbers are fixed as the design gives them, and one name space;
    // later additions take numbers of their own.
    EXPECT_EQ(templates,
              (std::set<int>{101, 107, 108, 112, 115, 116, 121, 122, 135, 136, 139, 142, 148, 149, 153, 154, 155,
                             156}));

    char text[50] = "";
    EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), 1, text, sizeof text), 7);
    EXPECT_STREQ(text, "set.ini");
}

// The images of an icon: "side bpp" for each, with " png" for a compressed
// one. An icon resource's directory names each image's resource (14-byte
// entries); an .ico file's gives its offset (16-byte entries).
std::vector<std::string> IconImages(const std::string& directory, const std::string* file)
{
    std::vector<std::string> images;
    TemplateReader in(directory);
    in.Dword();
    for (int count = in.Word(); count > 0; --count) {
        int side = static_cast<unsigned char>(in.Word());   // width; the height is alike
        in.Dword();
        int bits = in.Word();
        DWORD size = in.Dword();
        std::string image = file != nullptr ? file->substr(in.Dword(), size) : Resource(RT_ICON, in.Word());
        images.push_back(std::to_string(side == 0 ? 256 : side) + " " + std::to_string(bits) +
                         (image.compare(0, 4, "\x89PNG") == 0 ? " png" : ""));
    }
    return images;
}

// Every size that the shell asks for at 100 to 200 %, and Explorer's largest,
// each an image of its own and read back at its size; from 32 pixels up
// PNG-compressed, which keeps the executable light.
TEST(Resources, IconsHoldAnImageOfEverySize)
{
    const std::vector<int> sides = {16, 20, 24, 32, 40, 48, 64, 256};
    std::vector<std::string> expected;
    for (int side : sides)
        expected.push_back(std::to_string(side) + (side >= 32 ? " 32 png" : " 32"));
    const std::string file = KIVORA_SOURCE_DIR "\\res\\icon6.ico";
    std::optional<std::string> bytes = wintest::ReadBytes(file);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(IconImages(*bytes, &*bytes), expected) << "icon6.ico";
    for (int icon : {IDI_KIVORA, IDI_KIVORA_PAUSED}) {
        EXPECT_EQ(IconImages(Resource(RT_GROUP_ICON, icon), nullptr), expected) << icon;
        for (int side : sides) {
            HANDLE resource = LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(icon), IMAGE_ICON, side, side, 0);
            HANDLE fromFile = LoadImageA(nullptr, file.c_str(), IMAGE_ICON, side, side, LR_LOADFROMFILE);
            for (HANDLE loaded : {resource, fromFile}) {
                ICONINFO info = {};
                BITMAP bitmap = {};
                ASSERT_TRUE(GetIconInfo(static_cast<HICON>(loaded), &info)) << side;
                GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
                EXPECT_EQ(bitmap.bmWidth, side);
                DeleteObject(info.hbmColor);
                DeleteObject(info.hbmMask);
                DestroyIcon(static_cast<HICON>(loaded));
            }
        }
    }
}

TEST(Resources, AboutBitmapHasItsSize)
{
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(148));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmWidth, 48);
    EXPECT_EQ(info.bmHeight, 48);
    DeleteObject(bitmap);
    std::string header = Resource(RT_BITMAP, 148);
    ASSERT_GE(header.size(), sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(reinterpret_cast<const BITMAPINFOHEADER*>(header.data())->biBitCount, 8) << "256 colours";
}

struct MenuEntry {
    std::string popup;
    std::string item;   // empty for a separator
    UINT id;
    bool operator==(const MenuEntry&) const = default;
};

void PrintTo(const MenuEntry& entry, std::ostream* out) { *out << entry.popup << " / " << entry.item << " " << entry.id; }

std::vector<MenuEntry> ReadMenu(int id)
{
    std::vector<MenuEntry> entries;
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
    if (!menu)
        return entries;
    auto text = [](HMENU owner, int position, MENUITEMINFOA& info) {
        char buffer[256] = "";
        info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING | MIIM_ID | MIIM_FTYPE | MIIM_SUBMENU;
        info.dwTypeData = buffer;
        info.cch = sizeof buffer;
        GetMenuItemInfoA(owner, position, TRUE, &info);
        return std::string(info.fType & MFT_SEPARATOR ? "" : buffer);
    };
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOA info;
        std::string popup = text(menu, i, info);
        if (!info.hSubMenu) {
            entries.push_back({"", popup, info.wID});
            continue;
        }
        HMENU sub = info.hSubMenu;
        for (int j = 0; j < GetMenuItemCount(sub); ++j) {
            std::string item = text(sub, j, info);
            entries.push_back({popup, item, info.fType & MFT_SEPARATOR ? 0 : info.wID});
        }
    }
    DestroyMenu(menu);
    return entries;
}

TEST(Resources, MenusHoldTheCommandsWithTheirTexts)
{
    EXPECT_EQ(ReadMenu(IDR_MAIN_MENU), (std::vector<MenuEntry>{
                                           {"ファイル(&F)", "リセット(&R)\tCtrl+N", 40017},
                                           {"ファイル(&F)", "ログオフ(&L)\tCtrl+O", 40002},
                                           {"ファイル(&F)", "", 0},
                                           {"ファイル(&F)", "書き出し(&E)...", 40023},
                                           {"ファイル(&F)", "Kivoraの終了(&X)", 40003},
                                           {"ツール(&T)", "オプション(&O)", 40015},
                                           {"ヘルプ(&H)", "バージョン情報(&A)", 40004},
                                       }));
    EXPECT_EQ(ReadMenu(IDR_TRAY_MENU), (std::vector<MenuEntry>{
                                           {"メニュー", "開く(&O)", 40005},
                                           {"メニュー", "ログオフ(&L)", 40016},
                                           {"メニュー", "", 0},
                                           {"メニュー", "一時停止(&P)", 40022},
                                           {"メニュー", "終了(&X)", 40006},
                                       }));
}

TEST(Resources, AcceleratorsGiveTheirCommands)
{
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(149));
    ASSERT_NE(table, nullptr);
    ACCEL keys[8];
    int count = CopyAcceleratorTableA(table, keys, 8);
    std::map<WORD, ACCEL> byCommand;
    for (int i = 0; i < count; ++i)
        byCommand[keys[i].cmd] = keys[i];
    struct Case {
        WORD command;
        BYTE modifiers;
        WORD key;
        const char* what;
    } cases[] = {
        {40018, FCONTROL, 'N', "Ctrl+N: reset"},
        {40019, FCONTROL, 'O', "Ctrl+O: log off"},
        {40020, FCONTROL, 'Q', "Ctrl+Q"},
        {40021, FALT, VK_RETURN, "Alt+Enter"},
    };
    EXPECT_EQ(count, 4);
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        ASSERT_EQ(byCommand.count(row.command), 1u);
        const ACCEL& key = byCommand[row.command];
        EXPECT_EQ(key.key, row.key);
        // Virtual keys that leave the menu bar as it is.
        EXPECT_EQ(key.fVirt & ~0x80, FVIRTKEY | FNOINVERT | row.modifiers);
    }
    DestroyAcceleratorTable(table);
}

TEST(Resources, CommandIdsAreUniqueAndInTheirRange)
{
    std::vector<UINT> commands;
    for (int menu : {IDR_MAIN_MENU, IDR_TRAY_MENU}) {
        for (const MenuEntry& entry : ReadMenu(menu)) {
            if (entry.id != 0)
                commands.push_back(entry.id);
        }
    }
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(149));
    ACCEL keys[8];
    int count = CopyAcceleratorTableA(table, keys, 8);
    for (int i = 0; i < count; ++i)
        commands.push_back(keys[i].cmd);
    DestroyAcceleratorTable(table);

    ASSERT_EQ(commands.size(), 14u);
    for (UINT command : commands) {
        EXPECT_GE(command, 40002u);
        EXPECT_LE(command, 40023u);   // 40022 and 40023: pause and export
    }
    std::sort(commands.begin(), commands.end());
    EXPECT_EQ(std::adjacent_find(commands.begin(), commands.end()), commands.end()) << "a command id used twice";
}

TEST(Resources, DialogsHaveTheirTitlesSizesAndControls)
{
    constexpr DWORD Popup = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    struct Case {
        int id;
        const char* title;
        short cx, cy;
        bool popup;    // a modal pop-up with title bar, else a child
        bool centred;
        int pointSize;
        std::vector<int> controlIds;   // besides the statics
        const char* what;
    } cases[] = {
        {107, "", 289, 221, false, false, 10, {1004}, "statistics window"},
        {108, "", 202, 161, false, false, 12, {}, "lowercase page"},
        {116, "", 202, 161, false, false, 12, {}, "uppercase page"},
        {153, "", 202, 161, false, false, 12, {}, "digits and symbols page"},
        {115, "", 300, 58, false, false, 10, {}, "summary panel"},
        {121, "Kivoraログイン画面", 203, 105, true, true, 9, {1, 2, 1008, 1009}, "login"},
        {122, "新規ユーザー作成", 203, 81, true, true, 9, {1, 1010, 2}, "new user"},
        {139, "Kivora のバージョン情報", 197, 77, true, true, 9, {1}, "about box"},
        {142, "オプション", 207, 181, true, false, 9, {1, 2, 1011, 1030, 1031, 1026, 1027}, "options"},
        {155, "警告", 256, 100, true, true, 9, {1013, 1012, IDTRYAGAIN, IDCONTINUE, IDCANCEL}, "save question"},
        {154, "", 202, 161, false, false, 9, {1014, 1015, 1016, 1017, 1022, 1018, 1025}, "keyboard page"},
        {156, "", 202, 161, false, false, 9, {1019, 1023, 1020, 1035, 1021, 1024}, "history page"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.what);
        DialogTemplate dialog = ReadDialog(row.id);
        EXPECT_EQ(dialog.title, row.title);
        EXPECT_EQ(dialog.cx, row.cx);
        EXPECT_EQ(dialog.cy, row.cy);
        if (row.popup) {
            EXPECT_EQ(dialog.style & (Popup | WS_CHILD), Popup);
        } else {
            EXPECT_EQ(dialog.style & (WS_POPUP | WS_CHILD | WS_CAPTION | WS_BORDER | WS_VISIBLE), DWORD{WS_CHILD});
            // Invalidating the main window must reach the pages and the panel.
            // (The keyboard and history pages clip only their own controls.)
            if (row.id != IDD_KEYBOARD_PAGE && row.id != IDD_HISTORY_PAGE) {
                EXPECT_EQ(dialog.style & WS_CLIPCHILDREN, 0u);
            }
        }
        EXPECT_EQ((dialog.style & DS_CENTER) != 0, row.centred);
        EXPECT_EQ(dialog.font, "ＭＳ Ｐゴシック");
        EXPECT_EQ(dialog.pointSize, row.pointSize);
        EXPECT_EQ(dialog.controlIds, row.controlIds);
    }
    // The summary panel lies under the statistics window.
    DialogTemplate panel = ReadDialog(115);
    EXPECT_EQ(panel.x, 0);
    EXPECT_EQ(panel.y, 225);
}

} // namespace
