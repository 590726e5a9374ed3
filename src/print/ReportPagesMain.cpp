// wavelet-report-pages: the pages that wavelet-batch --reports recorded, rendered as
// the pages of one PDF file by the window's page renderer, so the batch tool itself
// needs no toolkit; it needs no display either. It never reads or analyses a record.
//
//   wavelet-report-pages [--page a4|letter] OUTPUT.pdf
//
// Standard input and output are one socket: it first writes "WIDTH HEIGHT\n", the page
// in the device units the pages must be laid out in, then reads pages, each an 8-byte
// little-endian length followed by a recorded page, until the end of the input. Exit
// status 0 when the file is written, 1 when not (also for a damaged page), 2 for a
// usage error.

#include <QApplication>
#include <QByteArray>

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/FileDescriptor.h"
#include "base/LargeBuffers.h"
#include "output/RecordedPage.h"
#include "print/ReportDocument.h"
#include "version/Version.h"

namespace {

const char kUsage[] = "usage: wavelet-report-pages [--page a4|letter] OUTPUT.pdf\n";

// A recorded page is a few hundred kilobytes; anything near this is not one.
constexpr std::uint64_t kLargestPage = std::uint64_t{1} << 30;

// Reads exactly `size` bytes: the count read, less only at the end of the input.
std::size_t ReadFully(int fd, char* data, std::size_t size) {
  std::size_t total = 0;
  while (total < size) {
    const ssize_t got = ::read(fd, data + total, size - total);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    total += static_cast<std::size_t>(got);
  }
  return total;
}

enum class Frame { Page, End, Damaged };

Frame ReadFrame(std::string& bytes) {
  char size[8];
  const std::size_t got = ReadFully(STDIN_FILENO, size, sizeof size);
  if (got == 0) return Frame::End;
  if (got != sizeof size) return Frame::Damaged;
  std::uint64_t length = 0;
  for (int i = 7; i >= 0; --i) length = (length << 8) | static_cast<unsigned char>(size[i]);
  if (length > kLargestPage) return Frame::Damaged;
  bytes.resize(static_cast<std::size_t>(length));
  return ReadFully(STDIN_FILENO, bytes.data(), bytes.size()) == bytes.size() ? Frame::Page
                                                                              : Frame::Damaged;
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
  if (arguments.size() == 3 && arguments[0] == "--page") {
    if (arguments[1] != "a4" && arguments[1] != "letter") {
      std::fputs(kUsage, stderr);
      return 2;
    }
    letter = arguments[1] == "letter";
    arguments.erase(arguments.begin(), arguments.begin() + 2);
  }
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

  ReportDocument document(output, PortraitPage(letter));
  const std::string size =
      std::to_string(document.PageWidth()) + " " + std::to_string(document.PageHeight()) + "\n";
  if (!document.Good() || !WriteAll(STDOUT_FILENO, size)) return 1;
  std::string bytes;
  for (;;) {
    const Frame frame = ReadFrame(bytes);
    if (frame == Frame::End) break;
    const std::optional<RecordedPage> page =
        frame == Frame::Page ? ParsePage(bytes) : std::nullopt;
    if (!page) {
      std::fputs("wavelet-report-pages: a damaged page was received\n", stderr);
      return 1;
    }
    if (document.Replay(*page) != PrintStatus::Printed) break;
  }
  return document.Finish() ? 0 : 1;
}
