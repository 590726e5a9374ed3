// The analysis handlers: display mode, auto calculation, scale, GO, the check boxes,
// entering the calculation sheet; the raw view and its gain slider; the sheet.

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

#include "analysis/Features.h"
#include "session/AnalysisDriver.h"
#include "output/CalculationSheet.h"
#include "app/CanvasWidget.h"
#include "app/MainWindow.h"
#include "app/TextForms.h"
#include "app/WindowHooks.h"
#include "views/Overlays.h"
#include "views/RawView.h"

namespace wavelet {

void TSDIAppForm::RefreshImages(bool now) {
  for (CanvasWidget* image : ImageW) {
    if (image == nullptr) continue;
    if (now) {
      image->repaint();
    } else {
      image->Refresh();
    }
  }
}

void TSDIAppForm::DrawRawSignal() {
  workbench_->DrawRawSignal(ScrollBar2->value());
  ImageW[4]->Refresh();
}

void TSDIAppForm::ScrollBar2Change() {
  Label23->setText(QString::number(DisplayGain(ScrollBar2->value())));
  DrawRawSignal();
}

void WindowHooks::MapStarted() {
  window_.ProgressBar1->setValue(0);
  window_.ProgressBar1->setVisible(true);
}

void WindowHooks::MapRowDone(int rowsDone) {
  window_.ProgressBar1->setValue(rowsDone);
  // Nothing else runs during the sweep, so the bar is painted right here.
  window_.ProgressBar1->repaint();
}

void WindowHooks::MapFinished() { window_.ProgressBar1->setVisible(false); }
void WindowHooks::ShowCalculationData() { window_.ShowCalculationData(); }


DisplaySettings TSDIAppForm::CurrentView() const {
  // The state keeps the mode, the scale and auto calculation; the check boxes and the
  // gain slider are read where they are.
  DisplaySettings view = workbench_->Analysis().Display;
  view.Dots = CheckBoxDot->isChecked();
  view.Lines = CheckBoxLine->isChecked();
  view.GainPosition = ScrollBar2->value();
  return view;
}

bool TSDIAppForm::Refused(const std::string& why) {
  if (why.empty()) return false;
  ShowError(DisplayText(why));
  return true;
}

void TSDIAppForm::RunBasicAnalysis() {
  WindowHooks hooks(*this);
  workbench_->RunBasicAnalysis(CurrentView(), hooks);
  ShowRecordState();
  RefreshImages();
}

void TSDIAppForm::RunAnalysis() {
  // After a failed load the record in memory is another one than the selector names.
  if (Refused(workbench_->AnalysisRefusal())) return;
  // Before the first load the record in memory is the all-zero one, whose curves and
  // judgements would look like a patient's.
  if (workbench_->State() == RecordState::NothingLoaded) {
    Refused("No record is loaded, so there is nothing to analyse: put records on the work "
            "list and press \"Analyse >>\".");
    return;
  }
  WindowHooks hooks(*this);
  workbench_->RunAnalysis(CurrentView(), hooks);
  ShowRecordState();
  RefreshImages();
}

void TSDIAppForm::ShowCalculationData() {
  for (const LabelText& label : CalculationSheetTexts(Analysis().Results)) {
    SetCaption(QString::fromLatin1(label.Name.data(), static_cast<qsizetype>(label.Name.size())),
               label.Text);
  }
  sheetShowsFigures_ = true;
  // The last step of every basic analysis, the report's own included.
  workbench_->BasicResultsShown();
  ShowRecordState();
}

void TSDIAppForm::ResetSheetFigures() {
  if (!sheetShowsFigures_) return;
  for (const LabelText& label : CalculationSheetTexts(Analysis().Results)) {
    SetCaption(QString::fromLatin1(label.Name.data(), static_cast<qsizetype>(label.Name.size())),
               kInitialSheetValue);
  }
  sheetShowsFigures_ = false;
}

void TSDIAppForm::ShowRecordState() {
  const Workbench& bench = *workbench_;
  QString note;
  if (bench.AwaitingAnalysis()) {
    note = QStringLiteral("This record is not analysed yet: press \"GO\" under calculation.");
  } else if (bench.State() == RecordState::LoadFailed) {
    note = "[" + DisplayText(CaptionBytes("LabelP1")) +
           "] could not be read: no record is shown, and nothing can be analysed.";
  }
  AnalysisNote->setText(note);
  ShowClampNote();
  if (!bench.ResultsOfLoadedRecord() && bench.State() != RecordState::NothingLoaded) {
    ResetSheetFigures();
  }
}

void TSDIAppForm::ShowClampNote() {
  // Shown for the loaded record's own results; the "not analysed" note has the line
  // while its images wait for "GO".
  const bool shown = workbench_->ClampedWindowsShown();
  const QString note = shown ? QStringLiteral("QRS window outside the analysable range %1-%2: results clamped")
                                   .arg(kAnalysableFirst)
                                   .arg(kAnalysableLast)
                             : QString();
  ClampNote->setText(AnalysisNote->text().isEmpty() ? note : QString());
  SheetClampNote->setText(note);
}

void TSDIAppForm::RadioButton1Click(QObject* sender) {
  Analysis().Display.DisplayMode = sender->property("Tag").toInt();
  if (Analysis().Display.AutoCalculation == 1) RunAnalysis();
}

void TSDIAppForm::RadioButton4Click(QObject* sender) {
  Analysis().Display.AutoCalculation = sender->property("Tag").toInt();
  if (Analysis().Display.AutoCalculation == 1) RunAnalysis();
}

void TSDIAppForm::RadioButton6Click(QObject* sender) {
  Analysis().Display.SelectedScale = static_cast<double>(sender->property("Tag").toInt());
  ClearLeadImages(Images());
  RunAnalysis();
}

void TSDIAppForm::Button1Click() { RunAnalysis(); }
void TSDIAppForm::CheckBoxDotClick() { RunAnalysis(); }
void TSDIAppForm::CheckBoxLineClick() { RunAnalysis(); }

void TSDIAppForm::TabSheet3Enter() {
  if (Analysis().Display.DisplayMode != 0) RadioButton1->setChecked(true);
}

}  // namespace wavelet
