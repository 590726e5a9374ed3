#include "app/CanvasWidget.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>

#include "app/SaveDialog.h"
#include "app/TextForms.h"
#include "output/PngWriter.h"

namespace wavelet {

CanvasWidget::CanvasWidget(const Canvas* canvas, QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  SetCanvas(canvas);
}

void CanvasWidget::SetCanvas(const Canvas* canvas) {
  canvas_ = canvas;
  copiedGeneration_ = 0;  // generations start at 1, so the next paint copies
  const QSize size = canvas_ ? QSize(canvas_->Width(), canvas_->Height()) : QSize(0, 0);
  setFixedSize(size);
  update();
}

bool CanvasWidget::Stale() const {
  return canvas_ != nullptr && canvas_->Generation() != copiedGeneration_;
}

bool CanvasWidget::Refresh() {
  if (!Stale()) return false;
  update();
  return true;
}

const QImage& CanvasWidget::Image() {
  if (Stale()) CopyPixels();
  return image_;
}

QSize CanvasWidget::sizeHint() const {
  return canvas_ ? QSize(canvas_->Width(), canvas_->Height()) : QSize(0, 0);
}

// Canvas pixels are 0x00BBGGRR (red in the low byte); a QImage's RGB32 pixels are
// 0xFFRRGGBB, so each pixel is taken apart rather than copied as a block.
void CanvasWidget::CopyPixels() {
  const int width = canvas_->Width();
  const int height = canvas_->Height();
  if (image_.width() != width || image_.height() != height) {
    image_ = QImage(width, height, QImage::Format_RGB32);
  }
  const std::uint32_t* source = canvas_->Pixels();
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image_.scanLine(y));
    const std::uint32_t* row = source + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t c = row[x];
      line[x] = qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    }
  }
  copiedGeneration_ = canvas_->Generation();
}

void CanvasWidget::CopyImage() {
  if (canvas_ == nullptr) return;
  QGuiApplication::clipboard()->setImage(Image());
}

void CanvasWidget::SaveImageAs() {
  if (canvas_ == nullptr) return;
  QString path;
  if (SavePathChooser) {
    path = SavePathChooser();
  } else {
    path = AskSavePath(this, {"SaveImageDialog", "png", "PNG (*.png)",
                              ProposedPath ? ProposedPath() : QString()});
  }
  if (!path.isEmpty()) SaveImageTo(path);
}

bool CanvasWidget::SaveImageTo(const QString& path) {
  if (canvas_ == nullptr) return false;
  const Outcome written =
      WritePng(ToBytes(path), canvas_->Pixels(), canvas_->Width(), canvas_->Height());
  if (written.Ok) return true;
  const QString text = QStringLiteral("Cannot write [") + path + QStringLiteral("]");
  if (ErrorShown) {
    ErrorShown(text);
  } else {
    QMessageBox::warning(this, QStringLiteral("Error"), text);
  }
  return false;
}

void CanvasWidget::contextMenuEvent(QContextMenuEvent* event) {
  if (canvas_ == nullptr) return;
  QMenu menu(this);
  menu.addAction(QStringLiteral("Copy image"), this, [this] { CopyImage(); });
  menu.addAction(QStringLiteral("Save image as..."), this, [this] { SaveImageAs(); });
  menu.exec(event->globalPos());
}

void CanvasWidget::paintEvent(QPaintEvent*) {
  if (canvas_ == nullptr) return;
  if (Stale()) CopyPixels();
  QPainter painter(this);
  painter.drawImage(0, 0, image_);
}

}  // namespace wavelet
