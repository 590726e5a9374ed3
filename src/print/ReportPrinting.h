#pragma once
// Printing the report from the window: through the print dialog (a system printer or
// a PDF file), or, in a batch, straight to the current printer.

#include <QString>

#include <memory>

#include "analysis/AnalysisState.h"
#include "output/RecordedPage.h"
#include "session/ReportDriver.h"
#include "record/RecordFormat.h"

class QPrinter;
class QWidget;

namespace wavelet {

inline constexpr const char* kNoPrinterMessage =
    "No printer is available; batch printing skipped";

enum class PrintStatus {
  Printed,
  Cancelled,         // the user closed the dialog: nothing printed, nothing changed
  NoPrinter,         // batch only: no system printer; nothing printed, nothing changed
  RecordUnreadable,  // the reload failed (the window's load has reported it)
  JobFailed,         // the printer or file refused the job; the analysis still ran
};

// Prints one page recorded elsewhere on `printer` as it is set up.
PrintStatus ReplayOn(QPrinter& printer, const RecordedPage& page);

// Prints one report on `printer` as it is set up, without a dialog.
PrintStatus PrintReportOn(QPrinter& printer, AnalysisState& state, LoadedRecord& record,
                          ReportSources& sources);

// "Cannot print to [<printer or file>]", for a job the device refused.
QString PrintFailureText(const QPrinter& printer);

bool SystemPrinterAvailable();

// Keeps the window's printer, so the choices made in the dialog (printer, file,
// page set-up) stay current for later prints and for the batch.
class ReportPrinter {
 public:
  ReportPrinter();
  ~ReportPrinter();
  ReportPrinter(const ReportPrinter&) = delete;
  ReportPrinter& operator=(const ReportPrinter&) = delete;

  QPrinter& Printer() { return *printer_; }
  // Whether the print dialog was last confirmed with output to a PDF file.
  bool PdfChosen() const { return pdfChosen_; }

  // The print dialog with one copy; the dialog offers printing to a PDF file, so this
  // works with no printer installed. A refused job is reported in a message box.
  PrintStatus PrintWithDialog(QWidget* parent, AnalysisState& state, LoadedRecord& record,
                              ReportSources& sources);

  // The batch's print: no dialog. Uses the current printer when it is a system
  // printer, else the system's default one; with none installed it returns NoPrinter
  // at once (the window says kNoPrinterMessage once and goes on with the batch). A PDF
  // file chosen in the dialog is not used here: every record would overwrite it (the
  // window's batch writes one ReportDocument instead).
  // Looks the printers up on every call; a batch run uses BatchReportPrinting.
  PrintStatus PrintToCurrentPrinter(AnalysisState& state, LoadedRecord& record,
                                    ReportSources& sources);

 private:
  std::unique_ptr<QPrinter> printer_;
  bool pdfChosen_ = false;
};

// The printing of one batch run: the system's printers are looked up once, when the
// run starts, so a long batch does not ask the print service for every record.
class BatchReportPrinting {
 public:
  explicit BatchReportPrinting(ReportPrinter& printer);
  ~BatchReportPrinting();
  BatchReportPrinting(const BatchReportPrinting&) = delete;
  BatchReportPrinting& operator=(const BatchReportPrinting&) = delete;

  bool PrinterAvailable() const { return target_ != nullptr; }
  // NoPrinter (at once, nothing reloaded) when no printer was found at the start.
  PrintStatus Print(AnalysisState& state, LoadedRecord& record, ReportSources& sources);
  PrintStatus Replay(const RecordedPage& page);
  // The page size of the printer found, for pages recorded to be replayed here.
  int PageWidth() const;
  int PageHeight() const;

 private:
  std::unique_ptr<QPrinter> ownPrinter_;
  QPrinter* target_ = nullptr;
};

}  // namespace wavelet
