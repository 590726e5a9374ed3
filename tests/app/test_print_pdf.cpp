// The report printed through QPrinter into a PDF file: one page with the criteria,
// the header and the banner; refused jobs and a batch without printers.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <string>

#include "analysis/AnalysisState.h"
#include "print/ReportPrinting.h"
#include "session/ReportDriver.h"
#include "support/AppTestSupport.h"
#include "support/FakeReportSources.h"
#include "support/Records.h"

using namespace wavelet;
using apptest::SetUpPdf;

namespace {

// Stands in for the window: the reload decodes sample record `index`.
wavelet::testing::FakeReportSources SampleSources(AnalysisState& state, LoadedRecord& record, int index) {
  return wavelet::testing::FakeReportSources(state, record, *wavelet::testing::Decoded(MakeSampleRecord(7, index)),
                                    SampleRecordName(index));
}

int PdfPageCount(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return -1;
  const QString bytes = QString::fromLatin1(file.readAll());
  return static_cast<int>(bytes.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
}

}  // namespace

class TestPrintPdf : public QObject {
  Q_OBJECT

 private slots:
  void PrintsOnePageWithHeaderCriteriaAndBanner() {
    const QString path = QStringLiteral(WAVELET_BINARY_DIR "/test_print_pdf-sample.pdf");
    QFile::remove(path);
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, path);

    AnalysisState state;
    InitialiseAnalysisState(state);
    LoadedRecord record;
    auto sources = SampleSources(state, record, 0);
    QCOMPARE(PrintReportOn(printer, state, record, sources), PrintStatus::Printed);
    QCOMPARE(sources.Reloads, 1);
    QCOMPARE(PdfPageCount(path), 1);

    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftotext.isEmpty()) QSKIP("pdftotext is not installed; only the page count was checked");
    QProcess process;
    process.start(pdftotext, {QStringLiteral("-layout"), path, QStringLiteral("-")});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QString raw = QString::fromUtf8(process.readAllStandardOutput());
    QCOMPARE(raw.count(QLatin1Char('\f')), 1);  // one form feed per page
    const QString text = raw.simplified();
    for (const char* expected :
         {"[decomposed surface area <= 96]", "[a count of local maxima >= 7 ]",
          "[the latest local maxima >= 91]", "[fqrs >= 140 ]", "file name :", "kasan :",
          "decomposed surface area(M5) :", "judge1 :", "judge2 :", kReportBannerText}) {
      QVERIFY2(text.contains(QString::fromLatin1(expected)), expected);
    }
    QVERIFY(text.contains(QString::fromStdString(sources.Caption("Label228"))));
    QVERIFY(text.contains(QString::fromStdString(sources.Caption("LabelA35"))));
  }

  void RefusedJobIsReportedAndStillAnalyses() {
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdf(printer, dir.filePath(QStringLiteral("missing/dir/report.pdf")));
    AnalysisState state;
    InitialiseAnalysisState(state);
    LoadedRecord record;
    auto sources = SampleSources(state, record, 1);
    QCOMPARE(PrintReportOn(printer, state, record, sources), PrintStatus::JobFailed);
    QVERIFY(state.PeakListCount > 0);
    QVERIFY(PrintFailureText(printer).startsWith(QStringLiteral("Cannot print to [")));
  }

  void BatchWithoutPrinterSkipsAtOnce() {
    if (SystemPrinterAvailable()) QSKIP("a system printer is installed here");
    ReportPrinter printer;
    AnalysisState state;
    InitialiseAnalysisState(state);
    LoadedRecord record;
    auto sources = SampleSources(state, record, 2);
    QCOMPARE(printer.PrintToCurrentPrinter(state, record, sources), PrintStatus::NoPrinter);
    BatchReportPrinting batch(printer);
    QVERIFY(!batch.PrinterAvailable());
    QCOMPARE(batch.Print(state, record, sources), PrintStatus::NoPrinter);
    QCOMPARE(sources.Reloads, 0);
    QCOMPARE(state.PeakListCount, 0);
  }
};

QTEST_MAIN(TestPrintPdf)
#include "test_print_pdf.moc"
