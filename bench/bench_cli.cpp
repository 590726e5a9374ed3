// Records per second of wavelet-batch over 10,000 sample records, reading and writing
// included, with one and two worker threads; also the tool's peak memory. Then over
// 400 records: the CSV alone, with the pictures (--images) and with the PDF reports
// (--reports). And wavelet-cohort over the 10,000 against wavelet-batch --late-potentials.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/Correlation.h"
#include "record/RecordFile.h"
#include "record/SampleRecords.h"

namespace {

constexpr int kRecords = 10000;
constexpr int kOutputRecords = 400;
const std::string kTool = std::string(WAVELET_BINARY_DIR) + "/wavelet-batch";

// Written once per process and removed at exit.
class SampleArchive {
 public:
  explicit SampleArchive(int records) {
    directory_ = (std::filesystem::temp_directory_path() /
                  ("wavelet-bench-cli-" + std::to_string(::getpid()) + "-" + std::to_string(records))).string();
    std::filesystem::create_directories(directory_);
    for (int i = 0; i < records; ++i) {
      const wavelet::RecordBytes bytes = wavelet::MakeSampleRecord(1, i);
      const std::string path = wavelet::JoinPath(directory_, wavelet::SampleRecordName(i));
      std::FILE* file = std::fopen(path.c_str(), "wb");
      if (!file) continue;
      std::fwrite(bytes.data(), 1, bytes.size(), file);
      std::fclose(file);
    }
  }
  ~SampleArchive() {
    std::error_code ignored;
    std::filesystem::remove_all(directory_, ignored);
  }
  const std::string& Directory() const { return directory_; }
  std::string Output() const { return directory_ + ".csv"; }

 private:
  std::string directory_;
};

const SampleArchive& Archive() {
  static SampleArchive archive(kRecords);
  return archive;
}

const SampleArchive& SmallArchive() {
  static SampleArchive archive(kOutputRecords);
  return archive;
}

// Runs the tool to completion; returns false if it failed. `maxRssKiB` is the child's
// peak resident size.
bool RunTool(const std::vector<std::string>& arguments, long& maxRssKiB, const std::string& tool = kTool) {
  std::vector<char*> argv;
  std::vector<std::string> owned{tool};
  owned.insert(owned.end(), arguments.begin(), arguments.end());
  for (auto& arg : owned) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    ::execv(tool.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child) return false;
  maxRssKiB = usage.ru_maxrss;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Times every iteration's run of the tool over `records` records.
void TimeToolRuns(benchmark::State& state, const std::vector<std::string>& arguments,
                  int records, const std::string& tool = kTool) {
  long maxRss = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = RunTool(arguments, maxRss, tool);
    const auto stop = std::chrono::steady_clock::now();
    if (!ok) {
      state.SkipWithError("the tool failed (is it built?)");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
  }
  state.counters["records_per_s"] =
      benchmark::Counter(static_cast<double>(records) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
  state.counters["max_rss_MiB"] = static_cast<double>(maxRss) / 1024.0;
}

void BM_BatchTool(benchmark::State& state) {
  const SampleArchive& archive = Archive();
  TimeToolRuns(state,
               {"-q", "-j", std::to_string(state.range(0)), "-o", archive.Output(),
                archive.Directory()},
               kRecords);
  std::remove(archive.Output().c_str());
}
BENCHMARK(BM_BatchTool)->Arg(1)->Arg(2)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// Arguments: threads; 0 the CSV alone, 1 with --images, 2 with --reports.
void BM_BatchToolOutputs(benchmark::State& state) {
  const SampleArchive& archive = SmallArchive();
  std::vector<std::string> arguments{"-q", "-j", std::to_string(state.range(0)), "-o",
                                     archive.Output()};
  const std::string pictures = archive.Directory() + ".pictures";
  const std::string reports = archive.Directory() + ".pdf";
  if (state.range(1) == 1) arguments.insert(arguments.end(), {"--images", pictures});
  if (state.range(1) == 2) arguments.insert(arguments.end(), {"--reports", reports});
  arguments.push_back(archive.Directory());
  TimeToolRuns(state, arguments, kOutputRecords);
  std::error_code ignored;
  std::filesystem::remove_all(pictures, ignored);
  std::filesystem::remove(reports, ignored);
  std::remove(archive.Output().c_str());
}
BENCHMARK(BM_BatchToolOutputs)
    ->ArgsProduct({{1, 2}, {0, 1, 2}})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

// The study over the 10,000 records (half of them labelled patients) against the
// batch tool's pass that makes the same figures: argument 0 is
// wavelet-batch --late-potentials, 1 wavelet-cohort, both with -j 2.
void BM_CohortAgainstBatch(benchmark::State& state) {
  const SampleArchive& archive = Archive();
  const std::string labels = archive.Directory() + ".labels.csv";
  const std::string study = archive.Directory() + ".study";
  if (state.range(0) == 0) {
    TimeToolRuns(state, {"-q", "-j", "2", "-o", archive.Output(), "--late-potentials",
                         archive.Output() + ".lp", archive.Directory()}, kRecords);
  } else {
    std::string text = "record,group\n";
    for (int i = 0; i < kRecords; ++i) {
      const std::string name = wavelet::SampleRecordName(i);
      text += name.substr(0, name.find('.')) + (i % 2 == 0 ? ",patient\n" : ",control\n");
    }
    if (std::FILE* file = std::fopen(labels.c_str(), "wb")) {
      std::fwrite(text.data(), 1, text.size(), file);
      std::fclose(file);
    }
    TimeToolRuns(state, {"-q", "-j", "2", "--labels", labels, "--positive", "patient", "-o", study,
                         archive.Directory()},
                 kRecords, std::string(WAVELET_BINARY_DIR) + "/wavelet-cohort");
  }
  std::error_code ignored;
  std::filesystem::remove_all(study, ignored);
  std::filesystem::remove(labels, ignored);
  std::remove(archive.Output().c_str());
  std::remove((archive.Output() + ".lp").c_str());
}
BENCHMARK(BM_CohortAgainstBatch)->Arg(0)->Arg(1)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The tool runs the same dispatch as this process.
  benchmark::AddCustomContext(
      "correlation_path",
      wavelet::CorrelationKernelName(wavelet::ResolveCorrelationKernel(wavelet::CorrelationKernel::Fast)));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
