// wavelet-read-recording FILE MAX-SAMPLES [--leads A B C]
//
// Reads one recording with libbiosig and writes the reader stream to descriptor 3.
// Started by the programs of the workbench, one run per file; nobody else calls it.

#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <cstring>
#include <string>

#include "acquisition/BiosigChild.h"

namespace {

constexpr int kStreamDescriptor = 3;

void Limit(int resource, rlim_t value) {
  const rlimit limit{value, value};
  ::setrlimit(resource, &limit);
}

bool ParseCount(const char* text, std::size_t& value) {
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, value);
  return error == std::errc() && stop == end && stop != text;
}

}  // namespace

int main(int argc, char** argv) {
  wavelet::ReadOptions options;
  if ((argc != 3 && argc != 7) || !ParseCount(argv[2], options.MaxSamples) ||
      (argc == 7 && std::strcmp(argv[3], "--leads") != 0)) {
    static const char kUsage[] = "usage: wavelet-read-recording FILE MAX-SAMPLES [--leads A B C]\n";
    (void)!::write(STDERR_FILENO, kUsage, sizeof kUsage - 1);
    return 2;
  }
  if (argc == 7) options.LeadNames = std::array<std::string, 3>{argv[4], argv[5], argv[6]};
  // A crash leaves no core file behind in the user's directory, and a runaway parse
  // ends by itself even if nobody waits for it.
  Limit(RLIMIT_CORE, 0);
  Limit(RLIMIT_CPU, 60);
  return wavelet::ReadWithBiosig(argv[1], options, kStreamDescriptor);
}
