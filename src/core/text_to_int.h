#pragma once

#include <cstdint>
#include <string_view>

namespace lintari {

// The program's only conversion of text to a number. After optional leading
// blanks: an optional sign and decimal digits within the signed 32-bit range,
// or "$", "x", "X", "0x", "0X" and one to eight hex digits taken as an
// unsigned 32-bit pattern ("$FFFFFFFF" is -1). Anything else throws Error
// "'<text>' is not a valid integer value".
std::int32_t TextToInt(std::string_view text);

}  // namespace lintari
