#pragma once
// The directory chooser: the current directory's ancestors (from the root down,
// indented), the current directory itself, and its subdirectories. Activating an
// entry (double-click or Enter) opens it; opening the directory already shown is no
// change and notifies nothing.

#include <QListWidget>
#include <QString>

namespace wavelet {

class DirectoryChooser : public QListWidget {
  Q_OBJECT

 public:
  explicit DirectoryChooser(QWidget* parent = nullptr);

  // The directory text: an absolute path without a trailing separator, except for a
  // root, whose text ends in one.
  QString Directory() const { return directory_; }
  // Opens `path`; returns false when it is not a readable directory or is the one
  // already shown (neither changes anything).
  bool OpenDirectory(const QString& path);
  // Shows `path` without notifying (the start-up directory).
  void ShowDirectory(const QString& path);
  void Rebuild();

 signals:
  void DirectoryChanged();

 private:
  QString directory_;
};


}  // namespace wavelet
