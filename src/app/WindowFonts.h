#pragma once
// The window's fonts. The designed faces are mapped to what a Linux desktop has:
// "MS UI Gothic" to IPAGothic (so Japanese renders), "Courier New" to Liberation Mono,
// and "System" / "MS Sans Serif" to the default sans face at the designed pixel size.

#include <QFont>

namespace wavelet {

// Registers the substitutions once per process; harmless to call again.
void RegisterFontSubstitutions();

QFont SansFont(int pixelSize, bool bold = false);
QFont SystemFont(bool bold = false);  // "System", 13 pixels
QFont ListFont();                     // "MS UI Gothic", 13 pixels

}  // namespace wavelet
