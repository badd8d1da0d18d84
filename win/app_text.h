#pragma once
// Texts that several parts of the program show to the user.
namespace AppText {
inline constexpr const char* AppName = "Kivora";
inline constexpr const char* TrayTip = "Kivora　稼動中・・・";
inline constexpr const char* PausedTip = "Kivora　一時停止中";
inline constexpr const char* ErrorCaption = "エラー";
inline constexpr const char* WarningCaption = "警告";
}
