#include <QApplication>
#include <QIcon>

#include "app/MainWindow.h"
#include "version/Version.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  wavelet::SetApplicationIdentity();
  // Ties the window to its installed desktop entry and icon; when run from the build
  // tree the icon theme has no such icon and the window keeps the toolkit's default.
  QGuiApplication::setDesktopFileName(wavelet::kDesktopId);
  QApplication::setWindowIcon(QIcon::fromTheme(wavelet::kDesktopId));
  wavelet::TSDIAppForm window;
  window.show();
  QApplication::exec();
  return 0;
}
