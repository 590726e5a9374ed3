// Printing: "Print" with its dialog, and the batch's pages straight to the printer.

#include <QCheckBox>
#include <QDir>
#include <QPrinter>

#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "print/ReportDocument.h"
#include "print/ReportPrinting.h"
#include "app/SaveDialog.h"
#include "app/TextForms.h"

namespace wavelet {

// What the report reads from and does through the window.
class WindowReportSources : public ReportSources {
 public:
  explicit WindowReportSources(TSDIAppForm& window) : window_(window) {}

  bool ReloadRecord() override { return window_.LoadRecord(); }
  void ShowCalculationData() override { window_.ShowCalculationData(); }
  std::string WorkListEntry() const override { return window_.CurrentEntry(); }

 private:
  TSDIAppForm& window_;
};

struct TSDIAppForm::BatchPrinting {
  ReportPrinter Printer;
  std::unique_ptr<BatchReportPrinting> Batch;
  // A batch without a printer (or after a PDF choice in the dialog): every page into
  // one file.
  std::unique_ptr<ReportDocument> Document;
  QString DocumentPath;
};

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::Button3Click() {
  if (Refused(workbench_->PrintRefusal())) return;
  if (!batchPrinting_) batchPrinting_ = std::make_shared<BatchPrinting>();
  WindowReportSources sources(*this);
  // Without a printer the dialog prints to a file: this report's PDF is proposed beside
  // the records, named after it, unless the user chose a file of their own before.
  QPrinter& printer = batchPrinting_->Printer.Printer();
  if (!SystemPrinterAvailable() &&
      (printer.outputFileName().isEmpty() || proposedReport_ == printer.outputFileName())) {
    proposedReport_ = QDir(DirectoryListBox1->Directory())
                          .filePath(DisplayText(CurrentEntry()) + ".pdf");
    printer.setOutputFileName(proposedReport_);
  }
  batchPrinting_->Printer.PrintWithDialog(this, Analysis(), Record(), sources);
}

int TSDIAppForm::PrintReportTo(QPrinter& printer) {
  WindowReportSources sources(*this);
  return static_cast<int>(PrintReportOn(printer, Analysis(), Record(), sources));
}

void TSDIAppForm::BeginBatchPrinting() {
  batchPrinterMissing_ = false;
  if (batchPrinting_) {
    batchPrinting_->Batch.reset();
    batchPrinting_->Document.reset();
  }
  if (!CheckBoxBP->isChecked()) return;
  if (!batchPrinting_) batchPrinting_ = std::make_shared<BatchPrinting>();
  ReportPrinter& printer = batchPrinting_->Printer;
  if (!printer.PdfChosen() && SystemPrinterAvailable()) return;  // pages go to the printer

  // Asked once, before the first record. Cancelling runs the batch without printing
  // and without a word: the user chose not to print.
  const QString proposed = QDir(DirectoryListBox1->Directory()).filePath("reports.pdf");
  const QString path = ReportsPathChooser ? ReportsPathChooser(proposed) : AskReportsPath(proposed);
  if (path.isEmpty()) {
    batchPrinterMissing_ = true;
    return;
  }
  batchPrinterMissing_ = true;
  auto document = std::make_unique<ReportDocument>(ToBytes(path), printer.Printer().pageLayout(),
                                                   printer.Printer().resolution());
  if (!document->Good()) {
    ShowError("Cannot write [" + path + "]", DisplayText(document->FailureReason()));
    return;
  }
  batchPrinting_->Document = std::move(document);
  batchPrinting_->DocumentPath = path;
  batchPrinterMissing_ = false;
}

bool TSDIAppForm::BatchPageSize(int& width, int& height) {
  if (batchPrinterMissing_ || !batchPrinting_) return false;
  if (batchPrinting_->Document) {
    width = batchPrinting_->Document->PageWidth();
    height = batchPrinting_->Document->PageHeight();
    return width > 0 && height > 0;
  }
  // The printers are looked up once per run, when the first page is due.
  if (!batchPrinting_->Batch) {
    batchPrinting_->Batch = std::make_unique<BatchReportPrinting>(batchPrinting_->Printer);
  }
  width = batchPrinting_->Batch->PageWidth();
  height = batchPrinting_->Batch->PageHeight();
  return width > 0 && height > 0;
}

QString TSDIAppForm::AskReportsPath(const QString& proposed) {
  return AskSavePath(this, {"ReportsDialog", "pdf", "PDF (*.pdf)", proposed});
}

void TSDIAppForm::PrintReportInBatch(const RecordedPage* page) {
  if (batchPrinterMissing_) return;
  if (!batchPrinting_) batchPrinting_ = std::make_shared<BatchPrinting>();
  if (batchPrinting_->Document) {
    if (page == nullptr || batchPrinting_->Document->Replay(*page) == PrintStatus::JobFailed) {
      // Said once; the batch goes on analysing every record.
      batchPrinterMissing_ = true;
      batchPrinting_->Document.reset();
      ShowError("Cannot write [" + batchPrinting_->DocumentPath + "]");
    }
    return;
  }
  // The printers are looked up once per run, when the first page is due.
  if (!batchPrinting_->Batch) {
    batchPrinting_->Batch = std::make_unique<BatchReportPrinting>(batchPrinting_->Printer);
  }
  const PrintStatus status =
      page == nullptr ? PrintStatus::NoPrinter : batchPrinting_->Batch->Replay(*page);
  if (status == PrintStatus::NoPrinter || status == PrintStatus::JobFailed) {
    // Said once; the batch goes on analysing every record.
    batchPrinterMissing_ = true;
    ShowError(status == PrintStatus::NoPrinter
                  ? QString(kNoPrinterMessage)
                  : PrintFailureText(batchPrinting_->Printer.Printer()) +
                        "; batch printing skipped");
  }
}

void TSDIAppForm::EndBatchPrinting() {
  if (!batchPrinting_) return;
  batchPrinting_->Batch.reset();
  if (auto document = std::move(batchPrinting_->Document)) {
    if (!document->Finish()) ShowError("Cannot write [" + batchPrinting_->DocumentPath + "]");
  }
}

}  // namespace wavelet
