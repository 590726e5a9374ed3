#pragma once
// A helper program run for one job, whose failure costs that job only: it may crash,
// hang or flood its output, and the caller still gets an answer within the limit.

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace wavelet {

struct ChildRun {
  enum class End { Exited, Crashed, TimedOut, TooMuchOutput, NotStarted };
  End How = End::NotStarted;
  int ExitStatus = 0;  // when Exited
  int Signal = 0;      // when Crashed
  std::string Output;  // what it wrote to descriptor 3
};

// Runs `program` with `arguments` (after its own name) by posix_spawn, which is safe
// in a program with threads where a fork followed by library calls is not. The child
// gets /dev/null as standard input, output and error, its output pipe as descriptor 3
// and no other descriptor of ours; it is killed when it runs longer than `limit` or
// writes more than `maxOutput` bytes, and is always waited for.
ChildRun RunChild(const std::string& program, const std::vector<std::string>& arguments,
                  std::chrono::milliseconds limit, std::size_t maxOutput);

}  // namespace wavelet
