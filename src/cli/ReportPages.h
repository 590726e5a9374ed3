#pragma once
// The PDF of --reports: the pages are recorded by the workers as they analyse each
// record, and rendered by the companion program wavelet-report-pages (the window's
// page renderer, which needs the toolkit this tool does without). The companion never
// reads or analyses a record: it tells its page size when it starts, then draws each
// page it is sent, in order.

#include <sys/types.h>

#include <string>

namespace wavelet::cli {

// The companion beside this program, else where the package installs it
// (<bin>/../libexec/wavelet); empty when neither exists.
std::string FindReportPagesProgram();

class ReportPagesRun {
 public:
  ReportPagesRun() = default;
  ~ReportPagesRun();
  ReportPagesRun(const ReportPagesRun&) = delete;
  ReportPagesRun& operator=(const ReportPagesRun&) = delete;

  // Starts `program` writing `output` and waits for its page size. False when it could
  // not be started; when it started but cannot write the file, it gives no page size
  // (Ready() is false) and Finish reports the failure.
  bool Start(const std::string& program, const std::string& output, bool letter);
  bool Ready() const { return width_ > 0 && height_ > 0; }
  int PageWidth() const { return width_; }
  int PageHeight() const { return height_; }
  // One recorded page (SerializePage). False once the companion has gone.
  bool Send(const std::string& page);
  // Ends the list and waits; true when the companion wrote the file.
  bool Finish();

 private:
  pid_t pid_ = -1;
  int socket_ = -1;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace wavelet::cli
