#pragma once
// The pictures of a study, drawn with Qt Charts: per figure a box plot by group with
// every record as a point, the ROC curves of the time-domain figures and of the
// wavelet values with their AUC in the legend, and the 2 x 2 agreement of judge 1 and
// judge 2 with the time-domain verdict. The same charts go to the files of the study
// tool (PNG, SVG, the PDF pages) and to the window's cohort tab.

#include <QByteArray>
#include <QChart>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "cohort/CohortTables.h"

QT_BEGIN_NAMESPACE
class QPainter;
class QRectF;
QT_END_NAMESPACE

namespace wavelet::charts {

struct CohortPicture {
  std::string Stem;  // the file name before ".png" and ".svg"
  std::unique_ptr<QChart> Chart;
};

// Needs a QApplication.
std::vector<CohortPicture> CohortPictures(const cohort::CohortReport& report);

// The size the files are drawn at, in pixels.
inline constexpr int kPictureWidth = 800;
inline constexpr int kPictureHeight = 560;

// The chart drawn into `target` of `painter`, laid out at `layout` (empty: the
// target's size) and scaled to fit.
void DrawChart(QChart& chart, QPainter& painter, const QRectF& target, QSizeF layout = {});
QByteArray ChartPng(QChart& chart, QSize size);
QByteArray ChartSvg(QChart& chart, QSize size, const QString& title);
// The tables, then the pictures two to a page, on A4.
QByteArray CohortPdf(const cohort::CohortReport& report, std::vector<CohortPicture>& pictures);

}  // namespace wavelet::charts
