#pragma once
// Small WFDB records written by the tests, packed by hand after the format rules.

#include <cstdint>
#include <string>
#include <vector>

namespace wavelet::testing {

// Values as format 16 stores them (two bytes each, low byte first).
inline std::string Format16(const std::vector<int>& values) {
  std::string bytes;
  for (int v : values) {
    const auto u = static_cast<std::uint16_t>(v);
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  return bytes;
}

// Values as format 212 stores them (pairs in three bytes); an odd count ends in two.
inline std::string Format212(const std::vector<int>& values) {
  std::string bytes;
  for (std::size_t i = 0; i < values.size(); i += 2) {
    const auto a = static_cast<unsigned>(values[i]) & 0xFFF;
    const auto b = i + 1 < values.size() ? static_cast<unsigned>(values[i + 1]) & 0xFFF : 0u;
    bytes.push_back(static_cast<char>(a & 0xFF));
    bytes.push_back(static_cast<char>((a >> 8) | ((b >> 8) << 4)));
    if (i + 1 < values.size()) bytes.push_back(static_cast<char>(b & 0xFF));
  }
  return bytes;
}

// The sum of `values` as the signed 16-bit checksum of a header line.
inline int Checksum(const std::vector<int>& values) {
  unsigned sum = 0;
  for (int v : values) sum += static_cast<unsigned>(v);
  return static_cast<std::int16_t>(static_cast<std::uint16_t>(sum & 0xFFFF));
}

}  // namespace wavelet::testing
