#pragma once
// Shared helpers of the window tests: records written with the core encoder into a
// temporary directory, and closing the message boxes the window opens.

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <fstream>
#include <string>

#include "record/RecordEncoder.h"

namespace apptest {

// A plausible signal-averaged beat: a QRS of three Gaussian waves per lead and a T
// wave, in units of 0.1 microvolt; `variant` changes amplitudes and widths.
inline wavelet::LeadSamples BeatSamples(int variant, int onset, int offset) {
  wavelet::LeadSamples samples{};
  const double centre = (onset + offset) / 2.0;
  const double width = (offset - onset) / 6.0;
  for (int lead = 0; lead < 3; ++lead) {
    const double a = 9000.0 + 1500.0 * ((variant + lead) % 5);
    const double sign = lead == 1 ? -1.0 : 1.0;
    for (int j = 0; j < wavelet::kSamplesPerLead; ++j) {
      const double q = (j - (centre - 1.6 * width)) / (0.6 * width);
      const double r = (j - centre) / width;
      const double s = (j - (centre + 1.5 * width)) / (0.7 * width);
      const double t = (j - (offset + 160.0)) / 45.0;
      const double lp = (j > offset - 40 && j < offset + 20 && variant % 2 == 1)
                            ? 150.0 * std::sin(j * 1.3 + lead)
                            : 0.0;
      const double v = sign * (-0.15 * a * std::exp(-q * q / 2) + a * std::exp(-r * r / 2) -
                               0.3 * a * std::exp(-s * s / 2)) +
                       0.2 * a * std::exp(-t * t / 2) + lp;
      samples[lead][j] = std::trunc(v);
    }
  }
  return samples;
}

inline wavelet::RecordFields Fields(int index) {
  wavelet::RecordFields f;
  f.PatientName = "PATIENT " + std::to_string(index);
  f.PatientId = "ID" + std::to_string(1000 + index);
  f.Month = "04";
  f.Day = std::to_string(10 + index % 10);
  f.Year = index % 2 ? "98" : "03";
  f.Hour = "10";
  f.Minute = std::to_string(30 + index % 10);
  f.Age = std::to_string(40 + index);
  f.Height = "170";
  f.Weight = "65";
  f.Sex = static_cast<std::uint8_t>(index % 2);
  f.Race = static_cast<std::int8_t>(index % 3 - 1);
  f.AveragingCount = 200 + index;
  f.QrsOnset = 300 + (index % 4) * 5;
  f.QrsOffset = f.QrsOnset + 100 + (index % 3) * 10;
  return f;
}

inline void WriteBytes(const QString& path, const char* data, std::size_t size) {
  std::ofstream out(path.toStdString(), std::ios::binary);
  out.write(data, static_cast<std::streamsize>(size));
}

inline wavelet::RecordBytes RecordFor(int index) {
  const wavelet::RecordFields f = Fields(index);
  return wavelet::EncodeRecord(f, BeatSamples(index, f.QrsOnset, f.QrsOffset));
}

// Writes records P0001.R01 .. P000n.R01 (index 1..n) into `dir`.
inline void WriteRecords(const QString& dir, int count, int first = 1) {
  for (int i = first; i < first + count; ++i) {
    const wavelet::RecordBytes bytes = RecordFor(i);
    WriteBytes(QDir(dir).filePath(QString("P%1.R01").arg(i, 4, 10, QChar('0'))),
               reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
}

// Answers the next modal message box (whenever it opens) and keeps its texts.
struct MessageBoxCatcher {
  QString Title;
  QString Text;
  int Seen = 0;

  void Arm() {
    auto* timer = new QTimer(qApp);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      Title = box->windowTitle();
      Text = box->text();
      ++Seen;
      box->accept();
      timer->stop();
      timer->deleteLater();
    });
    timer->start();
  }
};

// Selects exactly the given rows of a list.
inline void SelectRows(QListWidget* list, std::initializer_list<int> rows) {
  list->clearSelection();
  for (int r : rows) list->item(r)->setSelected(true);
}

inline QStringList Texts(const QListWidget* list) {
  QStringList texts;
  for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
  return texts;
}

}  // namespace apptest
