#include "app/WindowFonts.h"

#include <QApplication>

namespace wavelet {

void RegisterFontSubstitutions() {
  static bool done = false;
  if (done) return;
  done = true;
  QFont::insertSubstitutions("MS UI Gothic", {"IPAGothic", "IPAPGothic", "Noto Sans CJK JP"});
  QFont::insertSubstitutions("Courier New", {"Liberation Mono", "DejaVu Sans Mono"});
}

QFont SansFont(int pixelSize, bool bold) {
  QFont font = QApplication::font();
  font.setPixelSize(pixelSize);
  font.setBold(bold);
  return font;
}

QFont SystemFont(bool bold) { return SansFont(13, bold); }

QFont ListFont() {
  RegisterFontSubstitutions();
  QFont font("MS UI Gothic");
  font.setPixelSize(13);
  return font;
}

}  // namespace wavelet
