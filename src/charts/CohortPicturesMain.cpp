// wavelet-cohort-pictures: the pictures and the PDF of a study that wavelet-cohort
// computed, drawn off-screen with Qt Charts, so the study tool itself needs no
// toolkit. It reads no record.
//
//   wavelet-cohort-pictures --report FILE DIR
//
// FILE holds the report in its text form (SerializeReport); the pictures go to
// DIR/figures/ as PNG and SVG, the tables and the pictures to DIR/cohort.pdf, each
// written atomically. Messages go to standard error and, when it is open, to
// descriptor 3 (the study tool reads them there). Exit status 0 when everything is
// written, 1 when not, 2 for a usage error.

#include <QApplication>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/AtomicFile.h"
#include "base/FileDescriptor.h"
#include "charts/CohortCharts.h"
#include "cohort/CohortTables.h"
#include "version/Version.h"

namespace {

constexpr const char* kProgram = "wavelet-cohort-pictures";

void Say(const std::string& text) {
  const std::string line = std::string(kProgram) + ": " + text + "\n";
  std::fputs(line.c_str(), stderr);
  if (::fcntl(3, F_GETFD) != -1) (void)wavelet::WriteAll(3, line);
}

bool ReadFile(const std::string& path, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[1 << 16];
  ssize_t got;
  while ((got = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(got));
  ::close(fd);
  return got == 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace wavelet;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  if (arguments.size() == 1 && arguments[0] == "--version") {
    std::printf("%s %s\n", kProgram, kBuildVersion);
    return 0;
  }
  if (arguments.size() != 3 || arguments[0] != "--report" || arguments[2].empty()) {
    std::fputs("usage: wavelet-cohort-pictures --report FILE DIR\n", stderr);
    return 2;
  }
  std::string text;
  if (!ReadFile(arguments[1], text)) {
    Say("Cannot read [" + arguments[1] + "]");
    return 1;
  }
  const std::optional<cohort::CohortReport> report = cohort::ParseReport(text);
  if (!report) {
    Say("[" + arguments[1] + "] holds no study report");
    return 1;
  }
  const std::string directory = arguments[2];

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) Say(message.toStdString());
  });
  int qtArgc = 1;
  QApplication app(qtArgc, argv);

  std::vector<charts::CohortPicture> pictures = charts::CohortPictures(*report);
  bool ok = true;
  // The pictures of one run are synced once and renamed together.
  DeferredRenames renames;
  const QSize size(charts::kPictureWidth, charts::kPictureHeight);
  for (charts::CohortPicture& picture : pictures) {
    const std::string stem = directory + "/figures/" + picture.Stem;
    for (const auto& [path, bytes] :
         {std::pair{stem + ".png", charts::ChartPng(*picture.Chart, size)},
          std::pair{stem + ".svg", charts::ChartSvg(*picture.Chart, size, picture.Chart->title())}}) {
      AtomicFileWriter writer(path, renames);
      writer.Write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      const Outcome written = writer.Commit();
      if (!written.Ok) {
        Say(written.Message());
        ok = false;
      }
    }
  }
  const Outcome renamed = renames.Finish();
  if (!renamed.Ok) {
    Say(renamed.Message());
    ok = false;
  }
  const QByteArray pdf = charts::CohortPdf(*report, pictures);
  AtomicFileWriter writer(directory + "/cohort.pdf");
  writer.Write(std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())));
  const Outcome written = pdf.isEmpty() ? Outcome::Failure(FailureKind::Failed, CannotWriteText(writer.Path()))
                                        : writer.Commit();
  if (!written.Ok) {
    Say(written.Message());
    ok = false;
  }
  return ok ? 0 : 1;
}
