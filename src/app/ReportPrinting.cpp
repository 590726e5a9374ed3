#include "app/ReportPrinting.h"

#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "app/QtReportCanvas.h"

namespace wavelet {

PrintStatus PrintReportOn(QPrinter& printer, AnalysisState& state, LoadedRecord& record,
                          ReportSources& sources) {
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
  const PrintStatus status = PrintReportOn(*printer_, state, record, sources);
  if (status == PrintStatus::JobFailed) {
    QMessageBox::warning(parent, QStringLiteral("Error"), PrintFailureText(*printer_));
  }
  return status;
}

PrintStatus ReportPrinter::PrintToCurrentPrinter(AnalysisState& state, LoadedRecord& record,
                                                 ReportSources& sources) {
  if (!SystemPrinterAvailable()) return PrintStatus::NoPrinter;
  if (printer_->outputFormat() == QPrinter::NativeFormat && !printer_->printerName().isEmpty()) {
    return PrintReportOn(*printer_, state, record, sources);
  }
  if (!batchPrinter_) {
    QPrinterInfo target = QPrinterInfo::defaultPrinter();
    if (target.isNull()) target = QPrinterInfo::availablePrinters().first();
    batchPrinter_ = std::make_unique<QPrinter>(target, QPrinter::HighResolution);
    batchPrinter_->setCopyCount(1);
  }
  return PrintReportOn(*batchPrinter_, state, record, sources);
}

}  // namespace wavelet
