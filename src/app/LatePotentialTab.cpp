// The late-potentials tab: the time-domain figures of the record shown beside the
// wavelet criteria, with their picture, limits, flags, verdict, noise and the unit in
// use. It follows every record change and failed load, so it never shows the figures
// of another record than the one named on the analysis tab.

#include <QDoubleSpinBox>
#include <QFrame>
#include <QLabel>
#include <QVBoxLayout>

#include "app/CanvasWidget.h"
#include "app/MainWindow.h"
#include "app/TextForms.h"
#include "output/LatePotentialTexts.h"
#include "record/RecordTag.h"
#include "views/LatePotentialView.h"

namespace wavelet {
namespace {

QLabel* TabLabel(QWidget* parent, const char* name, const QString& text, int x, int y, int width) {
  auto* label = new QLabel(text, parent);
  if (name != nullptr) label->setObjectName(name);
  label->setGeometry(x, y, width, 18);
  return label;
}

}  // namespace

void TSDIAppForm::BuildLatePotentialTab() {
  auto* panel = new QFrame(TabSheet5);
  panel->setObjectName("Panel8");
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* layout = new QVBoxLayout(TabSheet5);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panel);

  LatePotentialRecord = TabLabel(panel, "LatePotentialRecord", QString(), 16, 12, 600);
  LatePotentialImage = new CanvasWidget(&workbench_->LatePotentialImage(), panel);
  LatePotentialImage->setObjectName("LatePotentialImage");
  LatePotentialImage->move(16, 40);
  LatePotentialImage->ErrorShown = [this](const QString& text) { ShowError(text); };
  LatePotentialImage->ProposedPath = [this] { return ProposedPicturePath("_LP"); };

  const int top = 40 + kLatePotentialImageHeight + 20;
  TabLabel(panel, nullptr, "filtered QRS (40-250 Hz)", 16, top, 200);
  TabLabel(panel, nullptr, "abnormal when", 240, top, 120);
  TabLabel(panel, nullptr, "abnormal", 380, top, 80);
  for (int i = 0; i < 3; ++i) {
    const int y = top + 24 * (i + 1);
    LatePotentialCaptions[i] = TabLabel(panel, nullptr, QString(), 16, y, 70);
    LatePotentialValues[i] = TabLabel(panel, nullptr, QString(), 96, y, 120);
    LatePotentialValues[i]->setObjectName(QString("LatePotentialValue%1").arg(i));
    LatePotentialLimits[i] = TabLabel(panel, nullptr, QString(), 240, y, 120);
    LatePotentialFlags[i] = TabLabel(panel, nullptr, QString(), 380, y, 80);
    LatePotentialFlags[i]->setObjectName(QString("LatePotentialFlag%1").arg(i));
  }
  LatePotentialVerdict = TabLabel(panel, "LatePotentialVerdict", QString(), 16, top + 110, 600);
  QFont bold = LatePotentialVerdict->font();
  bold.setBold(true);
  LatePotentialVerdict->setFont(bold);
  LatePotentialNoise = TabLabel(panel, "LatePotentialNoise", QString(), 16, top + 140, 700);
  LatePotentialUnit = TabLabel(panel, "LatePotentialUnit", QString(), 16, top + 164, 700);

  TabLabel(panel, nullptr, "uV per unit of records that state no unit:", 16, top + 200, 300);
  UnitSetting = new QDoubleSpinBox(panel);
  UnitSetting->setObjectName("UnitSetting");
  UnitSetting->setGeometry(320, top + 198, 100, 22);
  UnitSetting->setDecimals(4);
  UnitSetting->setRange(0.0001, 1000.0);
  UnitSetting->setSingleStep(0.01);
  UnitSetting->setValue(kDefaultMicrovoltsPerUnit);
  connect(UnitSetting, &QDoubleSpinBox::valueChanged, this, [this] { ShowLatePotentials(); });
  // Below everything else, so nothing above moves for it.
  LatePotentialNote = TabLabel(panel, "LatePotentialNote", QString(), 16, top + 236, 872);
  LatePotentialNote->resize(872, 40);
  LatePotentialNote->setWordWrap(true);
  LatePotentialNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  LatePotentialNote->setStyleSheet("color: #00309a;");
  ShowLatePotentials();
}

QString LatePotentialNoteText(const LatePotentialFigures& figures, bool averagedWithWarnings) {
  QStringList notes;
  if (figures.QrsFound && figures.OnsetGuarded) {
    notes << "The P-wave guard moved the QRS onset later: the P wave ran into the QRS "
             "without a quiet gap. Check the onset on the picture.";
  }
  if (averagedWithWarnings) {
    notes << "This record was averaged with warnings (few beats kept, the onset not placed, "
             "...): the import's summary and averaging.csv name them.";
  }
  return notes.join("\n");
}

void TSDIAppForm::ShowLatePotentials() {
  if (UnitSetting == nullptr) return;
  const double setting = UnitSetting->value();
  const std::optional<LatePotentialFigures> figures = workbench_->DrawLatePotentials(setting);
  LatePotentialImage->Refresh();
  const RecordState state = workbench_->State();
  LatePotentialRecord->setText(state == RecordState::NothingLoaded
                                   ? QString("No record is shown.")
                                   : DisplayText(CaptionBytes("LabelP1")));
  const std::vector<LatePotentialLine> lines =
      figures ? LatePotentialLines(*figures) : LatePotentialLines(LatePotentialFigures{});
  for (int i = 0; i < 3; ++i) {
    const LatePotentialLine& line = lines[static_cast<std::size_t>(i)];
    LatePotentialCaptions[i]->setText(QString::fromStdString(line.Caption));
    LatePotentialValues[i]->setText(QString::fromStdString(line.Value));
    LatePotentialLimits[i]->setText(QString::fromStdString(line.Limit));
    LatePotentialFlags[i]->setText(figures && figures->QrsFound ? (line.Abnormal ? "yes" : "no")
                                                                : QString());
    LatePotentialFlags[i]->setStyleSheet(line.Abnormal ? "color: #b00000;" : "");
  }
  if (!figures) {
    LatePotentialVerdict->setText(state == RecordState::LoadFailed
                                      ? QString("The record could not be read: no figures.")
                                      : QString());
    LatePotentialNoise->clear();
    LatePotentialUnit->clear();
    LatePotentialNote->clear();
    return;
  }
  const std::optional<RecordTag> tag = ReadRecordTag(workbench_->Record().RecordBuffer);
  LatePotentialNote->setText(LatePotentialNoteText(*figures, tag && tag->AveragedWithWarnings));
  LatePotentialVerdict->setText(QString::fromStdString(wavelet::LatePotentialVerdict(*figures)));
  LatePotentialNoise->setText(QString::fromStdString(NoiseText(*figures)));
  const bool tagged = workbench_->RecordStatesUnit();
  LatePotentialUnit->setText(QString::fromStdString(
      "unit in use: " + UnitText(figures->MicrovoltsPerUnit) + " uV per unit" +
      (tagged ? " (stated by the record)" : " (the setting below)")));
}

}  // namespace wavelet
