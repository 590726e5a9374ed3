#include <QApplication>

#include "app/MainWindow.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("wavelet");
  QApplication::setApplicationDisplayName("wavelet");
  wavelet::TSDIAppForm window;
  window.show();
  QApplication::exec();
  return 0;
}
