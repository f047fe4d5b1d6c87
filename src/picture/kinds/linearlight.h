#pragma once

#include <QSysInfo>

#include <array>
#include <cstdint>

// The sRGB transfer curve as tables, for averaging light: 8-bit encoded values to linear light
// (16-bit integers, and floats from 0 to 1), and every 16-bit linear value back to the nearest
// 8-bit encoded one.
struct TLinearLight {
  static constexpr int Max = 65535; // white in 16-bit linear light
  std::array<uint16_t, 256> ToLinear{};
  std::array<float, 256> ToLinearFloat{};
  std::array<uint8_t, Max + 1> ToEncoded{};
};

// Made at the first call.
const TLinearLight &LinearLight();

// Byte offsets of a 32-bit pixel's channels in memory (Format_RGB32, Format_ARGB32).
inline constexpr bool LittleEndianPixels = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
inline constexpr int BlueByte = LittleEndianPixels ? 0 : 3;
inline constexpr int GreenByte = LittleEndianPixels ? 1 : 2;
inline constexpr int RedByte = LittleEndianPixels ? 2 : 1;
inline constexpr int AlphaByte = LittleEndianPixels ? 3 : 0;
