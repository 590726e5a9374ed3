#include "app/SaveDialog.h"

#include <QFileDialog>

namespace wavelet {

QString AskSavePath(QWidget* parent, const SaveDialogSpec& spec) {
  QFileDialog dialog(parent);
  dialog.setObjectName(spec.ObjectName);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(spec.Suffix);
  dialog.setNameFilter(spec.Filter);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !spec.ConfirmOverwrite);
  if (!spec.Proposed.isEmpty()) dialog.selectFile(spec.Proposed);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().first();
}

}  // namespace wavelet
