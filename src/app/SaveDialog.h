#pragma once
// The one save dialog of the window: a file to write, with a default suffix and
// one filter.

#include <QString>

class QWidget;

namespace wavelet {

struct SaveChoice {
  const char* ObjectName;
  const char* Suffix;
  QString Filter;
  QString Proposed;              // a file name or path to start from; may be empty
  bool ConfirmOverwrite = true;
};

// The chosen path, or an empty string when the user cancels.
QString AskSavePath(QWidget* parent, const SaveChoice& choice);

}  // namespace wavelet
