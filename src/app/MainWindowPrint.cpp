// Printing: "Print" with its dialog, and the batch's pages straight to the printer.

#include <QCheckBox>

#include "app/MainWindow.h"
#include "app/ReportPrinting.h"

namespace wavelet {

// What the report reads from and does through the window.
class WindowReportSources : public ReportSources {
 public:
  explicit WindowReportSources(TSDIAppForm& window) : window_(window) {}

  bool ReloadRecord() override { return window_.LoadRecord(); }
  std::string Caption(const std::string& labelName) const override {
    return window_.CaptionBytes(QString::fromStdString(labelName));
  }
  void ShowCalculationData() override { window_.ShowCalculationData(); }
  std::string WorkListEntry() const override { return window_.CurrentEntry(); }

 private:
  TSDIAppForm& window_;
};

struct TSDIAppForm::BatchPrinting {
  ReportPrinter Printer;
  std::unique_ptr<BatchReportPrinting> Batch;
};

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::Button3Click() {
  if (Refused(workbench_->PrintRefusal())) return;
  if (!batchPrinting_) batchPrinting_ = std::make_shared<BatchPrinting>();
  WindowReportSources sources(*this);
  batchPrinting_->Printer.PrintWithDialog(this, Analysis(), Record(), sources);
}

int TSDIAppForm::PrintReportTo(QPrinter& printer) {
  WindowReportSources sources(*this);
  return static_cast<int>(PrintReportOn(printer, Analysis(), Record(), sources));
}

void TSDIAppForm::BeginBatchPrinting() {
  batchPrinterMissing_ = false;
  if (batchPrinting_) batchPrinting_->Batch.reset();
}

void TSDIAppForm::PrintReportInBatch() {
  if (batchPrinterMissing_) return;
  if (!batchPrinting_) batchPrinting_ = std::make_shared<BatchPrinting>();
  // The printers are looked up once per run, when the first page is due.
  if (!batchPrinting_->Batch) {
    batchPrinting_->Batch = std::make_unique<BatchReportPrinting>(batchPrinting_->Printer);
  }
  WindowReportSources sources(*this);
  const PrintStatus status = batchPrinting_->Batch->Print(Analysis(), Record(), sources);
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
  if (batchPrinting_) batchPrinting_->Batch.reset();
}

}  // namespace wavelet
