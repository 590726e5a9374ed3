// "Import recordings...": ECG recordings averaged into records of a chosen folder, off
// the user-interface thread, with a progress dialog; then a summary of what each
// recording gave (beats kept, noise, the averager's warnings, or why there is no
// record), and the new records listed where that loses no work list.

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <span>
#include <thread>
#include <utility>
#include <vector>

#include "acquisition/AverageFile.h"
#include "acquisition/Recording.h"
#include "app/DirectoryChooser.h"
#include "base/LargeBuffers.h"
#include "base/Paths.h"
#include "app/MainWindow.h"
#include "app/TextForms.h"
#include "record/RecordFileName.h"

namespace wavelet {
namespace {

bool SameFolder(const QString& a, const QString& b) {
  const QString ca = QFileInfo(a).canonicalFilePath();
  return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// The summary's text: one line per record written with its quality and its warnings
// under it, then the recordings that gave none, then what the run left undone.
QString ImportSummaryText(const std::vector<std::string>& recordings,
                          const std::vector<std::string>& names,
                          const std::vector<AverageFileResult>& results, std::size_t done,
                          const QString& target) {
  QStringList written;
  QStringList refused;
  int records = 0;
  for (std::size_t i = 0; i < done; ++i) {
    const AverageFileResult& result = results[i];
    if (!result.Written) {
      refused << "  " + DisplayText(result.ErrorText);
      continue;
    }
    ++records;
    const AveragingSummary& summary = result.Summary;
    // Names and paths are joined, not substituted: a "%1" in a file name stays as it is.
    written << "  " + DisplayText(names[i]) +
                   QString(": %1 of %2 beats kept, noise %3 uV")
                       .arg(summary.BeatsKept)
                       .arg(summary.BeatsFound)
                       .arg(summary.NoiseUv, 0, 'f', 2) +
                   (result.Warnings.empty() ? QString() : QString(", with warnings:"));
    for (const std::string& warning : result.Warnings) written << "      " + DisplayText(warning);
  }
  QStringList text;
  text << QString("%1 of %2 %3 gave a record in ")
                  .arg(records)
                  .arg(recordings.size())
                  .arg(recordings.size() == 1 ? "recording" : "recordings") +
              QDir::toNativeSeparators(target) + (records == 0 ? "." : ":");
  text << written;
  if (!refused.isEmpty()) text << "" << "These recordings gave no record:" << refused;
  if (done < recordings.size()) {
    const std::size_t left = recordings.size() - done;
    text << "" << QString("Cancelled: %1 %2 not averaged.")
                      .arg(left)
                      .arg(left == 1 ? "recording was" : "recordings were");
  }
  return text.join("\n");
}

}  // namespace

void TSDIAppForm::ShowImportSummary(const QString& text) {
  lastImportSummary_ = text;
  if (!interactiveMessages_) return;
  EndSelectorPress();
  // A list of every recording can be long: it scrolls inside a dialog of a fixed size.
  QDialog box(this);
  box.setObjectName("ImportSummary");
  box.setWindowTitle("Import recordings");
  auto* layout = new QVBoxLayout(&box);
  auto* view = new QPlainTextEdit(text, &box);
  view->setObjectName("ImportSummaryText");
  view->setReadOnly(true);
  view->setLineWrapMode(QPlainTextEdit::WidgetWidth);  // a reason reads whole, without scrolling
  layout->addWidget(view);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  layout->addWidget(buttons);
  box.resize(720, 360);
  box.exec();
}

void TSDIAppForm::ImportRecordingsClick() {
  const QString start = DirectoryListBox1->Directory();
  QString patterns;
  for (const char* extension : RecordingExtensions()) patterns += (patterns.isEmpty() ? "*" : " *") + QString(extension);
  const QStringList files =
      RecordingsChooser ? RecordingsChooser()
                        : QFileDialog::getOpenFileNames(
                              this, "Import recordings", start,
                              "ECG recordings (" + patterns + ");;All files (*)");
  if (files.isEmpty()) return;
  const QString target = ImportFolderChooser
                             ? ImportFolderChooser()
                             : QFileDialog::getExistingDirectory(this, "Folder for the records", start);
  if (target.isEmpty()) return;

  std::vector<std::string> recordings;
  for (const QString& file : files) recordings.push_back(ToBytes(file));
  KeepLargeBuffersInTheHeap();
  const std::vector<std::string> names = RecordNamesOf(recordings);
  const std::string folder = ToBytes(target);
  const AverageFileRequest request;
  std::vector<AverageFileResult> results(recordings.size());
  std::atomic<std::size_t> done{0};
  std::atomic<bool> cancelled{false};
  // The averaging runs beside the event loop; cancelling lets the recording under way
  // finish (its record stays) and starts no other.
  std::thread worker([&] {
    for (std::size_t i = 0; i < recordings.size() && !cancelled; ++i) {
      results[i] = AverageRecordingFile(recordings[i], JoinPath(folder, names[i]), request);
      ++done;
    }
  });
  QProgressDialog progress("Averaging the recordings...", "Cancel", 0,
                           static_cast<int>(recordings.size()), this);
  progress.setObjectName("ImportProgress");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(0);
  while (done < recordings.size()) {
    progress.setValue(static_cast<int>(done));
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    if (progress.wasCanceled()) {
      cancelled = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  worker.join();
  progress.setValue(static_cast<int>(recordings.size()));
  // The folder's averaging table gains this import's rows, as after the averaging tool.
  const Outcome table = UpdateAveragingTable(folder, std::span(recordings).first(done),
                                             std::span(std::as_const(results)).first(done));
  if (!table.Ok) ShowError(DisplayText(table.Message()));

  QString summary = ImportSummaryText(recordings, names, results, done, target);
  bool anyWritten = false;
  for (std::size_t i = 0; i < done; ++i) anyWritten = anyWritten || results[i].Written;
  // The work list is the user's work (hundreds of entries, perhaps): it is never
  // emptied for the new records. They are listed as candidates where that keeps it:
  // in the folder shown, or in another folder while the work list is empty.
  if (anyWritten) {
    if (SameFolder(target, DirectoryListBox1->Directory())) {
      ListNewCandidates();
    } else if (ListBox2->count() == 0) {
      DirectoryListBox1->OpenDirectory(target);
    } else {
      summary += "\n\nThe work list is kept: open " + QDir::toNativeSeparators(target) +
                 " in the chooser to list the new records.";
    }
  }
  ShowImportSummary(summary);
}

// The folder shown is listed again without touching the work list: the candidates are
// its records that are not on the work list, in the listing's order.
void TSDIAppForm::ListNewCandidates() {
  std::vector<std::string> candidates = wavelet::ListRecordFiles(ToBytes(DirectoryListBox1->Directory()));
  const std::vector<std::string> work = Entries(ListBox2);
  std::erase_if(candidates, [&](const std::string& name) {
    return std::find(work.begin(), work.end(), name) != work.end();
  });
  SortRecordNames(candidates);
  FillList(ListBox1, candidates);
  SetWorkButtonsEnabled(true);
}

}  // namespace wavelet
