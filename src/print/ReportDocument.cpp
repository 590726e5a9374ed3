#include "print/ReportDocument.h"

#include <QPageSize>
#include <QPrinter>

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <vector>

#include "print/QtReportCanvas.h"
#include "base/AtomicFile.h"
#include "output/PdfFiles.h"
#include "output/PdfPageContent.h"
#include "output/Report.h"

namespace wavelet {

ReportDocument::ReportDocument(const std::string& path, const QPageLayout& layout, int resolution,
                               SyncPolicy sync)
    : path_(path), file_(std::make_unique<AtomicFileWriter>(path, InPlaceFallback::Refused, sync)) {
  if (!file_->Good()) {
    failed_ = true;
    reason_ = file_->Commit().Reason;
    return;
  }
  // The toolkit's text pages and the line art are scratch, beside the document (whose
  // file system has to hold the pages anyway): never synced, removed at the end.
  const std::filesystem::path target(path);
  const std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
  // A nameless file where the file system has them, so that a page program stopped
  // part way leaves nothing behind; else a hidden name, removed at the end.
  textFile_ = FileDescriptor(::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
  if (textFile_.Valid()) {
    textPages_ = "/proc/self/fd/" + std::to_string(textFile_.Get());
  } else {
    static std::atomic<unsigned> counter{0};
    textPages_ = (folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                            std::to_string(counter++) + ".pages.tmp"))
                     .string();
    namedText_ = true;
  }
  // The print dialog's PDF output.
  printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer_->setOutputFormat(QPrinter::PdfFormat);
  if (resolution > 0) printer_->setResolution(resolution);
  printer_->setOutputFileName(QString::fromStdString(textPages_));
  printer_->setPageLayout(layout);
  printer_->setCopyCount(1);
  canvas_ = std::make_unique<QtReportCanvas>(*printer_);
  canvas_->SetPageSequence(true);
  // The toolkit writes the texts; the lines and rectangles are written here and added
  // to each page when the document is finished.
  streams_ = std::make_unique<PdfPageStreams>(folder.string());
  lines_ = std::make_unique<PdfPageContent>(*streams_);
  canvas_->SendLinesTo(lines_.get());
}

ReportDocument::~ReportDocument() {
  canvas_.reset();
  printer_.reset();
  if (namedText_) ::unlink(textPages_.c_str());
}

bool ReportDocument::Good() const { return !failed_; }

PrintStatus ReportDocument::Print(AnalysisState& state, LoadedRecord& record,
                                  ReportSources& sources) {
  if (failed_) return PrintStatus::JobFailed;
  switch (PrintReport(*canvas_, state, record, sources)) {
    case ReportOutcome::Printed:
      Counted(sources.WorkListEntry());
      return PrintStatus::Printed;
    case ReportOutcome::RecordUnreadable:
      return PrintStatus::RecordUnreadable;
    case ReportOutcome::JobNotStarted:
      break;
  }
  failed_ = true;
  return PrintStatus::JobFailed;
}

PrintStatus ReportDocument::Replay(const RecordedPage& page) {
  if (failed_) return PrintStatus::JobFailed;
  if (!ReplayPage(page, *canvas_)) {
    failed_ = true;
    return PrintStatus::JobFailed;
  }
  Counted(page.Entry);
  return PrintStatus::Printed;
}

void ReportDocument::Counted(const std::string& entry) {
  if (pages_++ == 0) firstEntry_ = entry;
  lastEntry_ = entry;
}

int ReportDocument::PageWidth() const { return canvas_ ? canvas_->PageWidth() : 0; }
int ReportDocument::PageHeight() const { return canvas_ ? canvas_->PageHeight() : 0; }

bool ReportDocument::Finish() {
  if (canvas_ && !canvas_->EndDocument()) failed_ = true;
  if (failed_) {
    file_->Discard();
    return false;
  }
  if (pages_ == 0) {
    file_->Discard();
    return true;
  }
  if (!streams_->Good()) {
    file_->Discard();
    reason_ = "the line art could not be kept";
    return false;
  }
  // The title the first page gave the document names only that record.
  const std::string title =
      pages_ > 1 ? ReportDocumentTitle(firstEntry_, lastEntry_, pages_) : std::string();
  std::vector<PageSource> order;
  for (int page = 0; page < pages_; ++page) order.push_back({0, page});
  const Outcome written = WritePdfDocument({{textPages_, streams_.get()}}, order, title, *file_);
  if (!written.Ok) reason_ = written.Reason;
  return written.Ok;
}

QPageLayout PortraitPage(bool letter) {
  // The margins a new printer has, as the print dialog starts with them.
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setPageSize(QPageSize(letter ? QPageSize::Letter : QPageSize::A4));
  printer.setPageOrientation(QPageLayout::Portrait);
  return printer.pageLayout();
}

}  // namespace wavelet
