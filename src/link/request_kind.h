#pragma once

#include <cstdint>

namespace lintari {

// The read whose reply is awaited.
using RequestKind = std::int32_t;

namespace kind {
inline constexpr RequestKind None = 0;
inline constexpr RequestKind ExtendedRegisters = 1;
inline constexpr RequestKind BusyToneWrite = 2;
inline constexpr RequestKind BusyTone = 4;
inline constexpr RequestKind Identification = 6;
inline constexpr RequestKind ConnectionSpeed = 8;
inline constexpr RequestKind TransmitLevel = 11;
inline constexpr RequestKind LineAdaptation = 12;
inline constexpr RequestKind ToneDialling = 40;
}  // namespace kind

}  // namespace lintari
