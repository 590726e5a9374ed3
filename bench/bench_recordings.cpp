// Reading a raw recording into X, Y, Z at 1000 samples/s: a five-minute three-lead WFDB
// record at 1000 Hz (the averaging's input as it comes from the recorder) and the same
// at 500 Hz, which adds the resampling.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>

#include "acquisition/Recording.h"

namespace {

constexpr int kSeconds = 300;

// A record of three leads in format 16 (a 1.2 Hz beat-like wave of about 1 mV), written
// once per rate and removed at exit.
class FiveMinuteRecord {
 public:
  explicit FiveMinuteRecord(int hz) {
    directory_ = std::filesystem::temp_directory_path() /
                 ("wavelet-bench-recordings-" + std::to_string(::getpid()) + "-" + std::to_string(hz));
    std::filesystem::create_directories(directory_);
    const int frames = kSeconds * hz;
    std::string data;
    data.reserve(static_cast<std::size_t>(frames) * 6);
    for (int n = 0; n < frames; ++n) {
      for (int lead = 0; lead < 3; ++lead) {
        const double phase = 2 * std::numbers::pi * (1.2 * n / hz + lead / 3.0);
        const auto adu = static_cast<std::uint16_t>(static_cast<std::int16_t>(2000 * std::sin(phase)));
        data.push_back(static_cast<char>(adu & 0xFF));
        data.push_back(static_cast<char>(adu >> 8));
      }
    }
    Write("b.dat", data);
    std::string header = "b 3 " + std::to_string(hz) + " " + std::to_string(frames) + "\n";
    for (const char* label : {"vx", "vy", "vz"}) header += "b.dat 16 2000 16 0 0 0 0 " + std::string(label) + "\n";
    Write("b.hea", header);
  }
  ~FiveMinuteRecord() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  std::string Header() const { return (directory_ / "b.hea").string(); }

 private:
  void Write(const char* name, const std::string& bytes) const {
    std::FILE* file = std::fopen((directory_ / name).c_str(), "wb");
    if (file == nullptr) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  std::filesystem::path directory_;
};

void ReadFiveMinutes(benchmark::State& state) {
  static const FiveMinuteRecord at1000(1000);
  static const FiveMinuteRecord at500(500);
  const std::string header = state.range(0) == 1000 ? at1000.Header() : at500.Header();
  for (auto _ : state) {
    const wavelet::Loaded<wavelet::Recording> read = wavelet::ReadRecording(header);
    if (!read.Ok || read.Value.Microvolts[0].size() != kSeconds * 1000u) {
      state.SkipWithError(read.ErrorText.c_str());
      break;
    }
    benchmark::DoNotOptimize(read.Value.Microvolts[2].back());
  }
}
BENCHMARK(ReadFiveMinutes)->ArgName("hz")->Arg(1000)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
