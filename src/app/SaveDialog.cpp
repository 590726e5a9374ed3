#include "app/SaveDialog.h"

#include <QFileDialog>

namespace wavelet {

QString AskSavePath(QWidget* parent, const SaveChoice& choice) {
  QFileDialog dialog(parent);
  dialog.setObjectName(choice.ObjectName);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(choice.Suffix);
  dialog.setNameFilter(choice.Filter);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !choice.ConfirmOverwrite);
  if (!choice.Proposed.isEmpty()) dialog.selectFile(choice.Proposed);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

}  // namespace wavelet
