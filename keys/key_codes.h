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
