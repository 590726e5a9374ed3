// The report's page renderers, on a printer and into a PDF document, against the
// yardstick of one stroke per line.

#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <string>

#include "analysis/AnalysisState.h"
#include "print/QtReportCanvas.h"
#include "print/ReportDocument.h"
#include "session/ReportDriver.h"
#include "support/FakeReportSources.h"
#include "support/AppTestSupport.h"
#include "support/Records.h"

using namespace wavelet;
using apptest::RenderedPdfPage;
using apptest::SetUpPdf;

namespace {

// The yardstick: each line a stroke of its own, the pen and font set on every call.
class LineByLineCanvas final : public ReportCanvas {
 public:
  explicit LineByLineCanvas(QPrinter& printer) : printer_(printer) {}
  int PageWidth() const override { return printer_.width(); }
  int PageHeight() const override { return printer_.height(); }
  void SetJobTitle(const std::string&) override {}
  bool BeginJob() override {
    if (!painter_.begin(&printer_)) return false;
    painter_.setPen(pen_);
    return true;
  }
  void EndJob() override { painter_.end(); }
  void SetPenWidth(int width) override {
    pen_.setWidth(std::max(0, width));
    painter_.setPen(pen_);
  }
  void SetPenStyle(ReportPenStyle) override {}
  void SetBrushStyle(ReportBrushStyle) override {}
  void SetFont(const std::string& name, ReportCharset, int pointSize) override {
    QFont font(QString::fromStdString(name));
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(pointSize);
    painter_.setFont(font);
  }
  void MoveTo(int x, int y) override { at_ = QPoint(x, y); }
  void LineTo(int x, int y) override {
    painter_.drawLine(at_, QPoint(x, y));
    at_ = QPoint(x, y);
  }
  void Rectangle(int x1, int y1, int x2, int y2) override {
    painter_.drawRect(QRect(QPoint(std::min(x1, x2), std::min(y1, y2)),
                            QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1)));
  }
  void TextOut(int x, int y, const std::string& text) override {
    const int ascent = QFontMetrics(painter_.font(), painter_.device()).ascent();
    painter_.drawText(QPoint(x, y + ascent), QString::fromStdString(text));
  }

 private:
  QPrinter& printer_;
  QPainter painter_;
  QPen pen_{Qt::black, 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin};
  QPoint at_;
};

// The report of sample record `index` drawn on `canvas`.
void DrawSampleReport(ReportCanvas& canvas, int index) {
  AnalysisState state;
  InitialiseAnalysisState(state);
  LoadedRecord record;
  const LoadedRecord file = *wavelet::testing::Decoded(MakeSampleRecord(7, index));
  wavelet::testing::FakeReportSources sources(state, record, file, SampleRecordName(index));
  QCOMPARE(PrintReport(canvas, state, record, sources), ReportOutcome::Printed);
}

// The bytes of a file.
qint64 FileSize(const QString& path) { return QFileInfo(path).size(); }

int Differ(const QByteArray& a, const QByteArray& b) {
  int differ = 0;
  for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i) differ += a[i] != b[i] ? 1 : 0;
  return differ;
}

}  // namespace

class TestReportCanvas : public QObject {
  Q_OBJECT

 private slots:
  // The printer's page and the PDF document's look as they do with one stroke per
  // line (here to the pixel; a viewer's rounding may differ at a few), and the document
  // takes a fraction of the bytes.
  void PagesLookAsWithOneStrokePerLine() {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) QSKIP("pdftoppm is not installed");
    QTemporaryDir dir;
    const QString single = dir.filePath("single.pdf"), printed = dir.filePath("printed.pdf"),
                  document = dir.filePath("document.pdf");
    {
      QPrinter printer(QPrinter::HighResolution);
      SetUpPdf(printer, single);
      LineByLineCanvas canvas(printer);
      DrawSampleReport(canvas, 3);
    }
    {
      QPrinter printer(QPrinter::HighResolution);
      SetUpPdf(printer, printed);
      QtReportCanvas canvas(printer);
      DrawSampleReport(canvas, 3);
    }
    {
      ReportDocument pages(document.toStdString(), PortraitPage(false));
      AnalysisState state;
      InitialiseAnalysisState(state);
      LoadedRecord record;
      const LoadedRecord file = *wavelet::testing::Decoded(MakeSampleRecord(7, 3));
      wavelet::testing::FakeReportSources sources(state, record, file, SampleRecordName(3));
      QCOMPARE(pages.Print(state, record, sources), PrintStatus::Printed);
      QVERIFY(pages.Finish());
    }
    const QByteArray expected = RenderedPdfPage(single, 1, 150);
    QVERIFY(!expected.isEmpty());
    for (const QString& pdf : {printed, document}) {
      const QByteArray page = RenderedPdfPage(pdf, 1, 150);
      QCOMPARE(page.size(), expected.size());
      const int differ = Differ(page, expected);
      QVERIFY2(differ * 10000 <= page.size(), qPrintable(pdf + ": " + QString::number(differ)));
    }
    QVERIFY2(FileSize(document) * 3 < FileSize(single),
             qPrintable(QString("%1 of %2 bytes").arg(FileSize(document)).arg(FileSize(single))));
  }
};

QTEST_MAIN(TestReportCanvas)
#include "test_report_canvas.moc"
