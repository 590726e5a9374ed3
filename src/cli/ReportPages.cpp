#include "cli/ReportPages.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "base/AtomicFile.h"
#include "output/RecordedPage.h"
#include "output/Report.h"

namespace wavelet::cli {
namespace {

constexpr const char* kProgram = "wavelet-report-pages";
constexpr int kDeadlineSeconds = 30;
// What writing its file may take a companion per page it holds, beyond the deadline.
constexpr auto kFinishPerPage = std::chrono::milliseconds(100);

std::string NoAnswerText(int seconds) {
  return "the page program did not answer within " + std::to_string(seconds) + " s";
}

}  // namespace

std::string FindReportPagesProgram() { return FindCompanionProgram(kProgram); }

int ReportPagesDeadlineSeconds() {
  const char* text = std::getenv("WAVELET_PAGE_DEADLINE");
  int seconds = 0;
  if (text == nullptr) return kDeadlineSeconds;
  const char* end = text + std::strlen(text);
  const auto [stop, error] = std::from_chars(text, end, seconds);
  return error == std::errc() && stop == end && seconds > 0 ? seconds : kDeadlineSeconds;
}

ReportPagesRun::~ReportPagesRun() {
  if (!companions_.empty()) Finish();
}

void ReportPagesRun::Fail(const std::string& reason) {
  if (!failed_ && reason_.empty()) reason_ = reason;
  failed_ = true;
}

bool ReportPagesRun::Await(Companion& companion, char expected, ChildClock::time_point deadline,
                           int seconds, std::string& payload) {
  char tag = 0;
  const FrameStatus status =
      ReadFrame(companion.Process.Channel(), kLargestPagesAnswer, deadline, tag, payload);
  if (status == FrameStatus::Frame && tag == expected) return true;
  if (status == FrameStatus::TimedOut) {
    companion.Process.Kill();
    Fail(NoAnswerText(seconds));
  } else if (status == FrameStatus::Frame && tag == kPagesFailedFrame) {
    Fail(payload);
  } else {
    Fail("the page program ended without an answer");
  }
  return false;
}

bool ReportPagesRun::Start(const std::string& program, const std::string& output, bool letter,
                           int companions) {
  output_ = output;
  deadline_ = ReportPagesDeadlineSeconds();
  companions_.resize(static_cast<std::size_t>(companions < 1 ? 1 : companions));
  for (std::size_t k = 0; k < companions_.size(); ++k) {
    Companion& companion = companions_[k];
    // One companion writes the target itself; several write parts beside it.
    companion.Output = companions_.size() == 1
                           ? output
                           : output + ".part" + std::to_string(k) + "." + std::to_string(::getpid());
    std::vector<std::string> arguments{"--page", letter ? "letter" : "a4"};
    if (companions_.size() > 1) arguments.push_back("--part");
    arguments.push_back(companion.Output);
    companion.Process =
        Child::Start(program, arguments, ChildChannel::SocketOnStandardInputAndOutput);
    if (!companion.Process.Started()) {
      failed_ = true;
      return false;
    }
  }
  // The page in the device units the pages are laid out in, the same from every one.
  const ChildClock::time_point deadline = ChildClock::now() + std::chrono::seconds(deadline_);
  for (Companion& companion : companions_) {
    std::string answer;
    if (!Await(companion, kPageSizeFrame, deadline, deadline_, answer)) return true;
    PayloadCursor in(answer);
    std::int32_t width = 0, height = 0;
    if (!in.Take(width) || !in.Take(height) || !in.AtEnd() || width <= 0 || height <= 0 ||
        (width_ != 0 && (width != width_ || height != height_))) {
      width_ = height_ = 0;
      Fail("the page programs gave no page size");
      return true;
    }
    width_ = width;
    height_ = height;
  }
  return true;
}

bool ReportPagesRun::Send(const std::string& page, const std::string& entry) {
  if (failed_ || companions_.empty()) return false;
  if (order_.empty()) firstEntry_ = entry;
  lastEntry_ = entry;
  const std::size_t k = order_.size() % companions_.size();
  Companion& companion = companions_[k];
  const ChildClock::time_point deadline = ChildClock::now() + std::chrono::seconds(deadline_);
  Child::Send sent = companion.Process.SendBefore(FrameHead(kPageFrame, page.size()), deadline);
  if (sent == Child::Send::Sent) sent = companion.Process.SendBefore(page, deadline);
  if (sent == Child::Send::TimedOut) {
    companion.Process.Kill();
    Fail(NoAnswerText(deadline_));
  }
  if (sent != Child::Send::Sent) {
    Fail("the page program ended early");
    return false;
  }
  order_.push_back({static_cast<int>(k), companion.Pages++});
  return true;
}

// The companion's answer that its file is written (after the end frame), and its exit.
bool ReportPagesRun::Written(Companion& companion, ChildClock::time_point deadline, int seconds) {
  if (failed_) return false;
  std::string answer;
  if (!Await(companion, kPagesDoneFrame, deadline, seconds, answer)) return false;
  const Child::Exit exit = companion.Process.AwaitExit(deadline);
  if (exit.Ended == Child::Exit::How::StillRunning) Fail(NoAnswerText(seconds));
  return !failed_ && exit.Ended == Child::Exit::How::Exited && exit.Status == 0;
}

bool ReportPagesRun::Finish() {
  // Every companion is told the end first, so that they write their files side by
  // side; each may take the deadline and a little more per page it holds.
  const auto allowance =
      std::chrono::seconds(deadline_) + (order_.size() / std::max<std::size_t>(1, companions_.size()) + 1) * kFinishPerPage;
  const int seconds = static_cast<int>(std::chrono::ceil<std::chrono::seconds>(allowance).count());
  const ChildClock::time_point deadline = ChildClock::now() + allowance;
  for (Companion& companion : companions_) {
    if (failed_) break;
    const Child::Send sent = companion.Process.SendBefore(FrameHead(kPagesEndFrame, 0), deadline);
    if (sent == Child::Send::TimedOut) Fail(NoAnswerText(seconds));
    if (sent != Child::Send::Sent) Fail("the page program ended early");
  }
  for (Companion& companion : companions_) {
    if (!Written(companion, deadline, seconds)) companion.Process.Kill();
  }
  bool written = !failed_;
  if (companions_.size() > 1) {
    // A companion that got no page writes no part (fewer readable records than
    // workers): only the parts with pages are merged, numbered among themselves.
    std::vector<PdfPart> parts;
    std::vector<int> partOf(companions_.size(), -1);
    for (std::size_t k = 0; k < companions_.size(); ++k) {
      if (companions_[k].Pages == 0) continue;
      partOf[k] = static_cast<int>(parts.size());
      parts.push_back({companions_[k].Output});
    }
    std::vector<PageSource> order = order_;
    for (PageSource& source : order) source.Part = partOf[static_cast<std::size_t>(source.Part)];
    // With no page at all the target is not written either.
    if (written && !order.empty()) {
      const std::string title =
          ReportDocumentTitle(firstEntry_, lastEntry_, static_cast<int>(order.size()));
      AtomicFileWriter file(output_);
      const Outcome merged = WritePdfDocument(parts, order, title, file);
      written = merged.Ok;
      if (!merged.Ok) reason_ = merged.Reason;
    }
    for (const Companion& companion : companions_) ::unlink(companion.Output.c_str());
  }
  companions_.clear();
  return written;
}

}  // namespace wavelet::cli
