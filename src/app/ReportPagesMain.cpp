// wavelet-report-pages: the reports of many records as the pages of one PDF file,
// drawn by the window's report code and page renderer. wavelet-batch --reports runs
// it, so the batch tool itself needs no toolkit; it needs no display either.
//
//   wavelet-report-pages [--page a4|letter] OUTPUT.pdf
//
// reads PATH NUL NAME NUL pairs on standard input: the record files in page order and
// their work-list names. Unreadable records get no page and no message (the batch
// tool has reported them). Exit status 0 when the file is written, 1 when not, 2 for
// a usage error.

#include <QApplication>
#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "app/ReportDocument.h"
#include "session/HeadlessReport.h"
#include "version/Version.h"

namespace {

const char kUsage[] =
    "usage: wavelet-report-pages [--page a4|letter] OUTPUT.pdf < PATH\\0NAME\\0...\n";

std::vector<std::string> ReadPairs() {
  const std::string input((std::istreambuf_iterator<char>(std::cin)),
                          std::istreambuf_iterator<char>());
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t end; (end = input.find('\0', start)) != std::string::npos; start = end + 1) {
    fields.push_back(input.substr(start, end - start));
  }
  return fields;
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

  const std::vector<std::string> pairs = ReadPairs();
  Workbench bench;
  bench.StartUp();
  WorkbenchReportSources sources(bench);
  ReportDocument document(output, PortraitPage(letter));
  for (std::size_t i = 0; i + 1 < pairs.size() && document.Good(); i += 2) {
    document.Print(bench.Analysis(), bench.Record(), sources.ForRecord(pairs[i], pairs[i + 1]));
  }
  return document.Finish() ? 0 : 1;
}
