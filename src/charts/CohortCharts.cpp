#include "charts/CohortCharts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBoxPlotSeries>
#include <QBoxSet>
#include <QBuffer>
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "cohort/Statistics.h"
#include "output/PngWriter.h"

namespace wavelet::charts {
namespace {

const QColor kPositiveColour(0xc0, 0x30, 0x30);
const QColor kNegativeColour(0x30, 0x60, 0xb0);

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// How each figure is named on its axis.
QString Caption(const std::string& figure) {
  if (figure == "fqrs_ms") return "filtered QRS duration fqrs_ms (ms)";
  if (figure == "rms40_uv") return "RMS of the last 40 ms rms40_uv (uV)";
  if (figure == "las40_ms") return "low-amplitude signal las40_ms (ms)";
  if (figure == "area_M5") return "decomposed surface area area_M5";
  if (figure == "peak_n_M1") return "count of local maxima peak_n_M1";
  if (figure == "c_last_n_M") return "latest local maximum c_last_n_M";
  if (figure == "fQRS_M5") return "wavelet fQRS fQRS_M5";
  return Text(figure);
}

std::unique_ptr<QChart> NewChart(const QString& title) {
  auto chart = std::make_unique<QChart>();
  chart->setTitle(title);
  chart->setAnimationOptions(QChart::NoAnimation);
  chart->setBackgroundRoundness(0);
  chart->legend()->setAlignment(Qt::AlignBottom);
  return chart;
}

QBoxSet* BoxOf(const std::vector<double>& values, const QString& label) {
  auto* box = new QBoxSet(label);
  if (values.empty()) return box;
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  box->setValue(QBoxSet::LowerExtreme, *low);
  box->setValue(QBoxSet::LowerQuartile, *cohort::Quantile(values, 0.25));
  box->setValue(QBoxSet::Median, *cohort::Median(values));
  box->setValue(QBoxSet::UpperQuartile, *cohort::Quantile(values, 0.75));
  box->setValue(QBoxSet::UpperExtreme, *high);
  return box;
}

// A group's points: every record up to kMostPoints; beyond, that many evenly spaced
// order statistics, which keep the distribution's shape where thousands of points
// would only overlap (and would make the vector files and the PDF slow and huge).
constexpr std::size_t kMostPoints = 250;

std::vector<double> PointsShown(const std::vector<double>& values) {
  if (values.size() <= kMostPoints) return values;
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  std::vector<double> shown;
  shown.reserve(kMostPoints);
  for (std::size_t i = 0; i < kMostPoints; ++i) {
    shown.push_back(sorted[i * (sorted.size() - 1) / (kMostPoints - 1)]);
  }
  return shown;
}

// An ROC curve of many distinct values drawn through at most kMostRocPoints of its
// points, evenly spaced along it, the first and the last always.
constexpr std::size_t kMostRocPoints = 500;

std::unique_ptr<QChart> BoxPlot(const cohort::CohortReport& report, const cohort::FigureValues& figure) {
  auto chart = NewChart(Caption(figure.Name));
  const QString positive = QString("%1 (n = %2)").arg(Text(report.PositiveGroup)).arg(figure.Positive.size());
  const QString negative = QString("%1 (n = %2)").arg(Text(report.NegativeGroup)).arg(figure.Negative.size());
  auto* boxes = new QBoxPlotSeries();
  boxes->setName("quartiles, range");
  boxes->setBoxWidth(0.45);
  boxes->append(BoxOf(figure.Positive, positive));
  boxes->append(BoxOf(figure.Negative, negative));
  boxes->setBrush(QColor(0xe8, 0xe8, 0xe8));
  chart->addSeries(boxes);
  auto* categories = new QBarCategoryAxis();
  categories->append({positive, negative});
  chart->addAxis(categories, Qt::AlignBottom);
  boxes->attachAxis(categories);

  // Every record as a point, spread sideways by a fixed pattern so that equal values
  // stay visible and the picture is the same on every run.
  auto* across = new QValueAxis();
  across->setRange(-0.5, 1.5);
  across->setVisible(false);
  chart->addAxis(across, Qt::AlignTop);
  auto* values = new QValueAxis();
  double low = 0.0, high = 1.0;
  bool any = false;
  int group = 0;
  for (const auto* all : {&figure.Positive, &figure.Negative}) {
    const std::vector<double> shown = PointsShown(*all);
    const std::vector<double>* set = &shown;
    auto* points = new QScatterSeries();
    QString name = group == 0 ? Text(report.PositiveGroup) : Text(report.NegativeGroup);
    if (shown.size() < all->size()) name += QString(" (%1 of %2 as quantile points)").arg(shown.size()).arg(all->size());
    points->setName(name);
    points->setMarkerSize(7);
    points->setColor(group == 0 ? kPositiveColour : kNegativeColour);
    points->setBorderColor(Qt::transparent);
    for (std::size_t i = 0; i < set->size(); ++i) {
      const double spread = (static_cast<double>((i * 7) % 11) / 10.0 - 0.5) * 0.3;
      points->append(group + spread, (*set)[i]);
      low = any ? std::min(low, (*set)[i]) : (*set)[i];
      high = any ? std::max(high, (*set)[i]) : (*set)[i];
      any = true;
    }
    chart->addSeries(points);
    points->attachAxis(across);
    ++group;
  }
  const double margin = high > low ? (high - low) * 0.06 : 1.0;
  values->setRange(low - margin, high + margin);
  values->applyNiceNumbers();
  chart->addAxis(values, Qt::AlignLeft);
  for (QAbstractSeries* series : chart->series()) series->attachAxis(values);
  chart->legend()->markers(boxes).front()->setVisible(false);
  return chart;
}

std::unique_ptr<QChart> RocChart(const cohort::CohortReport& report, const QString& title, std::size_t first,
                                 std::size_t end) {
  auto chart = NewChart(title);
  auto* x = new QValueAxis();
  x->setRange(0, 1);
  x->setTitleText("1 - specificity");
  auto* y = new QValueAxis();
  y->setRange(0, 1);
  y->setTitleText(QString("sensitivity (positive: %1)").arg(Text(report.PositiveGroup)));
  chart->addAxis(x, Qt::AlignBottom);
  chart->addAxis(y, Qt::AlignLeft);
  auto* chance = new QLineSeries();
  chance->setName("chance");
  chance->append(0, 0);
  chance->append(1, 1);
  chance->setPen(QPen(Qt::gray, 1, Qt::DashLine));
  chart->addSeries(chance);
  chance->attachAxis(x);
  chance->attachAxis(y);
  const QColor colours[] = {QColor(0xc0, 0x30, 0x30), QColor(0x30, 0x60, 0xb0), QColor(0x20, 0x90, 0x40),
                            QColor(0x90, 0x50, 0xb0)};
  for (std::size_t f = first; f < end && f < report.Values.size(); ++f) {
    const cohort::FigureValues& figure = report.Values[f];
    auto* curve = new QLineSeries();
    const std::optional<cohort::AucEstimate> auc = cohort::MannWhitneyAuc(figure.Positive, figure.Negative);
    curve->setName(auc ? QString("%1 (AUC %2)").arg(Text(figure.Name)).arg(auc->Auc, 0, 'f', 4)
                       : QString("%1 (no AUC)").arg(Text(figure.Name)));
    const std::vector<std::pair<double, double>> points = cohort::RocPoints(figure.Positive, figure.Negative);
    const std::size_t step = std::max<std::size_t>(1, (points.size() + kMostRocPoints - 1) / kMostRocPoints);
    for (std::size_t i = 0; i < points.size(); i += step) curve->append(points[i].first, points[i].second);
    if (!points.empty() && (points.size() - 1) % step != 0) curve->append(points.back().first, points.back().second);
    curve->setPen(QPen(colours[(f - first) % 4], 2));
    chart->addSeries(curve);
    curve->attachAxis(x);
    curve->attachAxis(y);
  }
  return chart;
}

std::unique_ptr<QChart> AgreementChart(const cohort::Agreement& a) {
  const std::optional<double> kappa = cohort::CohenKappa(a.BothYes, a.CriterionOnly, a.LateOnly, a.BothNo);
  auto chart = NewChart(QString("%1 against the time-domain verdict (n = %2, kappa %3)")
                            .arg(Text(a.Criterion))
                            .arg(a.BothYes + a.CriterionOnly + a.LateOnly + a.BothNo)
                            .arg(kappa ? QString::number(*kappa, 'f', 4) : QString("undefined")));
  auto* yes = new QBarSet(Text(a.Criterion) + " positive");
  auto* no = new QBarSet(Text(a.Criterion) + " negative");
  *yes << a.BothYes << a.CriterionOnly;
  *no << a.LateOnly << a.BothNo;
  yes->setColor(kPositiveColour);
  no->setColor(kNegativeColour);
  auto* bars = new QBarSeries();
  bars->append(yes);
  bars->append(no);
  bars->setLabelsVisible(true);
  bars->setLabelsPosition(QAbstractBarSeries::LabelsInsideEnd);
  yes->setLabelColor(Qt::white);
  no->setLabelColor(Qt::white);
  chart->addSeries(bars);
  auto* categories = new QBarCategoryAxis();
  categories->append({QString("late potentials present (%1)").arg(a.BothYes + a.LateOnly),
                      QString("no late potentials (%1)").arg(a.CriterionOnly + a.BothNo)});
  chart->addAxis(categories, Qt::AlignBottom);
  bars->attachAxis(categories);
  auto* counts = new QValueAxis();
  // Whole numbers on ticks of 1, 2 or 5 times a power of ten, about five of them.
  const int most = std::max({a.BothYes, a.CriterionOnly, a.LateOnly, a.BothNo, 1});
  int step = 1;
  for (int scale = 1; step * 5 < most; scale *= 10) {
    for (const int m : {1, 2, 5}) {
      step = m * scale;
      if (step * 5 >= most) break;
    }
  }
  counts->setTickType(QValueAxis::TicksDynamic);
  counts->setTickAnchor(0);
  counts->setTickInterval(step);
  counts->setRange(0, (most / step + 1) * step);
  counts->setLabelFormat("%d");
  counts->setTitleText("records");
  chart->addAxis(counts, Qt::AlignLeft);
  bars->attachAxis(counts);
  return chart;
}

}  // namespace

std::vector<CohortPicture> CohortPictures(const cohort::CohortReport& report) {
  std::vector<CohortPicture> pictures;
  for (const cohort::FigureValues& figure : report.Values) {
    pictures.push_back({"box_" + figure.Name, BoxPlot(report, figure)});
  }
  pictures.push_back({"roc_time_domain", RocChart(report, "ROC: time-domain figures", 0,
                                                  cohort::kTimeDomainFigures)});
  pictures.push_back({"roc_wavelet", RocChart(report, "ROC: wavelet values", cohort::kTimeDomainFigures,
                                              report.Values.size())});
  for (const cohort::Agreement& agreement : report.Agreements) {
    pictures.push_back({"agreement_" + agreement.Criterion, AgreementChart(agreement)});
  }
  return pictures;
}

void DrawChart(QChart& chart, QPainter& painter, const QRectF& target, QSizeF layout) {
  // A chart is drawn through a scene of its own, laid out at its picture size (its
  // fonts are in points of the screen) and scaled to the target.
  if (layout.isEmpty()) layout = target.size();
  QGraphicsScene scene;
  scene.addItem(&chart);
  chart.resize(layout);
  scene.setSceneRect(QRectF(QPointF(0, 0), layout));
  scene.render(&painter, target, scene.sceneRect());
  scene.removeItem(&chart);
}

QByteArray ChartPng(QChart& chart, QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawChart(chart, painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  // Our picture encoder, as for the lead images: the toolkit's, at zlib's default
  // effort, took a third of a study's run.
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.width()) * static_cast<std::size_t>(size.height()));
  for (int y = 0; y < size.height(); ++y) {
    const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < size.width(); ++x) {
      const QRgb p = line[x];
      pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(size.width()) + static_cast<std::size_t>(x)] =
          static_cast<std::uint32_t>(qBlue(p)) << 16 | static_cast<std::uint32_t>(qGreen(p)) << 8 |
          static_cast<std::uint32_t>(qRed(p));
    }
  }
  const std::vector<unsigned char> png = EncodePng(pixels.data(), size.width(), size.height());
  return QByteArray(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
}

QByteArray ChartSvg(QChart& chart, QSize size, const QString& title) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(size);
  svg.setViewBox(QRect(QPoint(0, 0), size));
  svg.setTitle(title);
  {
    QPainter painter(&svg);
    DrawChart(chart, painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  return bytes;
}

namespace {

// A table in rows of text, the first column wider; returns the height used.
double DrawTable(QPainter& painter, const cohort::Table& table, const QRectF& area) {
  const double line = painter.fontMetrics().height() * 1.35;
  const std::size_t columns = table.Titles.size();
  const double first = area.width() * 0.16;
  const double other = columns > 1 ? (area.width() - first) / static_cast<double>(columns - 1) : 0.0;
  double y = area.top();
  auto drawRow = [&](const std::vector<std::string>& cells, bool titles) {
    QFont font = painter.font();
    font.setBold(titles);
    painter.setFont(font);
    double x = area.left();
    for (std::size_t c = 0; c < columns; ++c) {
      const double width = c == 0 ? first : other;
      const QString cell = c < cells.size() ? Text(cells[c]) : QString();
      // Long titles break at their underscores.
      QString shown = titles ? QString(cell).replace('_', "_\u200b") : cell;
      painter.drawText(QRectF(x, y, width - 2, line * (titles ? 2 : 1)),
                       (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter | Qt::TextWrapAnywhere,
                       shown);
      x += width;
    }
    y += line * (titles ? 2 : 1);
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
  };
  drawRow(table.Titles, true);
  for (const std::vector<std::string>& row : table.Rows) drawRow(row, false);
  QFont font = painter.font();
  font.setBold(false);
  painter.setFont(font);
  return y - area.top();
}

}  // namespace

QByteArray CohortPdf(const cohort::CohortReport& report, std::vector<CohortPicture>& pictures) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter pdf(&buffer);
  pdf.setPageSize(QPageSize(QPageSize::A4));
  pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
  pdf.setResolution(300);
  pdf.setTitle(QString("Cohort: %1 against %2").arg(Text(report.PositiveGroup), Text(report.NegativeGroup)));
  pdf.setCreator("wavelet-cohort");
  QPainter painter(&pdf);
  const QRectF page(QPointF(0, 0), QSizeF(pdf.width(), pdf.height()));
  QFont font("Liberation Sans");
  font.setPointSizeF(11);
  painter.setFont(font);
  const double line = painter.fontMetrics().height() * 1.4;
  double y = 0;
  painter.drawText(QRectF(0, y, page.width(), line * 1.5), Qt::AlignLeft | Qt::AlignVCenter,
                   QString("Cohort: %1 (%2 records) against %3 (%4 records)")
                       .arg(Text(report.PositiveGroup))
                       .arg(report.PositiveRecords)
                       .arg(Text(report.NegativeGroup))
                       .arg(report.NegativeRecords));
  y += line * 2;
  font.setPointSizeF(6.5);
  painter.setFont(font);
  for (const auto& [caption, table] :
       {std::pair{"Yes/no criteria (positive: the first group; 95 % Wilson intervals; kappa against late_potentials)",
                  &report.Criteria},
        std::pair{"Figures (medians by group; AUC = P(positive > negative) + 0.5 P(equal), 95 % DeLong interval)",
                  &report.Aucs}}) {
    painter.drawText(QRectF(0, y, page.width(), line), Qt::AlignLeft | Qt::AlignVCenter, caption);
    y += line;
    y += DrawTable(painter, *table, QRectF(0, y, page.width(), page.height() - y)) + line * 1.5;
  }
  // The pictures two to a page, each at the proportions of its files.
  const double height = page.width() * kPictureHeight / kPictureWidth;
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    if (i % 2 == 0) pdf.newPage();
    DrawChart(*pictures[i].Chart, painter, QRectF(0, (i % 2) * (height + line), page.width(), height),
              QSizeF(kPictureWidth, kPictureHeight));
  }
  painter.end();
  return bytes;
}

}  // namespace wavelet::charts
