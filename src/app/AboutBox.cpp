#include "app/AboutBox.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#include "app/MenuIcons.h"
#include "app/WindowFonts.h"
#include "version/Version.h"

namespace wavelet {
namespace {

QLabel* BoldLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setFont(SystemFont(true));
  label->move(x, y);
  label->adjustSize();
  return label;
}

// A font wider than the design's would cut a line at the panel's frame: such a line
// moves left until it ends inside.
void KeepInside(QLabel* label, const QFrame* panel) {
  const int right = panel->width() - panel->frameWidth() - 4;
  const int overflow = label->x() + label->width() - right;
  if (overflow > 0) label->move(std::max(panel->frameWidth(), label->x() - overflow), label->y());
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName("AboutBox");
  setWindowTitle("About");
  setModal(true);
  setFont(SansFont(11));
  setFixedSize(227, 335);

  Panel1 = new QFrame(this);
  Panel1->setObjectName("Panel1");
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel1->setGeometry(8, 8, 209, 273);

  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setObjectName("ProgramIcon");
  ProgramIcon->setGeometry(16, 8, 185, 169);
  ProgramIcon->setPixmap(ProgramPicture(185, 169));

  ProductName = BoldLabel(Panel1, "ProductName", "wavelet", 8, 176);
  Version = BoldLabel(Panel1, "Version", "workbench", 120, 176);
  // One version, the program's, as --version and the package give it; the line that
  // once held a build number stays empty.
  Label1 = BoldLabel(Panel1, "Label1", QString("Version : ") + kBuildVersion, 112, 192);
  Copyright = BoldLabel(Panel1, "Copyright", "Signal-averaged ECG", 8, 224);
  Comments = BoldLabel(Panel1, "Comments", QString(), 8, 248);
  for (QLabel* line : {ProductName, Version, Label1, Copyright, Comments}) KeepInside(line, Panel1);

  OKButton = new QPushButton("OK", this);
  OKButton->setObjectName("OKButton");
  OKButton->setFont(SystemFont(true));
  OKButton->setGeometry(80, 290, 65, 33);
  OKButton->setDefault(true);
  OKButton->setAutoDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (const QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  OKButton->setFocus();
}

}  // namespace wavelet
