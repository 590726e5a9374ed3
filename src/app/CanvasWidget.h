#pragma once
// Shows one wavelet::Canvas on screen. It draws nothing of its own: it copies the
// canvas's pixels into a QImage whenever the canvas has changed and paints that.

#include <QImage>
#include <QWidget>

#include <cstdint>

#include "views/Canvas.h"

namespace wavelet {

class CanvasWidget : public QWidget {
  Q_OBJECT

 public:
  // The canvas must outlive the widget (both belong to the main window). The widget
  // takes the canvas's size as its fixed size.
  explicit CanvasWidget(const Canvas* canvas, QWidget* parent = nullptr);

  void SetCanvas(const Canvas* canvas);
  const Canvas* GetCanvas() const { return canvas_; }

  // Schedules a repaint if the canvas changed since the last copy; returns whether
  // it had. Call repaint() instead to show the change at once (e.g. mid-analysis).
  bool Refresh();

  // The pixels as last shown, brought up to date with the canvas first.
  const QImage& Image();

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool Stale() const;
  void CopyPixels();

  const Canvas* canvas_ = nullptr;
  QImage image_;
  std::uint64_t copiedGeneration_ = 0;
};

}  // namespace wavelet
