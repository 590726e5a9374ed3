#include "app/DirectoryChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace wavelet {
namespace {

constexpr int kPathRole = Qt::UserRole + 1;

QString DirectoryText(const QString& path) {
  QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
  return QDir::toNativeSeparators(clean);
}

}  // namespace

DirectoryChooser::DirectoryChooser(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformItemSizes(true);
  connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
    if (item != nullptr) OpenDirectory(item->data(kPathRole).toString());
  });
}

void DirectoryChooser::ShowDirectory(const QString& path) {
  directory_ = DirectoryText(path);
  Rebuild();
}

bool DirectoryChooser::OpenDirectory(const QString& path) {
  const QString text = DirectoryText(path);
  const QFileInfo info(text);
  if (!info.isDir() || !info.isReadable() || text == directory_) return false;
  directory_ = text;
  Rebuild();
  emit DirectoryChanged();
  return true;
}

void DirectoryChooser::Rebuild() {
  clear();
  const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
  const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);

  // Ancestors from the root down to the current directory.
  QStringList chain;
  QDir dir(QDir::fromNativeSeparators(directory_));
  while (true) {
    chain.prepend(dir.absolutePath());
    if (dir.isRoot() || !dir.cdUp()) break;
  }
  int depth = 0;
  for (const QString& path : chain) {
    const QDir d(path);
    const QString name = d.isRoot() ? QDir::toNativeSeparators(path) : d.dirName();
    auto* item = new QListWidgetItem(openIcon, QString(depth * 2, QLatin1Char(' ')) + name, this);
    item->setData(kPathRole, path);
    ++depth;
  }
  setCurrentRow(count() - 1);

  const QDir current(QDir::fromNativeSeparators(directory_));
  const QStringList subdirectories =
      current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
  for (const QString& name : subdirectories) {
    auto* item = new QListWidgetItem(closedIcon, QString(depth * 2, QLatin1Char(' ')) + name, this);
    item->setData(kPathRole, current.absoluteFilePath(name));
  }
}

}  // namespace wavelet
