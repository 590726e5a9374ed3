// The report's page renderer: connected lines stroked together, in far fewer PDF
// operators, with the page looking as it does when every line is a stroke of its own.

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <zlib.h>

#include <algorithm>
#include <string>

#include "analysis/AnalysisState.h"
#include "print/QtReportCanvas.h"
#include "session/ReportDriver.h"
#include "support/FakeReportSources.h"
#include "support/Records.h"

using namespace wavelet;

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

void SetUpPdf(QPrinter& printer, const QString& path) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  printer.setPageSize(QPageSize(QPageSize::A4));
}

// The report of sample record `index` drawn on `canvas`.
void DrawSampleReport(ReportCanvas& canvas, int index) {
  AnalysisState state;
  InitialiseAnalysisState(state);
  LoadedRecord record;
  const LoadedRecord file = *wavelet::testing::Decoded(MakeSampleRecord(7, index));
  wavelet::testing::FakeReportSources sources(state, record, file, SampleRecordName(index));
  QCOMPARE(PrintReport(canvas, state, record, sources), ReportOutcome::Printed);
}

// The first page rendered at 150 dpi in grey, one byte a pixel ("" when it failed).
QByteArray RenderedPage(const QString& pdftoppm, const QString& pdf) {
  QProcess process;
  process.start(pdftoppm, {"-r", "150", "-gray", "-f", "1", "-l", "1", "-singlefile", pdf, pdf});
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
  QFile file(pdf + ".pgm");
  if (!file.open(QIODevice::ReadOnly)) return {};
  QByteArray bytes = file.readAll();
  // "P5", the size and the largest value, each ended by a line break.
  for (int headerLines = 0, at = 0; headerLines < 3; ++at) {
    if (at >= bytes.size()) return {};
    if (bytes[at] == '\n' && ++headerLines == 3) return bytes.mid(at + 1);
  }
  return {};
}

// The page's content stream, inflated.
std::string PageContent(const QString& pdf) {
  QFile file(pdf);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  const qsizetype start = bytes.indexOf("stream\n", bytes.indexOf("/FlateDecode")) + 7;
  const qsizetype end = bytes.indexOf("endstream", start);
  std::string content(std::size_t{1} << 22, '\0');
  uLongf size = content.size();
  if (start < 7 || end < 0 ||
      uncompress(reinterpret_cast<Bytef*>(content.data()), &size,
                 reinterpret_cast<const Bytef*>(bytes.constData() + start), end - start) != Z_OK) {
    return {};
  }
  content.resize(size);
  return content;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

class TestReportCanvas : public QObject {
  Q_OBJECT

 private slots:
  void PageLooksAsWithOneStrokePerLineInAFifthOfTheStrokes() {
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (pdftoppm.isEmpty()) QSKIP("pdftoppm is not installed");
    QTemporaryDir dir;
    const QString joined = dir.filePath("joined.pdf"), single = dir.filePath("single.pdf");
    {
      QPrinter printer(QPrinter::HighResolution);
      SetUpPdf(printer, joined);
      QtReportCanvas canvas(printer);
      DrawSampleReport(canvas, 3);
    }
    {
      QPrinter printer(QPrinter::HighResolution);
      SetUpPdf(printer, single);
      LineByLineCanvas canvas(printer);
      DrawSampleReport(canvas, 3);
    }
    const int strokes = Count(PageContent(joined), "\nS\n");
    const int lineByLine = Count(PageContent(single), "\nS\n");
    QVERIFY2(strokes > 0 && strokes * 5 < lineByLine,
             qPrintable(QString("%1 of %2").arg(strokes).arg(lineByLine)));
    const QByteArray a = RenderedPage(pdftoppm, joined), b = RenderedPage(pdftoppm, single);
    QVERIFY(!a.isEmpty());
    QCOMPARE(a.size(), b.size());
    int differ = 0;
    for (qsizetype i = 0; i < a.size(); ++i) differ += a[i] != b[i] ? 1 : 0;
    // Smoothed edge pixels where lines meet may differ a little; nothing else does.
    QVERIFY2(differ * 200 <= a.size(), qPrintable(QString::number(differ)));
  }

  void StrokesARunOnceAColumnOfDashesOnceAndDropsPointsOnAStraightLine() {
    QTemporaryDir dir;
    const QString path = dir.filePath("lines.pdf");
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, path);
    {
      QtReportCanvas canvas(printer);
      QVERIFY(canvas.BeginJob());
      for (int i = 0; i < 3; ++i) canvas.SetPenWidth(10);
      canvas.MoveTo(1000, 1000);  // a gentle zigzag of 50 lines
      for (int i = 1; i <= 50; ++i) canvas.LineTo(1000 + 10 * i, 1000 + (i % 2) * 3);
      for (int i = 0; i < 20; ++i) {  // dashes of 10 every 40
        canvas.MoveTo(500, 2000 + 40 * i);
        canvas.LineTo(500, 2010 + 40 * i);
      }
      canvas.MoveTo(1000, 3000);  // 30 lines along one straight line
      for (int i = 1; i <= 30; ++i) canvas.LineTo(1000 + 7 * i, 3000 + 2 * i);
      canvas.EndJob();
    }
    const std::string content = PageContent(path);
    QVERIFY(!content.empty());
    QCOMPARE(Count(content, "\nS\n"), 3);
    QCOMPARE(Count(content, " l\n"), 50 + 1 + 1);
    QCOMPARE(Count(content, "[10 30 ]"), 1);
  }
};

QTEST_MAIN(TestReportCanvas)
#include "test_report_canvas.moc"
