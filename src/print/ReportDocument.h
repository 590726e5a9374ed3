#pragma once
// Reports of many records as the pages of one PDF file, drawn by the same report code
// and page renderer as a printed page. The toolkit writes the texts into a scratch file
// and the line art goes to scratch streams; at the end one pass puts the document
// together into the atomic writer, with the checks of the CSV export.

#include <QPageLayout>

#include <memory>
#include <string>

#include "base/AtomicFile.h"
#include "output/RecordedPage.h"
#include "print/ReportPrinting.h"

namespace wavelet {

class PdfPageContent;
class PdfPageStreams;
class QtReportCanvas;

class ReportDocument {
 public:
  // `layout`: the page size and orientation (the window passes its printer's);
  // `resolution`: the device units per inch the pages are laid out in (0: the printer
  // dialog's high resolution).
  // `sync`: Scratch for a part of a document that is merged and removed within the run.
  ReportDocument(const std::string& path, const QPageLayout& layout, int resolution = 0,
                 SyncPolicy sync = SyncPolicy::Durable);
  ~ReportDocument();
  ReportDocument(const ReportDocument&) = delete;
  ReportDocument& operator=(const ReportDocument&) = delete;

  // False once anything has failed (including creating the file).
  bool Good() const;
  // One page: Printed, RecordUnreadable (no page) or JobFailed (the file failed; no
  // later page is attempted).
  PrintStatus Print(AnalysisState& state, LoadedRecord& record, ReportSources& sources);
  // One page recorded elsewhere: Printed, or JobFailed as above.
  PrintStatus Replay(const RecordedPage& page);
  // The page in device units, as pages to be replayed here must be laid out.
  int PageWidth() const;
  int PageHeight() const;
  int Pages() const { return pages_; }
  // Closes the file and puts it in place. With no page at all nothing is written and
  // an earlier file of that name stays. False when the file could not be written.
  bool Finish();
  const std::string& Path() const { return path_; }
  // Why the file could not be made or written, when known (empty otherwise).
  const std::string& FailureReason() const { return reason_; }

 private:
  void Counted(const std::string& entry);

  std::string path_;
  std::unique_ptr<AtomicFileWriter> file_;
  FileDescriptor textFile_;  // the toolkit's scratch file, when it has no name
  std::string textPages_;    // the name the toolkit writes it by
  bool namedText_ = false;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<PdfPageStreams> streams_;
  std::unique_ptr<PdfPageContent> lines_;
  std::unique_ptr<QtReportCanvas> canvas_;
  int pages_ = 0;
  std::string firstEntry_;
  std::string lastEntry_;
  std::string reason_;
  bool failed_ = false;
};

// A4 or Letter, portrait, for the headless reports.
QPageLayout PortraitPage(bool letter);

}  // namespace wavelet
