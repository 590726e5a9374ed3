#pragma once
// The storage formats of WFDB signal files: how sample values are packed into bytes.
// A file holds the samples of its signals interleaved frame by frame, as one stream
// in the file's format.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace wavelet {

// A format packs Samples values into Bytes bytes, the unit a stream can be cut at.
struct WfdbPacking {
  int Bytes = 0;
  int Samples = 0;
};

// Formats 16, 24, 32, 61, 80, 160, 212, 310 and 311; nothing for any other (8, the
// difference format, and the compressed ones among them). One table holds each
// format's packing and decoder, so what is decoded, sized and refused cannot disagree.
std::optional<WfdbPacking> PackingOf(int format);

// The formats PackingOf knows, as a refusal lists them: "16, 24, ..., 311".
std::string SupportedWfdbFormats();

// The number of whole sample values in `bytes` bytes of the format: a group cut short
// still yields the values whose bits all lie before the cut.
std::uint64_t SamplesInBytes(int format, std::uint64_t bytes);

// The bytes that hold the first `samples` values: the inverse of SamplesInBytes.
std::uint64_t BytesForSamples(int format, std::uint64_t samples);

// Decodes samples.size() values from the start of `bytes`, which must hold at least
// that many (SamplesInBytes) and begin at a group boundary. `format` is one PackingOf
// knows.
void DecodeWfdbSamples(int format, std::span<const std::uint8_t> bytes, std::span<std::int32_t> samples);

}  // namespace wavelet
