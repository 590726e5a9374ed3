// The analysis handlers: display mode, auto calculation, scale, GO, the check boxes,
// entering the calculation sheet; the raw view and its gain slider; the sheet.

#include <QCheckBox>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

#include "session/AnalysisDriver.h"
#include "output/CalculationSheet.h"
#include "app/CanvasWidget.h"
#include "app/MainWindow.h"
#include "app/TextForms.h"
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

namespace {

// The window's side of an analysis: the progress bar of the map and the sheet.
class WindowHooks : public AnalysisDriverHooks {
 public:
  explicit WindowHooks(TSDIAppForm& window) : window_(window) {}

  void MapStarted() override {
    window_.ProgressBar1->setValue(0);
    window_.ProgressBar1->setVisible(true);
  }
  void MapRowDone(int rowsDone) override {
    window_.ProgressBar1->setValue(rowsDone);
    // Nothing else runs during the sweep, so the bar is painted right here.
    window_.ProgressBar1->repaint();
  }
  void MapFinished() override { window_.ProgressBar1->setVisible(false); }
  void ShowCalculationData() override { window_.ShowCalculationData(); }

 private:
  TSDIAppForm& window_;
};

DriverOptions OptionsOf(const QCheckBox* dot, const QCheckBox* line) {
  DriverOptions options;
  options.Dots = dot->isChecked();
  options.Lines = line->isChecked();
  return options;
}

}  // namespace

void TSDIAppForm::RunBasicAnalysis() {
  WindowHooks hooks(*this);
  workbench_->RunBasicAnalysis(OptionsOf(CheckBoxDot, CheckBoxLine), hooks);
  RefreshImages();
}

void TSDIAppForm::RunAnalysis() {
  WindowHooks hooks(*this);
  workbench_->RunAnalysis(OptionsOf(CheckBoxDot, CheckBoxLine), hooks);
  RefreshImages();
}

void TSDIAppForm::ShowCalculationData() {
  for (const LabelText& label : CalculationSheetTexts(Analysis().Results)) {
    SetCaption(QString::fromLatin1(label.Name.data(), static_cast<qsizetype>(label.Name.size())),
               label.Text);
  }
  ShowClampNote();
}

void TSDIAppForm::ShowClampNote() {
  const QString note = Analysis().WindowsClamped
                           ? QStringLiteral("QRS window outside the analysable range 290-607: "
                                            "results clamped")
                           : QString();
  ClampNote->setText(note);
  SheetClampNote->setText(note);
}

void TSDIAppForm::RadioButton1Click(QObject* sender) {
  Analysis().DisplayMode = sender->property("Tag").toInt();
  if (Analysis().AutoCalculation == 1) RunAnalysis();
}

void TSDIAppForm::RadioButton4Click(QObject* sender) {
  Analysis().AutoCalculation = sender->property("Tag").toInt();
  if (Analysis().AutoCalculation == 1) RunAnalysis();
}

void TSDIAppForm::RadioButton6Click(QObject* sender) {
  Analysis().SelectedScale = static_cast<double>(sender->property("Tag").toInt());
  ClearLeadImages(Images());
  RunAnalysis();
}

void TSDIAppForm::Button1Click() { RunAnalysis(); }
void TSDIAppForm::CheckBoxDotClick() { RunAnalysis(); }
void TSDIAppForm::CheckBoxLineClick() { RunAnalysis(); }

void TSDIAppForm::TabSheet3Enter() {
  if (Analysis().DisplayMode != 0) RadioButton1->setChecked(true);
}

}  // namespace wavelet
