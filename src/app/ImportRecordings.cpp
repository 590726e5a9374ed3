// "Import recordings...": ECG recordings averaged into records of a chosen folder, off
// the user-interface thread, with a progress dialog; the folder is listed afterwards so
// the new records can go on the work list.

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QProgressDialog>
#include <QPushButton>

#include <atomic>
#include <chrono>
#include <span>
#include <thread>
#include <utility>
#include <vector>

#include "acquisition/AverageFile.h"
#include "app/DirectoryChooser.h"
#include "base/LargeBuffers.h"
#include "app/MainWindow.h"
#include "app/TextForms.h"

namespace wavelet {

void TSDIAppForm::ImportRecordingsClick() {
  const QString start = DirectoryListBox1->Directory();
  const QStringList files =
      RecordingsChooser ? RecordingsChooser()
                        : QFileDialog::getOpenFileNames(
                              this, "Import recordings", start,
                              "ECG recordings (*.hea *.edf *.bdf *.gdf *.scp *.xml *.ecg *.hl7);;"
                              "All files (*)");
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
      results[i] = AverageRecordingFile(recordings[i], folder + "/" + names[i], request);
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

  QStringList refused;
  for (std::size_t i = 0; i < done; ++i) {
    if (!results[i].Written) refused << DisplayText(results[i].ErrorText);
  }
  // The folder shown already is listed again, so the new records show.
  if (!DirectoryListBox1->OpenDirectory(target)) DirectoryListBox1Change();
  if (!refused.isEmpty()) {
    ShowError("These recordings gave no record:\n" + refused.join("\n"));
  }
}

}  // namespace wavelet
