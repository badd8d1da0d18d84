#pragma once
// Virtual-key codes of the counted keys, as the JIS keyboard layout gives
// them. Kept here so that the portable code needs no <windows.h>.
#include <cstdint>

constexpr int KeyShift = 0x10;      // VK_SHIFT
constexpr int KeyCapsLock = 0x14;   // VK_CAPITAL
constexpr int KeyLeft = 0x25;       // VK_LEFT
constexpr int KeyUp = 0x26;         // VK_UP
constexpr int KeyRight = 0x27;      // VK_RIGHT
constexpr int KeyDown = 0x28;       // VK_DOWN
constexpr int KeyDigit0 = 0x30;
constexpr int KeyLetterA = 0x41;
constexpr int KeyOem1 = 0xBA;       // colon key on JIS
constexpr int KeyOemPlus = 0xBB;    // semicolon key on JIS
constexpr int KeyOemComma = 0xBC;
constexpr int KeyOemMinus = 0xBD;
constexpr int KeyOemPeriod = 0xBE;
constexpr int KeyOem2 = 0xBF;       // slash
constexpr int KeyOem3 = 0xC0;       // at sign on JIS
constexpr int KeyOem4 = 0xDB;       // left bracket
constexpr int KeyOem5 = 0xDC;       // backslash (yen sign on the key top)
constexpr int KeyOem6 = 0xDD;       // right bracket
constexpr int KeyOem7 = 0xDE;       // caret

// The keys that only the count of every key asks for.
constexpr int KeyBackspace = 0x08;  // VK_BACK
constexpr int KeyTab = 0x09;
constexpr int KeyEnter = 0x0D;      // VK_RETURN: the keypad's Enter too, which polling cannot tell apart
constexpr int KeyPause = 0x13;
constexpr int KeyKana = 0x15;       // VK_KANA
constexpr int KeyKanji = 0x19;      // VK_KANJI: 半角/全角 under some input methods
constexpr int KeyEscape = 0x1B;
constexpr int KeyConvert = 0x1C;    // 変換
constexpr int KeyNonConvert = 0x1D; // 無変換
constexpr int KeySpace = 0x20;
constexpr int KeyPageUp = 0x21;
constexpr int KeyPageDown = 0x22;
constexpr int KeyEnd = 0x23;
constexpr int KeyHome = 0x24;
constexpr int KeyPrintScreen = 0x2C;
constexpr int KeyInsert = 0x2D;
constexpr int KeyDelete = 0x2E;
constexpr int KeyLeftWindows = 0x5B;
constexpr int KeyRightWindows = 0x5C;
constexpr int KeyApplications = 0x5D;
constexpr int KeyNumpad0 = 0x60;    // to 0x69
constexpr int KeyMultiply = 0x6A;
constexpr int KeyAdd = 0x6B;
constexpr int KeySubtract = 0x6D;
constexpr int KeyDecimal = 0x6E;
constexpr int KeyDivide = 0x6F;
constexpr int KeyF1 = 0x70;         // to F12, 0x7B
constexpr int KeyNumLock = 0x90;
constexpr int KeyScrollLock = 0x91;
constexpr int KeyLeftShift = 0xA0;
constexpr int KeyRightShift = 0xA1;
constexpr int KeyLeftControl = 0xA2;
constexpr int KeyRightControl = 0xA3;
constexpr int KeyLeftAlt = 0xA4;
constexpr int KeyRightAlt = 0xA5;
constexpr int KeyOem102 = 0xE2;     // the ろ key (＼) of a JIS keyboard
constexpr int KeyAlphanumeric = 0xF0;   // 英数 with an input method on
constexpr int KeyKatakana = 0xF1;
constexpr int KeyHiragana = 0xF2;       // カタカナ/ひらがな
constexpr int KeySingleByte = 0xF3;     // 半角/全角, whichever of the two it sends
constexpr int KeyDoubleByte = 0xF4;
