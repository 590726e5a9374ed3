#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/MainWindow.h"
#include "version/Version.h"

namespace {

constexpr const char* kHelp =
    "usage: wavelet [--help | --version]\n"
    "The wavelet workbench: signal-averaged XYZ ECG records, their wavelet analysis,\n"
    "late potentials, batches and printed reports. It opens a window, so it needs a\n"
    "display; on a machine without one: xvfb-run -s '-screen 0 1280x1024x24' wavelet.\n"
    "See wavelet(1), wavelet-batch(1) and wavelet-average(1).\n";

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

int main(int argc, char* argv[]) {
  // Answered before the toolkit needs a display, which it would abort without.
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("wavelet %s\n", wavelet::kBuildVersion);
    return 0;
  }
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM")) {
    std::fputs("wavelet: no display was found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
               "try xvfb-run -s '-screen 0 1280x1024x24' wavelet\n",
               stderr);
    return 1;
  }
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
