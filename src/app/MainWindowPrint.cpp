// Printing: "Print" with its dialog, and the batch's pages straight to the printer.

#include "app/MainWindow.h"

namespace wavelet {

struct TSDIAppForm::BatchPrinting {};

TSDIAppForm::~TSDIAppForm() = default;

void TSDIAppForm::Button3Click() {}
void TSDIAppForm::BeginBatchPrinting() {}
void TSDIAppForm::PrintReportInBatch() {}
void TSDIAppForm::EndBatchPrinting() { batchPrinting_.reset(); }

}  // namespace wavelet
