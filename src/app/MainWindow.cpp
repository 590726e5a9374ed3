// Start-up, the file selection handlers, the record change and the record load.

#include "app/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "analysis/AnalysisState.h"
#include "app/AboutBox.h"
#include "app/BatchGridModel.h"
#include "app/BatchGridView.h"
#include "app/CanvasWidget.h"
#include "app/DirectoryChooser.h"
#include "app/TextForms.h"
#include "app/WindowHooks.h"
#include "record/RecordDecoder.h"
#include "record/RecordFile.h"
#include "record/RecordFileName.h"
#include "record/WorkList.h"

namespace wavelet {
namespace {

constexpr int kEntryRole = Qt::UserRole + 1;

std::string EntryBytes(const QListWidgetItem* item) {
  const QByteArray bytes = item->data(kEntryRole).toByteArray();
  return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QListWidgetItem* EntryItem(const std::string& entry) {
  auto* item = new QListWidgetItem(DisplayText(entry));
  item->setData(kEntryRole, QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
  return item;
}

// The hourglass over the window while a list handler works; one level however many
// steps ask for it.
class BusyCursor {
 public:
  static void Show() {
    if (depth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  static void Restore() {
    if (depth_ > 0 && --depth_ == 0) QApplication::restoreOverrideCursor();
  }

 private:
  static inline int depth_ = 0;
};

}  // namespace

void SetApplicationIdentity() { QApplication::setApplicationName("wavelet"); }

void TSDIAppForm::FormCreate() {
  workbench_->StartUp();
  RefreshImages();
  StringGrid1->SetDefaultColumnWidth(50);
  StringGrid1->SetDefaultRowHeight(18);
  StringGrid1->SetGridColumnWidth(0, 120);
  StringGrid1->SetGridColumnWidth(2, 150);
  StringGrid1->SetGridColumnWidth(9, 70);
  gridModel_->GridRowChanged(0);
}

void TSDIAppForm::CentreOnScreen() {
  const QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen();
  if (screen == nullptr) return;
  adjustSize();
  QRect frame = frameGeometry();
  frame.moveCenter(screen->availableGeometry().center());
  move(frame.topLeft());
}

void TSDIAppForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!centred_) {
    centred_ = true;
    CentreOnScreen();
  }
}

// --- Message boxes and the handler boundary ---

// A modal box takes the mouse: the release of an arrow of the patient selector held
// down when the box opens never reaches the selector, whose repeat would then go on
// stepping (a box per step) for as long as boxes are closed. The press ends here first,
// so one click is one step and at most one box.
void TSDIAppForm::EndSelectorPress() {
  if (ScrollBarFile == nullptr) return;
  const QPointF inside(1, 1);
  QMouseEvent release(QEvent::MouseButtonRelease, inside, ScrollBarFile->mapToGlobal(inside),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(ScrollBarFile, &release);
}

void TSDIAppForm::ShowError(const QString& text, const QString& reason) {
  lastErrorText_ = text;
  lastErrorReason_ = reason;
  if (!interactiveMessages_) return;
  EndSelectorPress();
  QMessageBox box(QMessageBox::Warning, "Error", text, QMessageBox::Ok, this);
  box.setInformativeText(reason);
  box.exec();
}

void TSDIAppForm::ReportEscapedError(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    lastErrorText_ = QString::fromLocal8Bit(e.what());
  } catch (...) {
    lastErrorText_ = "Unexpected error";
  }
  lastErrorReason_.clear();
  if (!interactiveMessages_) return;
  EndSelectorPress();
  QMessageBox::critical(this, "wavelet", lastErrorText_);
}

void TSDIAppForm::Guarded(const std::function<void()>& body) {
  try {
    body();
  } catch (...) {
    ReportEscapedError(std::current_exception());
  }
}

void TSDIAppForm::MoveSelector(const std::function<void()>& move, bool superseded) {
  deferSelectorError_ = true;
  deferredError_ = nullptr;
  const bool wasQuiet = std::exchange(quietLoads_, superseded);
  move();
  quietLoads_ = wasQuiet;
  deferSelectorError_ = false;
  if (deferredError_) std::rethrow_exception(std::exchange(deferredError_, nullptr));
}

// --- Lists ---

std::vector<std::string> TSDIAppForm::Entries(const QListWidget* list) {
  std::vector<std::string> entries;
  entries.reserve(static_cast<std::size_t>(list->count()));
  for (int i = 0; i < list->count(); ++i) entries.push_back(EntryBytes(list->item(i)));
  return entries;
}

std::vector<bool> TSDIAppForm::Selection(const QListWidget* list) {
  std::vector<bool> selected(static_cast<std::size_t>(list->count()), false);
  for (int i = 0; i < list->count(); ++i) selected[static_cast<std::size_t>(i)] = list->item(i)->isSelected();
  return selected;
}

void TSDIAppForm::FillList(QListWidget* list, const std::vector<std::string>& entries) {
  list->setUpdatesEnabled(false);
  list->clear();
  for (const std::string& entry : entries) list->addItem(EntryItem(entry));
  list->setUpdatesEnabled(true);
}

std::string TSDIAppForm::CurrentEntry() const {
  const int position = ScrollBarFile->value();
  if (position < 0 || position >= ListBox2->count()) return std::string();
  return EntryBytes(ListBox2->item(position));
}

void TSDIAppForm::SetWorkButtonsEnabled(bool enabled) {
  ButtonAdd->setEnabled(enabled);
  ButtonDelete->setEnabled(enabled);
  ButtonAnalyse->setEnabled(enabled && ListBox2->count() > 0);
}

void TSDIAppForm::DirectoryListBox1Change() {
  ButtonAdd->setEnabled(false);
  ButtonDelete->setEnabled(false);
  ButtonAnalyse->setEnabled(false);
  BusyCursor::Show();
  ListBox1->clear();
  ListBox2->clear();
  QString directory = DirectoryListBox1->Directory();
  if (!directory.endsWith(QDir::separator())) directory += QDir::separator();
  ListRecordFiles(ToBytes(directory));
  Button1->setEnabled(!batchRunning_);
  SetWorkButtonsEnabled(true);
  BusyCursor::Restore();
}

void TSDIAppForm::ListRecordFiles(const std::string& directoryText) {
  ButtonAdd->setEnabled(false);
  ButtonDelete->setEnabled(false);
  ButtonAnalyse->setEnabled(false);
  BusyCursor::Show();
  // The directory may change while events are processed between names; the rest of
  // this listing then belongs to a directory no longer shown and is dropped.
  const QString listed = DirectoryListBox1->Directory();
  // Events are processed after every name, but inserting into the shown list after
  // every name made the list lay itself out 20,000 times for a directory of 20,000
  // records (quadratic, tens of seconds); the names go in a few times a second
  // instead, which looks the same to a user, each at its place in the record-name
  // order (the batch tool's order for a directory), so the list is sorted all along.
  // Names of a directory no longer shown are dropped, pending ones too.
  std::vector<std::string> shown;
  std::vector<std::string> pending;
  const auto addPending = [&] {
    if (DirectoryListBox1->Directory() == listed && !pending.empty()) {
      SortRecordNames(pending);
      ListBox1->setUpdatesEnabled(false);
      auto place = shown.begin();
      for (std::string& name : pending) {
        place = std::upper_bound(place, shown.end(), name, [](const std::string& a, const std::string& b) {
          return RecordNameBefore(a, b);
        });
        const int row = static_cast<int>(place - shown.begin());
        ListBox1->insertItem(row, EntryItem(name));
        place = shown.insert(place, std::move(name)) + 1;
      }
      ListBox1->setUpdatesEnabled(true);
    }
    pending.clear();
  };
  QElapsedTimer sinceAdded;
  sinceAdded.start();
  ForEachRecordFile(directoryText, [&](const std::string& name) {
    if (DirectoryListBox1->Directory() != listed) return;
    pending.push_back(name);
    if (sinceAdded.elapsed() >= 100) {
      addPending();
      sinceAdded.restart();
    }
    QCoreApplication::processEvents();
  });
  addPending();
  BusyCursor::Restore();
}

void TSDIAppForm::ButtonAddClick() { MoveSelectedBetweenLists(ListBox1, ListBox2, false); }

// Names go back to their places in the candidate list, which stays in the listing's
// order; the work list keeps the order the user added its names in.
void TSDIAppForm::ButtonDeleteClick() { MoveSelectedBetweenLists(ListBox2, ListBox1, true); }

// "Add >>" and "<< Delete" are the same move with the lists' roles exchanged.
void TSDIAppForm::MoveSelectedBetweenLists(QListWidget* from, QListWidget* to, bool sortTarget) {
  Button1->setEnabled(false);
  ButtonAdd->setEnabled(false);
  ButtonDelete->setEnabled(false);
  ButtonAnalyse->setEnabled(false);
  BusyCursor::Show();
  std::vector<std::string> source = Entries(from);
  std::vector<std::string> target = Entries(to);
  const std::vector<bool> selected = Selection(from);
  const std::size_t before = target.size();
  MoveSelectedEntries(source, selected, target);
  if (target.size() != before) {
    if (sortTarget) SortRecordNames(target);
    FillList(from, source);
    FillList(to, target);
  }
  Button1->setEnabled(true);
  SetWorkButtonsEnabled(true);
  BusyCursor::Restore();
}

void TSDIAppForm::ButtonAnalyseClick() {
  Guarded([this] {
    if (ListBox2->count() == 0) return;  // the button is disabled then
    PageControl1->setCurrentWidget(TabSheet2);
    workbench_->SetWorkListSize(ListBox2->count());
    // Both moves may load a record on the way; the first entry is loaded below.
    MoveSelector([this] { ScrollBarFile->setMaximum(ListBox2->count() - 1); }, true);
    MoveSelector([this] { ScrollBarFile->setValue(0); }, true);
    ShowRecordPosition();
    if (!LoadRecord()) return;
    DrawRawSignal();
  });
}

void TSDIAppForm::ScrollBarFileChange() {
  // Moved by the program from inside another handler: a failure here abandons that
  // handler as well, so it is handed back to it rather than shown here.
  const bool deferError = std::exchange(deferSelectorError_, false);
  try {
    ShowRecordPosition();
    QCoreApplication::processEvents();
    // The batch loads and analyses each record itself, once.
    if (batchMovesSelector_) return;
    const std::string entry = SelectedEntry();
    lastLoadOk_ = false;
    WindowHeaderSink sink(*this);
    WindowHooks hooks(*this);
    const bool analyse = Analysis().Display.AutoCalculation == 1;
    const Outcome load =
        workbench_->ShowRecord(EntryPath(entry), entry, sink, CurrentView(), hooks, analyse);
    if (!RecordLoaded(load, entry)) return;
    ImageW[4]->Refresh();
  } catch (...) {
    if (deferError) {
      deferredError_ = std::current_exception();
    } else {
      ReportEscapedError(std::current_exception());
    }
  }
}

void TSDIAppForm::ShowRecordPosition() {
  Label22->setText(QString("%1/%2").arg(ScrollBarFile->value() + 1).arg(ScrollBarFile->maximum() + 1));
}

// --- The record load ---

QLabel* TSDIAppForm::ValueLabel(const QString& name) const { return labels_.value(name, nullptr); }

// A value label keeps its place and size; a text wider than it is set narrower (down
// to `leastStretch` % of its width) instead of losing its last characters.
void FitTextToLabel(QLabel* label, int leastStretch) {
  QFont font = label->font();
  font.setStretch(QFont::Unstretched);
  // Two pixels spare: a glyph may reach past its advance, and positions are rounded.
  const int room = label->contentsRect().width() - 2;
  const int advance = QFontMetrics(font).horizontalAdvance(label->text());
  if (room > 0 && advance > room) {
    int stretch = std::max(leastStretch, 100 * room / advance);
    font.setStretch(stretch);
    // Stretched glyph widths round on their own: a little narrower still until it fits
    // (a few steps; a font that cannot narrow stays as it is).
    for (int step = 0; step < 6 && stretch > leastStretch &&
                       QFontMetrics(font).horizontalAdvance(label->text()) > room;
         ++step) {
      font.setStretch(--stretch);
    }
  }
  label->setFont(font);
}

void TSDIAppForm::SetCaption(const QString& labelName, const std::string& bytes) {
  QLabel* label = ValueLabel(labelName);
  if (label == nullptr) return;
  label->setText(DisplayText(bytes));
  label->setProperty("CaptionBytes", QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  // A record's text (a patient's whole name of up to 24 characters in a label made for
  // about ten) is shown whole however narrow that makes it; the tooltip has it wide.
  FitTextToLabel(label, 1);
}

std::string TSDIAppForm::CaptionBytes(const QString& labelName) const {
  const QLabel* label = ValueLabel(labelName);
  if (label == nullptr) return std::string();
  const QVariant bytes = label->property("CaptionBytes");
  if (!bytes.isValid()) return ToBytes(label->text());
  const QByteArray array = bytes.toByteArray();
  return std::string(array.constData(), static_cast<std::size_t>(array.size()));
}

// The record load's texts go to the labels of both tabs; the caption names the file
// being loaded.
void WindowHeaderSink::ShowHeaderField(const PatientHeaderEntry& field, const std::string& text) {
  // The labels are narrower than many names and IDs: the tooltip has the whole text.
  for (const char* name : {field.AnalysisLabel, field.SheetLabel}) {
    window_.SetCaption(name, text);
    if (QLabel* label = window_.ValueLabel(name)) label->setToolTip(DisplayText(text));
  }
}

void WindowHeaderSink::RecordPathChosen(const std::string& path) {
  window_.setWindowTitle(DisplayText(path));
}

std::string TSDIAppForm::SelectedEntry() const {
  const int position = ScrollBarFile->value();
  if (position < 0 || position >= ListBox2->count()) {
    const int entries = ListBox2->count();
    throw std::out_of_range("List index out of bounds (" + std::to_string(position) +
                            "): the work list has " + std::to_string(entries) +
                            (entries == 1 ? " entry" : " entries") +
                            ". \"Analyse >>\" sets the patient selector up for it again.");
  }
  return EntryBytes(ListBox2->item(position));
}

std::string TSDIAppForm::EntryPath(const std::string& entry) const {
  return JoinPath(ToBytes(DirectoryListBox1->Directory()), entry);
}

QString TSDIAppForm::ProposedPicturePath(const char* suffix) const {
  const QString entry = DisplayText(CaptionBytes("LabelP1"));
  const QDir folder(DirectoryListBox1->Directory());
  return folder.filePath((entry.isEmpty() || workbench_->State() == RecordState::NothingLoaded
                              ? QString("picture")
                              : entry) +
                         suffix + ".png");
}

bool TSDIAppForm::LoadRecord() {
  const std::string entry = SelectedEntry();
  lastLoadOk_ = false;
  WindowHeaderSink sink(*this);
  const Outcome load = workbench_->LoadRecord(EntryPath(entry), entry, sink);
  if (Cursor().BatchMode == 1) gridModel_->GridRowChanged(Cursor().BatchRow);
  return RecordLoaded(load, entry);
}

bool TSDIAppForm::RecordLoaded(const Outcome& load, const std::string& entry) {
  const bool inBatch = Cursor().BatchMode == 1;
  if (!load.Ok) {
    // Nothing of the record shown before stays beside the failed entry's name.
    WindowHeaderSink sink(*this);
    for (std::size_t i = 1; i < kPatientHeader.size(); ++i) sink.ShowHeaderField(kPatientHeader[i], "");
  }
  ShowRecordState();
  RefreshImages();
  ShowLatePotentials();
  if (!load.Ok) {
    // A batch goes on and names every unreadable record once at its end; a load that
    // the same handler replaces by another is not worth a word.
    if (!quietLoads_) {
      if (inBatch) {
        batchUnreadable_.push_back(entry);
      } else {
        ShowError(DisplayText(load.ErrorText), DisplayText(load.Reason));
      }
    }
    return false;
  }
  lastLoadOk_ = true;
  return true;
}

void TSDIAppForm::HelpAbout1Execute() { aboutBox_->exec(); }

}  // namespace wavelet
