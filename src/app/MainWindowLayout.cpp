// The widget tree of the main window: every widget at its designed place and size.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/AboutBox.h"
#include "app/BatchGridModel.h"
#include "app/BatchGridView.h"
#include "app/CanvasWidget.h"
#include "app/DirectoryChooser.h"
#include "app/MainWindow.h"
#include "app/MenuIcons.h"
#include "app/WindowFonts.h"
#include "output/PatientHeader.h"
#include "output/ResultColumns.h"

namespace wavelet {
namespace {

constexpr int kClientWidth = 1007;
constexpr int kClientHeight = 868;

QFrame* LoweredPanel(QWidget* parent, const char* name) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  return panel;
}

// A tab page holding one lowered panel that fills it.
QFrame* TabPanel(QWidget* page, const char* name) {
  QFrame* panel = LoweredPanel(page, name);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(panel);
  return panel;
}

QGroupBox* Group(QWidget* parent, const char* name, const QString& title, int x, int y,
                 int width, int height) {
  auto* group = new QGroupBox(title, parent);
  group->setObjectName(name);
  group->setGeometry(x, y, width, height);
  return group;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, int x, int y,
                    int width, int height) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(x, y, width, height);
  button->setAutoDefault(false);
  return button;
}

QRadioButton* Radio(QWidget* parent, const QString& name, const QString& text, int tag, int x,
                    int y, int width) {
  auto* radio = new QRadioButton(text, parent);
  radio->setObjectName(name);
  radio->setProperty("Tag", tag);
  radio->setGeometry(x, y, width, 17);
  return radio;
}

QListWidget* List(QWidget* parent, const char* name, int x, int y, int width, int height) {
  auto* list = new QListWidget(parent);
  list->setObjectName(name);
  list->setGeometry(x, y, width, height);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setSortingEnabled(false);
  list->setUniformItemSizes(true);
  list->setFont(ListFont());
  return list;
}

}  // namespace

QLabel* TSDIAppForm::MakeLabel(QWidget* parent, const QString& name, const QString& text, int x,
                               int y, int width, int height) {
  auto* label = new QLabel(text, parent);
  if (!name.isEmpty()) {
    label->setObjectName(name);
    labels_.insert(name, label);
  }
  label->move(x, y);
  if (width > 0) {
    label->resize(width, height > 0 ? height : 16);
    if (!name.isEmpty()) FitTextToLabel(label);
  } else {
    label->adjustSize();
  }
  return label;
}

void TSDIAppForm::BuildMenus() {
  // The action list: every command with its caption, shortcut and icon.
  auto makeAction = [this](const char* name, const QString& caption, const QKeySequence& keys,
                           int icon) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(keys);
    // The actions themselves are not on any widget, so their shortcuts are only
    // shown; a key reaches a command through its menu entry alone.
    action->setShortcutContext(Qt::WidgetShortcut);
    if (icon >= 0) action->setIcon(MenuIcon(icon));
    return action;
  };
  FileNew1 = makeAction("FileNew1", "新規作成(&N)", QKeySequence("Ctrl+N"), 6);
  FileOpen1 = makeAction("FileOpen1", "開く(&O)...", QKeySequence("Ctrl+O"), 7);
  FileSave1 = makeAction("FileSave1", "上書き保存(&S)", QKeySequence("Ctrl+S"), 8);
  FileSaveAs1 = makeAction("FileSaveAs1", "名前をつけて保存(&A)...", QKeySequence(), -1);
  FileExit1 = makeAction("FileExit1", "終了(&X)", QKeySequence(), -1);
  EditCut1 = makeAction("EditCut1", "切り取り(&T)", QKeySequence("Ctrl+X"), 0);
  EditCopy1 = makeAction("EditCopy1", "コピー(&C)", QKeySequence("Ctrl+C"), 1);
  EditPaste1 = makeAction("EditPaste1", "貼り付け(&P)", QKeySequence("Ctrl+V"), 2);
  HelpAbout1 = makeAction("HelpAbout1", "バージョン情報(&A)...", QKeySequence(), -1);

  // A menu entry mirrors its action; a disabled entry swallows its shortcut.
  auto entry = [this](QMenu* menu, const char* name, QAction* action, bool enabled) {
    auto* item = new QAction(action->icon(), action->text(), menu);
    item->setObjectName(name);
    item->setShortcut(action->shortcut());
    item->setShortcutContext(Qt::WindowShortcut);
    item->setEnabled(enabled);
    connect(item, &QAction::triggered, action, [action] { action->trigger(); });
    menu->addAction(item);
    return item;
  };

  QMenuBar* bar = menuBar();
  bar->setObjectName("MainMenu1");
  QMenu* file = bar->addMenu("ファイル(&F)");
  file->setObjectName("File1");
  entry(file, "FileNewItem", FileNew1, false);
  entry(file, "FileOpenItem", FileOpen1, false);
  entry(file, "FileSaveItem", FileSave1, false);
  entry(file, "FileSaveAsItem", FileSaveAs1, true);
  file->addSeparator()->setObjectName("N1");
  entry(file, "FileExitItem", FileExit1, true);

  QMenu* edit = bar->addMenu("編集(&E)");
  edit->setObjectName("Edit1");
  QAction* cut = entry(edit, "CutItem", EditCut1, true);
  QAction* copy = entry(edit, "CopyItem", EditCopy1, true);
  QAction* paste = entry(edit, "PasteItem", EditPaste1, true);

  QMenu* help = bar->addMenu("ヘルプ(&H)");
  help->setObjectName("Help1");
  entry(help, "HelpAboutItem", HelpAbout1, true);

  // Cut, copy and paste work on the focused text-entry control and are unavailable
  // while none has the focus.
  auto editTarget = [] () -> QWidget* {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) return nullptr;
    const QMetaObject* meta = focus->metaObject();
    if (meta->indexOfMethod("cut()") < 0 || meta->indexOfMethod("paste()") < 0) return nullptr;
    return focus;
  };
  auto updateEdit = [=] {
    const bool available = editTarget() != nullptr;
    cut->setEnabled(available);
    copy->setEnabled(available);
    paste->setEnabled(available);
  };
  connect(qApp, &QApplication::focusChanged, this, updateEdit);
  updateEdit();
  connect(EditCut1, &QAction::triggered, this, [=] {
    if (QWidget* w = editTarget()) QMetaObject::invokeMethod(w, "cut");
  });
  connect(EditCopy1, &QAction::triggered, this, [=] {
    if (QWidget* w = editTarget()) QMetaObject::invokeMethod(w, "copy");
  });
  connect(EditPaste1, &QAction::triggered, this, [=] {
    if (QWidget* w = editTarget()) QMetaObject::invokeMethod(w, "paste");
  });
}

void TSDIAppForm::BuildFileSelectionTab() {
  Panel1 = TabPanel(TabSheet1, "Panel1");

  DriveComboBox1 = new QComboBox(Panel1);
  DriveComboBox1->setObjectName("DriveComboBox1");
  DriveComboBox1->setGeometry(40, 40, 225, 19);
  for (const QFileInfo& drive : QDir::drives()) {
    DriveComboBox1->addItem(QDir::toNativeSeparators(drive.absolutePath()));
  }

  DirectoryListBox1 = new DirectoryChooser(Panel1);
  DirectoryListBox1->setObjectName("DirectoryListBox1");
  DirectoryListBox1->setGeometry(40, 80, 225, 705);
  DirectoryListBox1->setFont(ListFont());

  ListBox1 = List(Panel1, "ListBox1", 296, 40, 225, 745);
  ButtonAdd = Button(Panel1, "ButtonAdd", "Add >>", 552, 296, 75, 25);
  ButtonDelete = Button(Panel1, "ButtonDelete", "<< Delete", 552, 352, 75, 25);
  ListBox2 = List(Panel1, "ListBox2", 656, 40, 225, 745);
  ButtonAnalyse = Button(Panel1, "ButtonAnalyse", "Analyse >>", 904, 760, 81, 25);
  ButtonImport = Button(Panel1, "ButtonImport", "Import recordings...", 529, 720, 120, 25);
  ButtonImport->setToolTip("Average ECG recordings (WFDB, EDF, SCP-ECG, HL7 aECG...) into "
                           "records of a folder, then list it");
  ButtonAdd->setEnabled(false);
  ButtonDelete->setEnabled(false);
  ButtonAnalyse->setEnabled(false);
}

void TSDIAppForm::BuildPatientDataGroup(QGroupBox* group) {
  int y = 18;
  for (const PatientHeaderEntry& row : PatientHeaderByRow()) {
    MakeLabel(group, QString(), row.AnalysisCaption, 6, y, 62, 16);
    QLabel* value = MakeLabel(group, row.AnalysisLabel, "000", 68, y, row.Unit ? 40 : 74, 16);
    value->setProperty("CaptionBytes", QByteArray("000"));
    if (row.Unit != nullptr) MakeLabel(group, QString(), row.Unit, 110, y, 32, 16);
    y += 20;
  }
}

void TSDIAppForm::BuildAnalysisTab() {
  Panel4 = TabPanel(TabSheet2, "Panel4");

  QGroupBox* selection = Group(Panel4, "GroupBoxSelection", "Pt.selection", 8, 8, 145, 73);
  ScrollBarFile = new QScrollBar(Qt::Horizontal, selection);
  ScrollBarFile->setObjectName("ScrollBarFile");
  ScrollBarFile->setGeometry(8, 24, 129, 17);
  ScrollBarFile->setRange(0, 100);
  ScrollBarFile->setValue(0);
  ScrollBarFile->setPageStep(1);
  // Right-aligned across the group, ending under the scroll bar's end as the default
  // caption does, so "10000/10000" is shown whole.
  Label22 = MakeLabel(selection, "Label22", "11/230", 8, 48, 129, 16);
  Label22->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  BuildPatientDataGroup(Group(Panel4, "GroupBoxPatient", "Pt. data", 8, 88, 145, 249));

  QGroupBox* display = Group(Panel4, "GroupBoxDisplay", "display", 8, 344, 145, 81);
  RadioButton1 = Radio(display, "RadioButton1", "basic", 0, 8, 18, 64);
  CheckBoxDot = new QCheckBox(display);
  CheckBoxDot->setObjectName("CheckBoxDot");
  CheckBoxDot->setGeometry(80, 18, 20, 17);
  CheckBoxDot->setToolTip("peak squares");
  CheckBoxLine = new QCheckBox(display);
  CheckBoxLine->setObjectName("CheckBoxLine");
  CheckBoxLine->setGeometry(104, 18, 20, 17);
  CheckBoxLine->setToolTip("ridge lines");
  RadioButton2 = Radio(display, "RadioButton2", "spectrogram", 1, 8, 38, 130);
  RadioButton3 = Radio(display, "RadioButton3", "map", 2, 8, 58, 130);
  RadioButton1->setChecked(true);
  CheckBoxDot->setChecked(true);
  CheckBoxLine->setChecked(true);

  QGroupBox* scale = Group(Panel4, "GroupBoxScale", "scale", 8, 432, 145, 81);
  for (int i = 0; i < 6; ++i) {
    const int x = 10 + (i % 3) * 44;
    const int y = 22 + (i / 3) * 28;
    ScaleButtons[i] = Radio(scale, QString("RadioButton%1").arg(6 + i), QString::number(i + 1),
                            i + 1, x, y, 40);
  }
  ScaleButtons[1]->setChecked(true);

  QGroupBox* calculation = Group(Panel4, "GroupBoxCalculation", "calculation", 8, 520, 145, 57);
  Button1 = Button(calculation, "Button1", "GO", 32, 22, 81, 25);

  QGroupBox* print = Group(Panel4, "GroupBoxPrint", "print", 8, 584, 145, 57);
  Button3 = Button(print, "Button3", "Print", 32, 22, 81, 25);

  QGroupBox* batch = Group(Panel4, "GroupBoxBatch", "batch analysis", 8, 648, 145, 73);
  Button2 = Button(batch, "Button2", "GO", 32, 18, 81, 25);
  CheckBoxBP = new QCheckBox("batch print", batch);
  CheckBoxBP->setObjectName("CheckBoxBP");
  CheckBoxBP->setGeometry(16, 48, 120, 17);

  QGroupBox* automatic = Group(Panel4, "GroupBoxAuto", "auto calculation", 8, 728, 145, 65);
  RadioButton4 = Radio(automatic, "RadioButton4", "ON", 1, 16, 28, 52);
  RadioButton5 = Radio(automatic, "RadioButton5", "OFF", 0, 76, 28, 56);
  RadioButton5->setChecked(true);

  ProgressBar1 = new QProgressBar(Panel4);
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setGeometry(8, 800, 145, 17);
  ProgressBar1->setRange(0, 150);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setVisible(false);

  // The five images, each in a framed panel with a 4-pixel inset.
  struct Place {
    int x, y;
  };
  static const Place places[kImageCount] = {{168, 210}, {592, 210}, {168, 518}, {592, 518},
                                            {168, 2}};
  for (int i = 0; i < kImageCount; ++i) {
    const Canvas& canvas = workbench_->Images().Lead(i);
    QFrame* frame = LoweredPanel(Panel4, QString("PanelW%1").arg(i).toLatin1().constData());
    frame->setGeometry(places[i].x, places[i].y, canvas.Width() + 8, canvas.Height() + 8);
    ImageW[i] = new CanvasWidget(&canvas, frame);
    ImageW[i]->setObjectName(QString("ImageW%1").arg(i));
    ImageW[i]->move(4, 4);
    ImageW[i]->ErrorShown = [this](const QString& text) { ShowError(text); };
    ImageW[i]->ProposedPath = [this, i] { return ProposedPicturePath(PictureSuffix(i)); };
  }

  ScrollBar2 = new QScrollBar(Qt::Vertical, Panel4);
  ScrollBar2->setObjectName("ScrollBar2");
  ScrollBar2->setGeometry(978, 24, 17, 185);
  ScrollBar2->setRange(0, 99);
  ScrollBar2->setValue(70);
  Label23 = MakeLabel(Panel4, "Label23", "30", 980, 4, 24, 16);

  // Lead letters: Z, Y, X from the top of the raw image (their baselines), and one
  // beside each lead image.
  MakeLabel(Panel4, QString(), "Z", 156, 2 + 4 + 50 - 8, 10, 16);
  MakeLabel(Panel4, QString(), "Y", 156, 2 + 4 + 100 - 8, 10, 16);
  MakeLabel(Panel4, QString(), "X", 156, 2 + 4 + 150 - 8, 10, 16);
  MakeLabel(Panel4, QString(), "X", 156, 214, 10, 16);
  MakeLabel(Panel4, QString(), "Y", 580, 214, 10, 16);
  MakeLabel(Panel4, QString(), "Z", 156, 522, 10, 16);
  MakeLabel(Panel4, QString(), "M", 580, 522, 12, 16);

  ClampNote = MakeLabel(Panel4, "ClampNote", QString(), 168, 824, 824, 14);
  ClampNote->setStyleSheet("color: #b00000;");
  ClampNote->setFont(SansFont(11, true));
  // Same line: the clamped note belongs to results, this one to a record without them.
  AnalysisNote = MakeLabel(Panel4, "AnalysisNote", QString(), 168, 824, 824, 14);
  AnalysisNote->setStyleSheet("color: #00309a;");
  AnalysisNote->setFont(SansFont(11, true));
}

void TSDIAppForm::BuildCalculationTab() {
  Panel5 = TabPanel(TabSheet3, "Panel5");
  auto value = [this](const QString& name, int x, int y) {
    QLabel* label = MakeLabel(Panel5, name, kInitialSheetValue, x, y, 70, 16);
    label->setProperty("CaptionBytes", QByteArray(kInitialSheetValue));
  };

  // The captions of the figure grid; the value labels come from the result table.
  static const char* leadLetters[kLeads] = {"X", "Y", "Z", "M"};
  static const char* itemCaptions[4] = {"area", "peak_num", "fQRS", "last peak"};
  static const char* combinedCaptions[3] = {"peak_num", "first_peak", "last_peak"};
  constexpr int kFirstScaleTop = 128, kScaleRowPitch = 72, kItemPitch = 16, kCombinedTop = 704;
  constexpr int kFirstJudgementTop = 320;
  for (int k = 0; k < kLeads; ++k) MakeLabel(Panel5, QString(), leadLetters[k], 208 + 88 * k, 96);
  for (int r = 0; r < kScales; ++r) {
    const int top = kFirstScaleTop + kScaleRowPitch * r;
    MakeLabel(Panel5, QString(), QString::number(r + 1), 64, top);
    for (int i = 0; i < 4; ++i) {
      MakeLabel(Panel5, QString(), itemCaptions[i], 88, top + kItemPitch * i, 100, 16);
    }
  }
  MakeLabel(Panel5, QString(), "combine", 24, kCombinedTop, 60, 16);
  for (int i = 0; i < 3; ++i) {
    MakeLabel(Panel5, QString(), combinedCaptions[i], 88, kCombinedTop + kItemPitch * i, 100, 16);
  }
  for (const ResultColumn& column : ResultColumns()) {
    const SheetPlace& place = column.Place;
    const QString name = QString::fromStdString(column.SheetLabel);
    switch (place.Section) {
      case SheetSection::ScaleItem:
        value(name, 192 + 88 * place.Lead,
              kFirstScaleTop + kScaleRowPitch * place.Row + kItemPitch * place.Item);
        break;
      case SheetSection::CombinedItem:
        value(name, 192 + 88 * place.Lead, kCombinedTop + kItemPitch * place.Item);
        break;
      case SheetSection::Judgement: {
        const int top = kFirstJudgementTop + kItemPitch * place.Row;
        MakeLabel(Panel5, QString(), column.SheetCaption, 584, top, 204, 16);
        value(name, 792, top);
        break;
      }
    }
  }

  for (const PatientHeaderEntry& row : PatientHeaderByRow()) {
    MakeLabel(Panel5, QString(), row.SheetCaption, 584, 128 + 16 * row.DisplayRow, 72, 16);
    value(row.SheetLabel, 656, 128 + 16 * row.DisplayRow);
  }

  SheetClampNote = MakeLabel(Panel5, "SheetClampNote", QString(), 584, 440, 400, 32);
  SheetClampNote->setWordWrap(true);
  SheetClampNote->setStyleSheet("color: #b00000;");
}

void TSDIAppForm::BuildBatchTab() {
  Panel7 = TabPanel(TabSheet4, "Panel7");
  gridModel_ = new BatchGridModel(&workbench_->Grid(), this);
  StringGrid1 = new BatchGridView(gridModel_, Panel7);
  StringGrid1->setObjectName("StringGrid1");
  auto* layout = new QVBoxLayout(Panel7);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->addWidget(StringGrid1);
}

TSDIAppForm::TSDIAppForm(QWidget* parent, const QString& startDirectory)
    : QMainWindow(parent),
      workbench_(std::make_unique<Workbench>()) {
  RegisterFontSubstitutions();
  setObjectName("SDIAppForm");
  setWindowTitle("wavelet");
  setWindowIcon(QIcon(ProgramPicture(32, 32)));
  setFont(SystemFont());

  BuildMenus();

  auto* client = new QWidget(this);
  client->setObjectName("ClientArea");
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);
  Panel2 = LoweredPanel(client, "Panel2");
  Panel2->setGeometry(0, 0, kClientWidth, 4);
  Panel3 = new QFrame(client);
  Panel3->setObjectName("Panel3");
  Panel3->setGeometry(0, 4, kClientWidth, 4);

  PageControl1 = new QTabWidget(client);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setGeometry(0, 8, kClientWidth, kClientHeight - 8);
  PageControl1->setDocumentMode(true);
  QFont tabFont = SystemFont(true);
  PageControl1->tabBar()->setFont(tabFont);
  PageControl1->tabBar()->setDrawBase(false);
  PageControl1->setStyleSheet(
      "QTabBar::tab { border: 1px solid #808080; border-radius: 2px; padding: 2px 10px;"
      " margin: 1px 2px; background: #e4e4e4; }"
      "QTabBar::tab:selected { background: #ffffff; border: 1px inset #404040; }");
  const char* pageNames[6] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5", "TabSheet6"};
  const char* captions[6] = {"file selection", "wavelet analysis", "calculation data",
                             "batch data output sheet", "late potentials", "cohort"};
  QWidget** pages[6] = {&TabSheet1, &TabSheet2, &TabSheet3, &TabSheet4, &TabSheet5, &TabSheet6};
  for (int i = 0; i < 6; ++i) {
    *pages[i] = new QWidget();
    (*pages[i])->setObjectName(pageNames[i]);
    PageControl1->addTab(*pages[i], captions[i]);
  }

  BuildFileSelectionTab();
  BuildAnalysisTab();
  BuildCalculationTab();
  BuildBatchTab();
  BuildLatePotentialTab();
  BuildCohortTab();

  // A single, non-resizable border around the fixed client area.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  PageControl1->setCurrentIndex(0);

  FormCreate();

  DirectoryListBox1->ShowDirectory(startDirectory.isEmpty() ? QDir::currentPath()
                                                            : startDirectory);
  ConnectHandlers();

  aboutBox_ = new TAboutBox(this);
}

}  // namespace wavelet
