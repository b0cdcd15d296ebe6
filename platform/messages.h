#pragma once
// Window message numbers shared by the programs.
#include <QString>
#include <cstdint>

namespace platform {

inline constexpr std::uint32_t WM_CLOSE = 16;
inline constexpr std::uint32_t WM_USER = 0x0400;

// A number in 0xC000..0xFFFF derived from the name alone, so every program that registers
// the same name gets the same number.
std::uint32_t registerWindowMessage(const QString& name);

// Message box buttons and answers, with the numbers the programs' logic is written against.
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Information, Warning, Error, Question };
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

} // namespace platform
