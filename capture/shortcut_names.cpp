#include "capture/shortcut_names.h"

#include "keys/key_codes.h"

namespace {

struct CapName {
    uint8_t virtualKey;
    std::string_view name;
};

// Every key of the key table but the letters, the digits and the modifiers,
// with what its cap says in English. The JIS keys without an English legend
// take the names that keyboards' specifications give them.
constexpr CapName CapNames[] = {
    {KeyBackspace, "Backspace"}, {KeyTab, "Tab"},          {KeyEnter, "Enter"},       {KeyPause, "Pause"},
    {KeyCapsLock, "CapsLock"},   {KeyKana, "Kana"},        {KeyKanji, "Hankaku"},     {KeyEscape, "Esc"},
    {KeyConvert, "Henkan"},      {KeyNonConvert, "Muhenkan"}, {KeySpace, "Space"},    {KeyPageUp, "PageUp"},
    {KeyPageDown, "PageDown"},   {KeyEnd, "End"},          {KeyHome, "Home"},         {KeyLeft, "Left"},
    {KeyUp, "Up"},               {KeyRight, "Right"},      {KeyDown, "Down"},         {KeyPrintScreen, "PrintScreen"},
    {KeyInsert, "Insert"},       {KeyDelete, "Delete"},    {KeyApplications, "Menu"}, {KeyMultiply, "Num*"},
    {KeyAdd, "Num+"},            {KeySubtract, "Num-"},    {KeyDecimal, "Num."},      {KeyDivide, "Num/"},
    {KeyNumLock, "NumLock"},     {KeyScrollLock, "ScrollLock"}, {KeyOem1, ":"},       {KeyOemPlus, ";"},
    {KeyOemComma, ","},          {KeyOemMinus, "-"},       {KeyOemPeriod, "."},       {KeyOem2, "/"},
    {KeyOem3, "@"},              {KeyOem4, "["},           {KeyOem5, "Yen"},          {KeyOem6, "]"},
    {KeyOem7, "^"},              {KeyOem102, "Ro"},        {KeyAlphanumeric, "CapsLock"}, {KeyKatakana, "Kana"},
    {KeyHiragana, "Kana"},       {KeySingleByte, "Hankaku"}, {KeyDoubleByte, "Hankaku"},
};

constexpr std::string_view Digits[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
constexpr std::string_view Letters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                        "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z"};
constexpr std::string_view FunctionKeys[] = {"F1", "F2", "F3", "F4",  "F5",  "F6",
                                             "F7", "F8", "F9", "F10", "F11", "F12"};
constexpr std::string_view Keypad[] = {"Num0", "Num1", "Num2", "Num3", "Num4",
                                       "Num5", "Num6", "Num7", "Num8", "Num9"};

} // namespace

std::string_view KeyCapName(uint8_t virtualKey)
{
    if (virtualKey >= KeyLetterA && virtualKey < KeyLetterA + 26)
        return Letters[virtualKey - KeyLetterA];
    if (virtualKey >= KeyDigit0 && virtualKey < KeyDigit0 + 10)
        return Digits[virtualKey - KeyDigit0];
    if (virtualKey >= KeyF1 && virtualKey < KeyF1 + 12)
        return FunctionKeys[virtualKey - KeyF1];
    if (virtualKey >= KeyNumpad0 && virtualKey < KeyNumpad0 + 10)
        return Keypad[virtualKey - KeyNumpad0];
    for (const CapName& cap : CapNames) {
        if (cap.virtualKey == virtualKey)
            return cap.name;
    }
    return {};
}

std::string ShortcutName(uint8_t held, uint8_t virtualKey)
{
    const std::string_view key = KeyCapName(virtualKey);
    if (!IsShortcut(held) || key.empty())
        return {};
    std::string name;
    for (auto [modifier, word] : {std::pair{HeldCtrl, "Ctrl+"}, std::pair{HeldAlt, "Alt+"},
                                  std::pair{HeldShift, "Shift+"}, std::pair{HeldWin, "Win+"}}) {
        if (held & modifier)
            name += word;
    }
    name += key;
    return name;
}
