#pragma once
// The drawing surface of the printed report: a page in device units (y grows
// downward) with a pen, a brush and a font. The window implements it on a printer;
// tests record every call, so the layout is checked without printing anything.

#include <string>

namespace wavelet {

enum class ReportPenStyle { Solid };
enum class ReportBrushStyle { Clear };
enum class ReportCharset { Ansi };

class ReportCanvas {
 public:
  virtual ~ReportCanvas() = default;

  // The printable page, whole device units; known before the job begins.
  virtual int PageWidth() const = 0;
  virtual int PageHeight() const = 0;

  // The document name the print service shows; it is not printed.
  virtual void SetJobTitle(const std::string& title) = 0;
  // False when the job cannot be started (no printer, file not writable): then
  // nothing is drawn and EndJob is not called.
  virtual bool BeginJob() = 0;
  virtual void EndJob() = 0;

  // Width 0 is the thinnest line the device can draw.
  virtual void SetPenWidth(int width) = 0;
  virtual void SetPenStyle(ReportPenStyle style) = 0;
  virtual void SetBrushStyle(ReportBrushStyle style) = 0;
  virtual void SetFont(const std::string& name, ReportCharset charset, int pointSize) = 0;

  // A line from the current position to (x, y); (x, y) becomes the current position.
  virtual void MoveTo(int x, int y) = 0;
  virtual void LineTo(int x, int y) = 0;
  // Outline only (with a clear brush) between the corners (x1, y1) and (x2, y2).
  virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
  // Text with its top-left corner at (x, y).
  virtual void TextOut(int x, int y, const std::string& text) = 0;
};

}  // namespace wavelet
