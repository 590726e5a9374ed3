#pragma once
// A report canvas that keeps every call, for checking the page layout without a
// printer; also a flat list of the line segments and rectangles with the pen width
// they were drawn with.

#include <string>
#include <vector>

#include "output/ReportCanvas.h"

namespace wavelet::testing {

struct ReportCall {
  enum class Kind { JobTitle, BeginJob, EndJob, PenWidth, PenStyle, BrushStyle, Font,
                    MoveTo, LineTo, Rectangle, Text };
  Kind What = Kind::BeginJob;
  int A = 0, B = 0, C = 0, D = 0;
  std::string Text;
  bool operator==(const ReportCall&) const = default;
};

// A line segment from (X1, Y1) to (X2, Y2), or a rectangle with those corners.
struct RecordedSegment {
  int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
  int PenWidth = 0;
};
using RecordedRectangle = RecordedSegment;

struct RecordedText {
  int X = 0, Y = 0;
  std::string Text;
};

class RecordingReportCanvas : public ReportCanvas {
 public:
  RecordingReportCanvas(int width, int height, bool acceptJob = true)
      : width_(width), height_(height), acceptJob_(acceptJob) {}

  int PageWidth() const override { return width_; }
  int PageHeight() const override { return height_; }
  void SetJobTitle(const std::string& title) override {
    Calls.push_back({ReportCall::Kind::JobTitle, 0, 0, 0, 0, title});
  }
  bool BeginJob() override {
    Calls.push_back({ReportCall::Kind::BeginJob, acceptJob_ ? 1 : 0, 0, 0, 0, {}});
    return acceptJob_;
  }
  void EndJob() override { Calls.push_back({ReportCall::Kind::EndJob, 0, 0, 0, 0, {}}); }
  void SetPenWidth(int width) override {
    penWidth_ = width;
    Calls.push_back({ReportCall::Kind::PenWidth, width, 0, 0, 0, {}});
  }
  void SetPenStyle(ReportPenStyle style) override {
    Calls.push_back({ReportCall::Kind::PenStyle, static_cast<int>(style), 0, 0, 0, {}});
  }
  void SetBrushStyle(ReportBrushStyle style) override {
    Calls.push_back({ReportCall::Kind::BrushStyle, static_cast<int>(style), 0, 0, 0, {}});
  }
  void SetFont(const std::string& name, ReportCharset charset, int pointSize) override {
    Calls.push_back({ReportCall::Kind::Font, static_cast<int>(charset), pointSize, 0, 0, name});
  }
  void MoveTo(int x, int y) override {
    x_ = x;
    y_ = y;
    Calls.push_back({ReportCall::Kind::MoveTo, x, y, 0, 0, {}});
  }
  void LineTo(int x, int y) override {
    Segments.push_back({x_, y_, x, y, penWidth_});
    x_ = x;
    y_ = y;
    Calls.push_back({ReportCall::Kind::LineTo, x, y, 0, 0, {}});
  }
  void Rectangle(int x1, int y1, int x2, int y2) override {
    Rectangles.push_back({x1, y1, x2, y2, penWidth_});
    Calls.push_back({ReportCall::Kind::Rectangle, x1, y1, x2, y2, {}});
  }
  void TextOut(int x, int y, const std::string& text) override {
    Texts.push_back({x, y, text});
    Calls.push_back({ReportCall::Kind::Text, x, y, 0, 0, text});
  }

  std::vector<ReportCall> Calls;
  std::vector<RecordedSegment> Segments;
  std::vector<RecordedRectangle> Rectangles;
  std::vector<RecordedText> Texts;

 private:
  int width_;
  int height_;
  bool acceptJob_;
  int penWidth_ = 0;
  int x_ = 0;
  int y_ = 0;
};

}  // namespace wavelet::testing
