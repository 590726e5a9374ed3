#pragma once
// The small built-in icon set of the menu (16 x 16): 0 cut, 1 copy, 2 paste,
// 3 delete, 4 undo, 5 find, 6 new, 7 open, 8 save.

#include <QIcon>

namespace wavelet {

inline constexpr int kMenuIconCount = 9;

QIcon MenuIcon(int index);
// The picture of the About box and the window icon: a small wavelet trace.
QPixmap ProgramPicture(int width, int height);

}  // namespace wavelet
