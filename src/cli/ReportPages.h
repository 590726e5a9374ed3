#pragma once
// The PDF of --reports: the pages are recorded by the workers as they analyse each
// record, and rendered by the companion program wavelet-report-pages (the window's
// page renderer, which needs the toolkit this tool does without). A companion never
// reads or analyses a record: it tells its page size when it starts, then draws each
// page it is sent, in order. With several companions (one per worker) the pages go to
// them in turn, each writes a part beside the target, and the parts are merged into
// the target in the pages' order.

#include <string>
#include <vector>

#include "base/CompanionProgram.h"
#include "output/PdfFiles.h"

namespace wavelet::cli {

// The companion beside this program, else where the package installs it
// (<bin>/../libexec/wavelet); empty when neither exists.
std::string FindReportPagesProgram();

// How long a companion may take to answer: to give its page size, to take each page
// (drawing the one before; a page takes about 10 ms), and to write its file after the
// last (qpdf's pass over its pages) with a tenth of a second more per page it holds. A
// machine far slower or busier than any we know stays well inside it, and a companion
// that hangs is given up within it. WAVELET_PAGE_DEADLINE (seconds) replaces the 30 s.
int ReportPagesDeadlineSeconds();

class ReportPagesRun {
 public:
  ReportPagesRun() = default;
  ~ReportPagesRun();
  ReportPagesRun(const ReportPagesRun&) = delete;
  ReportPagesRun& operator=(const ReportPagesRun&) = delete;

  // Starts `companions` programs for `output` and waits for their page size. False
  // when one could not be started; when they started but cannot write, they give no
  // page size (Ready() is false) and Finish reports the failure.
  bool Start(const std::string& program, const std::string& output, bool letter, int companions);
  bool Ready() const { return width_ > 0 && height_ > 0; }
  int PageWidth() const { return width_; }
  int PageHeight() const { return height_; }
  // The next page (SerializePage), to the companions in turn. False once one has gone
  // or failed to take a page within the deadline.
  bool Send(const std::string& page, const std::string& entry);
  // Ends the lists, waits for the companions and merges their parts; true when the
  // file is written. A companion late to answer is killed.
  bool Finish();
  // Why the file was not written, when known (empty otherwise).
  const std::string& FailureReason() const { return reason_; }

 private:
  struct Companion {
    Child Process;
    std::string Output;
    int Pages = 0;
  };
  void Fail(const std::string& reason);
  // The companion's answer before `deadline`: true for `expected`, with its payload.
  bool Await(Companion& companion, char expected, ChildClock::time_point deadline, int seconds,
             std::string& payload);
  bool Written(Companion& companion, ChildClock::time_point deadline, int seconds);

  std::vector<Companion> companions_;
  std::vector<PageSource> order_;
  std::string output_;
  std::string firstEntry_;
  std::string lastEntry_;
  std::string reason_;
  int deadline_ = 30;
  int width_ = 0;
  int height_ = 0;
  bool failed_ = false;
};

}  // namespace wavelet::cli
