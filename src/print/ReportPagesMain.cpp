// wavelet-report-pages: the pages that wavelet-batch --reports recorded, rendered as
// the pages of one PDF file by the window's page renderer, so the batch tool itself
// needs no toolkit; it needs no display either. It never reads or analyses a record.
//
//   wavelet-report-pages [--page a4|letter] [--part] OUTPUT.pdf
//
// With --part the file is one part of a document, merged and removed within the run,
// so it is not synced.
//
// Standard input and output are one socket carrying helper frames: it answers with
// the page size the pages must be laid out in (or why it cannot write), reads pages
// until the end frame, and answers once the file is written (or why not). Exit status
// 0 when the file is written, 1 when not (also for a damaged page or input that ends
// early), 2 for a usage error.

#include <QApplication>
#include <QByteArray>

#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/CompanionProgram.h"
#include "base/LargeBuffers.h"
#include "output/RecordedPage.h"
#include "print/ReportDocument.h"
#include "version/Version.h"

namespace {

const char kUsage[] = "usage: wavelet-report-pages [--page a4|letter] [--part] OUTPUT.pdf\n";

// The answer to wavelet-batch; false when it has gone.
bool Answer(char tag, std::string_view payload) {
  return wavelet::WriteFrame(STDOUT_FILENO, tag, payload, MSG_NOSIGNAL);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace wavelet;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && arguments[0] == "--version") {
    std::printf("wavelet-report-pages %s\n", kBuildVersion);
    return 0;
  }
  bool letter = false;
  if (arguments.size() >= 3 && arguments[0] == "--page") {
    if (arguments[1] != "a4" && arguments[1] != "letter") {
      std::fputs(kUsage, stderr);
      return 2;
    }
    letter = arguments[1] == "letter";
    arguments.erase(arguments.begin(), arguments.begin() + 2);
  }
  const bool part = arguments.size() == 2 && arguments[0] == "--part";
  if (part) arguments.erase(arguments.begin());
  if (arguments.size() != 1 || arguments[0].empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string output = arguments[0];

  // Pages need fonts, not a screen. The toolkit's notes about its surroundings (no
  // runtime directory and the like) are not the batch tool's business.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
      std::fprintf(stderr, "wavelet-report-pages: %s\n", text.toLocal8Bit().constData());
    }
  });
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  KeepLargeBuffersInTheHeap();  // each page's commands and content, page after page

  ReportDocument document(output, PortraitPage(letter), 0, part ? SyncPolicy::Scratch : SyncPolicy::Durable);
  if (!document.Good()) {
    (void)Answer(kPagesFailedFrame, document.FailureReason());
    return 1;
  }
  std::string size;
  AppendLittleEndian(size, static_cast<std::int32_t>(document.PageWidth()));
  AppendLittleEndian(size, static_cast<std::int32_t>(document.PageHeight()));
  if (!Answer(kPageSizeFrame, size)) return 1;
  std::string bytes;
  for (;;) {
    char tag = 0;
    const FrameStatus status =
        ReadFrame(STDIN_FILENO, kLargestPageFrame, ChildClock::time_point::max(), tag, bytes);
    if (status == FrameStatus::Frame && tag == kPagesEndFrame) break;
    // Input that ends early: wavelet-batch has gone, and the file is not written.
    if (status == FrameStatus::End) return 1;
    const std::optional<RecordedPage> page =
        status == FrameStatus::Frame && tag == kPageFrame ? ParsePage(bytes) : std::nullopt;
    if (!page) {
      std::fputs("wavelet-report-pages: a damaged page was received\n", stderr);
      return 1;
    }
    if (document.Replay(*page) != PrintStatus::Printed) break;
  }
  if (!document.Finish()) {
    (void)Answer(kPagesFailedFrame, document.FailureReason());
    return 1;
  }
  return Answer(kPagesDoneFrame, {}) ? 0 : 1;
}
