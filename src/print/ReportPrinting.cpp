#include "print/ReportPrinting.h"

#include <QFile>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "print/QtReportCanvas.h"
#include "print/ReportDocument.h"

namespace wavelet {

PrintStatus PrintReportOn(QPrinter& printer, AnalysisState& state, LoadedRecord& record,
                          ReportSources& sources) {
  // A PDF file is written as the batch's PDF documents are, atomically and with their
  // line art. One that cannot be made fails its job on the printer as before, after
  // the analysis, which the window shows either way.
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
    ReportDocument document(QFile::encodeName(printer.outputFileName()).toStdString(),
                            printer.pageLayout(), printer.resolution());
    if (document.Good()) {
      const PrintStatus status = document.Print(state, record, sources);
      if (status != PrintStatus::Printed) return status;
      return document.Finish() ? PrintStatus::Printed : PrintStatus::JobFailed;
    }
  }
  QtReportCanvas canvas(printer);
  switch (PrintReport(canvas, state, record, sources)) {
    case ReportOutcome::Printed:
      return PrintStatus::Printed;
    case ReportOutcome::RecordUnreadable:
      return PrintStatus::RecordUnreadable;
    case ReportOutcome::JobNotStarted:
      break;
  }
  return PrintStatus::JobFailed;
}

PrintStatus ReplayOn(QPrinter& printer, const RecordedPage& page) {
  QtReportCanvas canvas(printer);
  return ReplayPage(page, canvas) ? PrintStatus::Printed : PrintStatus::JobFailed;
}

QString PrintFailureText(const QPrinter& printer) {
  const QString target = printer.outputFormat() == QPrinter::PdfFormat
                             ? printer.outputFileName()
                             : printer.printerName();
  return QStringLiteral("Cannot print to [") + target + QStringLiteral("]");
}

bool SystemPrinterAvailable() { return !QPrinterInfo::availablePrinters().isEmpty(); }

ReportPrinter::ReportPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

ReportPrinter::~ReportPrinter() = default;

PrintStatus ReportPrinter::PrintWithDialog(QWidget* parent, AnalysisState& state,
                                           LoadedRecord& record, ReportSources& sources) {
  printer_->setCopyCount(1);
  QPrintDialog dialog(printer_.get(), parent);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  if (dialog.exec() != QDialog::Accepted) return PrintStatus::Cancelled;
  pdfChosen_ = printer_->outputFormat() == QPrinter::PdfFormat;
  const PrintStatus status = PrintReportOn(*printer_, state, record, sources);
  if (status == PrintStatus::JobFailed) {
    QMessageBox::warning(parent, QStringLiteral("Error"), PrintFailureText(*printer_));
  }
  return status;
}

PrintStatus ReportPrinter::PrintToCurrentPrinter(AnalysisState& state, LoadedRecord& record,
                                                 ReportSources& sources) {
  BatchReportPrinting once(*this);
  return once.Print(state, record, sources);
}

BatchReportPrinting::BatchReportPrinting(ReportPrinter& printer) {
  const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
  if (printers.isEmpty()) return;
  QPrinter& current = printer.Printer();
  if (current.outputFormat() == QPrinter::NativeFormat && !current.printerName().isEmpty()) {
    target_ = &current;
    return;
  }
  QPrinterInfo fallback = QPrinterInfo::defaultPrinter();
  if (fallback.isNull()) fallback = printers.first();
  ownPrinter_ = std::make_unique<QPrinter>(fallback, QPrinter::HighResolution);
  ownPrinter_->setCopyCount(1);
  target_ = ownPrinter_.get();
}

BatchReportPrinting::~BatchReportPrinting() = default;

PrintStatus BatchReportPrinting::Print(AnalysisState& state, LoadedRecord& record,
                                       ReportSources& sources) {
  if (target_ == nullptr) return PrintStatus::NoPrinter;
  return PrintReportOn(*target_, state, record, sources);
}

}  // namespace wavelet

namespace wavelet {

PrintStatus BatchReportPrinting::Replay(const RecordedPage& page) {
  if (target_ == nullptr) return PrintStatus::NoPrinter;
  return ReplayOn(*target_, page);
}

int BatchReportPrinting::PageWidth() const {
  return target_ == nullptr ? 0 : QtReportCanvas(*target_).PageWidth();
}

int BatchReportPrinting::PageHeight() const {
  return target_ == nullptr ? 0 : QtReportCanvas(*target_).PageHeight();
}

}  // namespace wavelet
