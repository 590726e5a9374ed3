// libFuzzer target: the WFDB reader over any header and any data, which must end in
// a recording or a refusal, never in a crash, a hang or unbounded memory.
//
// Input layout: the header text up to the first NUL byte; the bytes after it are the
// content of every data file the header names. When the first data byte is odd, the
// first three signal descriptions are named as the leads, so that records whose labels
// are no lead names still reach the decoding. The same data are also decoded directly
// in the format picked by the second data byte.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/WfdbHeader.h"
#include "acquisition/WfdbRecord.h"
#include "acquisition/WfdbSamples.h"

namespace {

using namespace wavelet;

class MemoryFile final : public WfdbDataFile {
 public:
  explicit MemoryFile(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> into) override {
    if (offset > bytes_.size() || into.size() > bytes_.size() - offset) return false;
    std::memcpy(into.data(), bytes_.data() + offset, into.size());
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

constexpr std::array<int, 11> kFormats = {16, 24, 32, 61, 80, 160, 212, 310, 311, 8, 0};

void DecodeDirectly(std::span<const std::uint8_t> data) {
  if (data.size() < 2) return;
  const int format = kFormats[data[1] % kFormats.size()];
  const std::uint64_t count = std::min<std::uint64_t>(SamplesInBytes(format, data.size()), 1u << 16);
  std::vector<std::int32_t> samples(static_cast<std::size_t>(count));
  DecodeWfdbSamples(format, data.subspan(0, static_cast<std::size_t>(BytesForSamples(format, count))), samples);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::span<const std::uint8_t> input(bytes, size);
  const auto nul = std::find(input.begin(), input.end(), std::uint8_t{0});
  const std::string_view text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(nul - input.begin()));
  const std::span<const std::uint8_t> data = nul == input.end() ? std::span<const std::uint8_t>() : input.subspan(text.size() + 1);
  DecodeDirectly(data);

  const Loaded<WfdbHeader> header = ParseWfdbHeader(text);
  if (!header.Ok) return 0;
  (void)PatientFromWfdbHeader(header.Value);
  ReadOptions options;
  // Enough for every decoding path, small enough to keep each run short.
  options.MaxSamples = 1u << 16;
  if (!data.empty() && (data[0] & 1) != 0 && header.Value.Signals.size() >= 3) {
    std::array<std::string, 3> names;
    for (std::size_t i = 0; i < 3; ++i) names[i] = header.Value.Signals[i].Description;
    options.LeadNames = names;
  }
  const WfdbFileOpener open = [&](const std::string&, std::string&) -> std::unique_ptr<WfdbDataFile> {
    return std::make_unique<MemoryFile>(data);
  };
  const Loaded<SourceRecording> read = ReadWfdbSignals(header.Value, "fuzz.hea", open, options);
  if (!read.Ok) {
    if (read.ErrorText.empty()) std::abort();
    return 0;
  }
  const std::size_t length = read.Value.Channels.front().Microvolts.size();
  if (length == 0 || length > options.MaxSamples) std::abort();
  for (const SourceChannel& channel : read.Value.Channels) {
    if (channel.Microvolts.size() != length) std::abort();
  }
  return 0;
}
