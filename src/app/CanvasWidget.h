#pragma once
// Shows one wavelet::Canvas on screen. It draws nothing of its own: it copies the
// canvas's pixels into a QImage whenever the canvas has changed and paints that.

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

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

  // The context menu's commands: the pixels to the clipboard, or to a PNG file
  // written exactly as wavelet-batch --images writes it. SaveImageTo reports a
  // failure through ErrorShown; false then.
  void CopyImage();
  void SaveImageAs();
  bool SaveImageTo(const QString& path);
  // Where the save dialog is skipped (tests): the path to save to, empty = cancel.
  std::function<QString()> SavePathChooser;
  // Shows "Cannot write [path]" (the window's error box); a plain warning when unset.
  std::function<void(const QString&)> ErrorShown;
  // The file "Save image as..." proposes (the record's name and the picture's suffix
  // in the records' folder); unset: none.
  std::function<QString()> ProposedPath;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  bool Stale() const;
  void CopyPixels();

  const Canvas* canvas_ = nullptr;
  QImage image_;
  std::uint64_t copiedGeneration_ = 0;
};

}  // namespace wavelet
