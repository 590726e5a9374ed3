// The analysis handlers on the real window: display modes, auto calculation, the
// scale choice, the check boxes, the calculation sheet and the map's progress bar.

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QDir>
#include <QDoubleSpinBox>
#include <QtTest>

#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "output/CalculationSheet.h"
#include "output/NumberFormat.h"
#include "app/CanvasWidget.h"
#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "support/Analysis.h"
#include "record/RecordTag.h"
#include "record/SampleRecords.h"
#include "support/AppTestSupport.h"

using wavelet::TSDIAppForm;

namespace {

using apptest::Caption;

// The basic analysis of record `index` by the core alone.
wavelet::AnalysisResults CoreResults(int index, const wavelet::RecordBytes* bytes = nullptr) {
  const auto record = wavelet::testing::Decoded(bytes ? *bytes : apptest::RecordFor(index));
  return wavelet::testing::AnalysedState(*record)->Results;
}

// Every value label against the figures of `results`, built here from the fields.
void CheckSheet(const TSDIAppForm& w, const wavelet::AnalysisResults& r) {
  for (int k = 0; k < wavelet::kLeads; ++k) {
    for (int a = 0; a < wavelet::kScales; ++a) {
      const QString suffix = QString("%1%2").arg(k).arg(a + 1);
      const double shownArea = static_cast<double>(static_cast<long long>(r.Area[k][a])) * 0.001;
      QCOMPARE(Caption(w, "LabelA" + suffix), QString::fromStdString(wavelet::FormatGeneral(shownArea)));
      QCOMPARE(Caption(w, "LabelQ" + suffix), QString::number(r.PeakCount[k][a]));
      QCOMPARE(Caption(w, "LabelF" + suffix), QString::number(r.Fqrs[k][a]));
      QCOMPARE(Caption(w, "LabelZ" + suffix), QString::number(r.LastPeak[k][a]));
    }
    QCOMPARE(Caption(w, QString("LabelFN%1").arg(k)), QString::number(r.CombinedPeakCount[k]));
    QCOMPARE(Caption(w, QString("LabelFS%1").arg(k)), QString::number(r.CombinedFirstPeak[k]));
    QCOMPARE(Caption(w, QString("LabelFE%1").arg(k)), QString::number(r.CombinedLastPeak[k]));
  }
  // The judgements as the analysis made them (the rule has its own tests beside it).
  QCOMPARE(Caption(w, "Label239"), QString::number(r.AreaJudge));
  QCOMPARE(Caption(w, "Label240"), QString::number(r.CountJudge));
  QCOMPARE(Caption(w, "Label241"), QString::number(r.LastPeakJudge));
  QCOMPARE(Caption(w, "Label72"), QString::number(r.FqrsJudge));
  QCOMPARE(Caption(w, "Label242"), QString::number(r.Judge1));
  QCOMPARE(Caption(w, "Label243"), QString::number(r.Judge2));
}

std::vector<std::uint32_t> Pixels(const wavelet::Canvas& c) {
  return std::vector<std::uint32_t>(c.Pixels(), c.Pixels() + c.Width() * c.Height());
}

}  // namespace

class AnalysisWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void DotClickedTwiceGivesTheSameFigures();
  void AutoOffDisplayClickOnlyChangesTheMode();
  void ScaleClickAlwaysReanalyses();
  void MapKeepsTheBasicResultsAndShowsProgress();
  void MapBeforeAnyBasicAnalysisShowsTheRecordsOwnRiseFall();
  void EnteringTheSheetSwitchesBackToBasic();
  void AutoOnAnalysesEveryRecordChange();
  void AnalyseAtPositionZeroDoesNotAnalyse();
  void ClampedWindowsAreNoted();
  void RecordChangeWithoutAnalysisShowsNoEarlierResults();
  void LatePotentialsFollowEveryRecordChange();
  void LatePotentialNoteSaysHowSureTheFiguresAre();

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TSDIAppForm> window_;
  void OpenAnalyse(int count, int extra = 0);
};

void AnalysisWindowTest::init() { apptest::OpenScratchWindow(dir_, window_); }

void AnalysisWindowTest::cleanup() {
  window_.reset();
  dir_.reset();
}

void AnalysisWindowTest::OpenAnalyse(int count, int extra) {
  apptest::WriteRecords(dir_->path(), count);
  apptest::ListAndAnalyse(*window_, dir_->path(), [](int, const QString&) { return true; });
  QCOMPARE(window_->ListBox2->count(), count + extra);
}

void AnalysisWindowTest::DotClickedTwiceGivesTheSameFigures() {
  OpenAnalyse(2);
  TSDIAppForm& w = *window_;
  w.CheckBoxDot->click();  // unchecked: analysis without squares
  CheckSheet(w, CoreResults(1));
  const auto withoutDots = Pixels(w.Images().ImageW3);
  w.CheckBoxDot->click();  // checked again
  CheckSheet(w, CoreResults(1));
  QVERIFY(Pixels(w.Images().ImageW3) != withoutDots);  // the squares are drawn now
  QCOMPARE(Caption(w, "LabelP1"), QString("P0001.R01"));
}

void AnalysisWindowTest::AutoOffDisplayClickOnlyChangesTheMode() {
  OpenAnalyse(1);
  TSDIAppForm& w = *window_;
  w.Button1->click();
  const auto basic = Pixels(w.Images().ImageW0);
  const wavelet::AnalysisResults before = w.Analysis().Results;
  w.RadioButton2->click();  // spectrogram
  QCOMPARE(w.Analysis().Display.DisplayMode, 1);
  QVERIFY(Pixels(w.Images().ImageW0) == basic);
  w.Button1->click();       // "GO" draws the waterfall
  QVERIFY(Pixels(w.Images().ImageW0) != basic);
  // The spectrogram leaves the basic results alone.
  QVERIFY(std::memcmp(&before, &w.Analysis().Results, sizeof before) == 0);
}

void AnalysisWindowTest::ScaleClickAlwaysReanalyses() {
  OpenAnalyse(1);
  TSDIAppForm& w = *window_;
  QCOMPARE(w.Analysis().Display.AutoCalculation, 0);
  QCOMPARE(Caption(w, "LabelA01"), QString("0000000000"));
  w.ScaleButtons[4]->click();  // "5"
  QCOMPARE(w.Analysis().Display.SelectedScale, 5.0);
  CheckSheet(w, CoreResults(1));
  const auto scale5 = Pixels(w.Images().ImageW3);
  w.ScaleButtons[0]->click();  // "1": the curves are drawn flatter
  QCOMPARE(w.Analysis().Display.SelectedScale, 1.0);
  QVERIFY(Pixels(w.Images().ImageW3) != scale5);
}

void AnalysisWindowTest::MapKeepsTheBasicResultsAndShowsProgress() {
  OpenAnalyse(2);
  TSDIAppForm& w = *window_;
  w.Button1->click();  // basic analysis of record 1
  const wavelet::AnalysisResults basic = w.Analysis().Results;

  int steps = 0;
  int highest = 0;
  bool visibleWhileRunning = true;
  connect(w.ProgressBar1, &QProgressBar::valueChanged, this, [&](int value) {
    if (value > 0) ++steps;
    highest = std::max(highest, value);
    visibleWhileRunning = visibleWhileRunning && w.ProgressBar1->isVisible();
  });
  QVERIFY(w.ProgressBar1->isHidden());
  w.RadioButton3->click();
  w.Button1->click();
  QVERIFY(w.ProgressBar1->isHidden());
  QCOMPARE(steps, 134);
  QCOMPARE(highest, 134);
  QVERIFY(visibleWhileRunning);
  CheckSheet(w, basic);
  // The rise/fall markers are those of the basic analysis: dark green at the rise.
  const int rise = basic.RisePosition[0][4];
  QCOMPARE(w.Images().ImageW0.Pixel(rise, 0), wavelet::Colour(0x008000));
}

// A map draws the rise and fall of a basic analysis: of the record shown, so a map of
// a record not yet analysed runs its basic analysis first.
void AnalysisWindowTest::MapBeforeAnyBasicAnalysisShowsTheRecordsOwnRiseFall() {
  OpenAnalyse(1);
  TSDIAppForm& w = *window_;
  w.RadioButton3->click();
  w.Button1->click();
  const wavelet::AnalysisResults own = CoreResults(1);
  for (int i = 0; i < 4; ++i) {
    QCOMPARE(w.Images().Lead(i).Pixel(own.RisePosition[i][4], 0), wavelet::Colour(0x008000));
    QCOMPARE(w.Images().Lead(i).Pixel(own.FallPosition[i][4], 0), wavelet::Colour(0x008000));
  }
  CheckSheet(w, own);
}

void AnalysisWindowTest::EnteringTheSheetSwitchesBackToBasic() {
  OpenAnalyse(1);
  TSDIAppForm& w = *window_;
  w.RadioButton3->click();
  w.Button1->click();
  const auto map = Pixels(w.Images().ImageW1);
  w.PageControl1->setCurrentWidget(w.TabSheet3);
  QVERIFY(w.RadioButton1->isChecked());
  QCOMPARE(w.Analysis().Display.DisplayMode, 0);
  QVERIFY(Pixels(w.Images().ImageW1) == map);  // auto calculation off: no analysis yet

  // With auto calculation on, entering the sheet from the map runs the basic analysis.
  w.PageControl1->setCurrentWidget(w.TabSheet2);
  w.RadioButton4->click();  // ON: analyses (basic)
  w.RadioButton3->click();  // map, analysed at once
  QCOMPARE(w.Analysis().Display.DisplayMode, 2);
  w.Analysis().Results.Area = {};
  w.Analysis().Results.PeakCount = {};
  w.PageControl1->setCurrentWidget(w.TabSheet3);
  QCOMPARE(w.Analysis().Display.DisplayMode, 0);
  CheckSheet(w, CoreResults(1));
}

void AnalysisWindowTest::AutoOnAnalysesEveryRecordChange() {
  OpenAnalyse(3);
  TSDIAppForm& w = *window_;
  w.RadioButton4->click();
  QCOMPARE(w.Analysis().Display.AutoCalculation, 1);
  CheckSheet(w, CoreResults(1));
  w.ScrollBarFile->setValue(2);
  CheckSheet(w, CoreResults(3));
  w.ScrollBarFile->setValue(1);
  CheckSheet(w, CoreResults(2));

  QVERIFY(w.AnalysisNote->text().isEmpty());

  // Auto calculation off: the raw view follows the record, the analysis does not (and
  // the sheet no longer shows the previous record's figures).
  w.RadioButton5->click();
  const auto raw = Pixels(w.Images().ImageW4);
  w.ScrollBarFile->setValue(0);
  QVERIFY(Pixels(w.Images().ImageW4) != raw);
  QCOMPARE(Caption(w, "LabelA01"), QString("0000000000"));
}

void AnalysisWindowTest::AnalyseAtPositionZeroDoesNotAnalyse() {
  OpenAnalyse(2);
  TSDIAppForm& w = *window_;
  w.RadioButton4->click();  // analyses record 1
  w.ScrollBarFile->setValue(1);
  w.ScrollBarFile->setValue(0);
  w.Analysis().Results.PeakCount = {};
  w.Analysis().PeakListCount = 5;
  w.ButtonAnalyse->click();  // already at 0: loads, clears nothing, analyses nothing
  QCOMPARE(w.Analysis().PeakListCount, 5);
  QCOMPARE(w.Analysis().Results.PeakCount[0][0], 0);
  QCOMPARE(Caption(w, "LabelP1"), QString("P0001.R01"));
}

void AnalysisWindowTest::ClampedWindowsAreNoted() {
  wavelet::RecordFields f = apptest::Fields(1);
  f.QrsOnset = 200;
  f.QrsOffset = 780;
  const wavelet::RecordBytes odd = wavelet::EncodeRecord(f, apptest::BeatSamples(1, 300, 410));
  apptest::WriteRecord(QDir(dir_->path()).filePath("P0000.R01"), odd);
  OpenAnalyse(1, 1);  // P0000 (clamped), P0001
  TSDIAppForm& w = *window_;
  w.Button1->click();
  QVERIFY(w.Analysis().WindowsClamped);
  QVERIFY(w.ClampNote->text().contains("clamped"));
  QVERIFY(w.SheetClampNote->text().contains("clamped"));
  CheckSheet(w, CoreResults(0, &odd));
  w.ScrollBarFile->setValue(1);
  QVERIFY(w.ClampNote->text().isEmpty());
  w.Button1->click();
  QVERIFY(w.ClampNote->text().isEmpty());

  // "Analyse >>" from elsewhere with auto calculation on analyses the clamped first
  // record on the way back to it; its reload keeps the note.
  w.RadioButton4->click();
  w.ButtonAnalyse->click();
  QCOMPARE(Caption(w, "LabelP1"), QString("P0000.R01"));
  QVERIFY(w.ClampNote->text().contains("clamped"));
}

// Auto calculation off: a record change or "Analyse >>" loads a record that no
// analysis follows; nothing of the record analysed before may stay beside it.
void AnalysisWindowTest::RecordChangeWithoutAnalysisShowsNoEarlierResults() {
  OpenAnalyse(3);
  TSDIAppForm& w = *window_;
  auto showsNoResults = [&] {
    for (int i = 0; i < 4; ++i) {
      const auto pixels = Pixels(w.Images().Lead(i));
      if (std::any_of(pixels.begin(), pixels.end(), [](auto p) { return p != 0; })) return false;
    }
    return w.ImageW[3]->Image().pixel(200, 150) == qRgb(0, 0, 0) &&
           Caption(w, "LabelA01") == "0000000000" && Caption(w, "Label243") == "0000000000" &&
           w.AnalysisNote->text().contains("not analysed yet");
  };
  QVERIFY(showsNoResults());
  w.Button1->click();
  CheckSheet(w, CoreResults(1));
  QVERIFY(w.AnalysisNote->text().isEmpty());

  w.ScrollBarFile->setValue(2);
  QCOMPARE(Caption(w, "Label228"), QString("P0003.R01"));
  QVERIFY(showsNoResults());
  w.Button1->click();
  CheckSheet(w, CoreResults(3));
  w.ButtonAnalyse->click();
  QCOMPARE(Caption(w, "Label228"), QString("P0001.R01"));
  QVERIFY(showsNoResults());
}

// The late-potentials tab shows the record named on the analysis tab, whatever was
// shown before: its figures, a QRS not found, or nothing of a record that failed to load.
void AnalysisWindowTest::LatePotentialsFollowEveryRecordChange() {
  const QString dir = dir_->path();
  apptest::WriteRecord(QDir(dir).filePath("P0001.R01"), wavelet::MakeSampleRecord(1, 0));
  apptest::WriteRecord(QDir(dir).filePath("P0002.R01"), apptest::RecordFor(2));  // noise-free
  apptest::WriteBytes(QDir(dir).filePath("P0003.R01"), "short", 5);
  wavelet::RecordBytes warned = wavelet::MakeSampleRecord(1, 0);
  wavelet::RecordTag tag;
  tag.AveragedWithWarnings = true;
  wavelet::WriteRecordTag(warned, tag);
  apptest::WriteRecord(QDir(dir).filePath("P0004.R01"), warned);
  TSDIAppForm& w = *window_;
  apptest::ListAndAnalyse(w, dir, [](int, const QString&) { return true; });
  QCOMPARE(w.LatePotentialRecord->text(), QString("P0001.R01"));
  QCOMPARE(w.LatePotentialValues[0]->text(), QString("117 ms"));
  QCOMPARE(w.LatePotentialValues[1]->text(), QString("15.24 uV"));
  QCOMPARE(w.LatePotentialValues[2]->text(), QString("83 ms"));
  QCOMPARE(w.LatePotentialVerdict->text(), QString("late potentials present"));
  QVERIFY(w.LatePotentialUnit->text().contains("0.1 uV per unit"));
  QVERIFY(w.LatePotentialNote->text().isEmpty());  // no tag, so no averaging's warnings
  w.UnitSetting->setValue(0.2);  // the setting applies to records without a unit
  QCOMPARE(w.LatePotentialValues[1]->text(), QString("30.47 uV"));

  w.ScrollBarFile->setValue(1);
  QCOMPARE(w.LatePotentialRecord->text(), QString("P0002.R01"));
  QCOMPARE(w.LatePotentialVerdict->text(), QString("QRS not found"));
  for (QLabel* value : w.LatePotentialValues) QCOMPARE(value->text(), QString());

  w.ScrollBarFile->setValue(2);
  QCOMPARE(w.LatePotentialRecord->text(), QString("P0003.R01"));
  QVERIFY(w.LatePotentialVerdict->text().contains("could not be read"));
  QVERIFY(w.LatePotentialNoise->text().isEmpty());
  const wavelet::Canvas& image = w.Bench().LatePotentialImage();
  int lit = 0;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) lit += image.Pixel(x, y) != 0;
  }
  QVERIFY(lit < 24 * 35 * 2);  // the note's letters only, no curve

  // A record whose tag says its averaging gave warnings carries the note.
  w.ScrollBarFile->setValue(3);
  QCOMPARE(w.LatePotentialRecord->text(), QString("P0004.R01"));
  QVERIFY(w.LatePotentialNote->text().startsWith("This record was averaged with warnings"));
}

// The note below the figures: the P-wave guard's move of the onset (only where a QRS was
// found, since the onset means nothing otherwise) and an averaging with warnings.
void AnalysisWindowTest::LatePotentialNoteSaysHowSureTheFiguresAre() {
  wavelet::LatePotentialFigures figures;
  figures.QrsFound = true;
  QCOMPARE(wavelet::LatePotentialNoteText(figures, false), QString());
  figures.OnsetGuarded = true;
  const QString guarded = wavelet::LatePotentialNoteText(figures, false);
  QVERIFY(guarded.startsWith("The P-wave guard moved the QRS onset later") && !guarded.contains("\n"));
  QVERIFY(wavelet::LatePotentialNoteText(figures, true).startsWith(guarded + "\nThis record was averaged with warnings"));
  figures.QrsFound = false;
  QVERIFY(wavelet::LatePotentialNoteText(figures, true).startsWith("This record was averaged with warnings"));
  QCOMPARE(wavelet::LatePotentialNoteText(figures, false), QString());
}

QTEST_MAIN(AnalysisWindowTest)
#include "test_analysis_window.moc"
