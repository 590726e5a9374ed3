#include "output/Report.h"

#include <cmath>

#include "analysis/AnalysisState.h"
#include "analysis/Judgement.h"
#include "analysis/Ridges.h"
#include "base/TimeRuler.h"
#include "base/Truncate.h"
#include "output/PatientHeader.h"
#include "output/ResultColumns.h"
#include "record/RecordDecoder.h"

namespace wavelet {

namespace {

constexpr const char* kLeadLetters[kLeads] = {"X", "Y", "Z", "M"};

int RowOffset(const ReportLayout& layout, const ReportBox& box) {
  return (2 * layout.LineH + layout.BoxH) * box.Row;
}

void DrawVerticalTick(ReportCanvas& canvas, int x, int yFrom, int yTo) {
  canvas.MoveTo(x, yFrom);
  canvas.LineTo(x, yTo);
}

void DrawLeadFrame(ReportCanvas& canvas, const ReportLayout& layout, int lead) {
  const ReportBox box = LeadBox(layout, lead);
  canvas.TextOut(box.X0 + 2 * layout.LineH,
                 TruncateToInt(layout.Hu - 15 * layout.LineH) - RowOffset(layout, box),
                 kLeadLetters[lead]);
  canvas.Rectangle(box.X0, box.YBottom, box.X0 + box.Width, box.YTop);
}

// The curves always use the amplification 2.0, whatever scale the screen shows.
void DrawScaleCurve(ReportCanvas& canvas, const ReportLayout& layout, const AnalysisState& state,
                    int lead, int scaleIndex) {
  const ReportBox box = LeadBox(layout, lead);
  const double lift = (scaleIndex + 1) * 15 * layout.Step;
  for (int p = 0; p < kPositions; ++p) {
    const double height =
        state.TransformMagnitude[lead][p] / state.PlotDivisor * 2.0 * layout.Step + lift;
    // Capping before truncating gives the same figure and keeps huge values defined.
    const int d = height > layout.BoxH ? layout.BoxH : TruncateToInt(height);
    const int x = ReportPositionX(layout, box, p);
    const int y = ReportHeightY(layout, box, d);
    if (p == 0) {
      canvas.MoveTo(x, y);
    } else {
      canvas.LineTo(x, y);
    }
  }
}

void DrawPeakSquares(ReportCanvas& canvas, const ReportLayout& layout, const AnalysisState& state,
                     double squareScale) {
  const PeakListData& list = state.PeakList;
  for (int n = 0; n < kPeakListCapacity && list.PeakListLead[n] != -1; ++n) {
    const int lead = list.PeakListLead[n];
    if (lead < 0 || lead >= kLeads) continue;
    const ReportBox box = LeadBox(layout, lead);
    const int xc = ReportPositionX(layout, box, list.PeakListPosition[n]);
    const double height = list.PeakListHeight[n] * squareScale * layout.Step +
                          (list.PeakListScale[n] + 1) * 15 * layout.Step;
    // trunc(height) > BoxH exactly when height >= BoxH + 1; NaN is not drawn either.
    if (!(height < layout.BoxH + 1.0)) continue;
    const int yc = ReportHeightY(layout, box, TruncateToInt(height));
    canvas.Rectangle(TruncateToInt(xc - layout.Step), TruncateToInt(yc - layout.Step),
                     TruncateToInt(xc + layout.Step), TruncateToInt(yc + layout.Step));
  }
}

void DrawTimeRuler(ReportCanvas& canvas, const ReportLayout& layout, const ReportBox& box) {
  for (int k = 0; k < kTimeRulerTicks; ++k) {
    const TimeRulerTick tick = TimeRulerTickAt(k);
    canvas.SetPenWidth(tick.Weight * layout.ThinPen);
    const int x = TruncateToInt(k * layout.Step * kTimeRulerTickSpacing) + box.X0;
    const int length = TruncateToInt(tick.Length * layout.Step);
    DrawVerticalTick(canvas, x, box.YBottom, box.YBottom - length);
  }
}

void DrawMarkers(ReportCanvas& canvas, const ReportLayout& layout, const AnalysisState& state,
                 const LoadedRecord& record) {
  const int dash = layout.NormalPen == 0 ? 1 : layout.NormalPen;
  for (int l = 0; l < kLeads; ++l) {
    const ReportBox box = LeadBox(layout, l);
    canvas.SetPenWidth(layout.NormalPen);
    for (int sample : {record.QrsOnset, record.QrsOffset}) {
      const int x = ReportPositionX(layout, box, sample - kFirstTransformSample);
      DrawVerticalTick(canvas, x, box.YBottom, box.YTop);
    }
    canvas.SetPenWidth(layout.ThinPen);
    for (int position : {state.Results.RisePosition[l][kJudgedScaleIndex],
                          state.Results.FallPosition[l][kJudgedScaleIndex]}) {
      const int x = ReportPositionX(layout, box, position);
      DrawVerticalTick(canvas, x, box.YBottom, box.YTop);
    }
    for (int p = kFirstRidgeColumn; p <= kLastRidgeColumn; ++p) {
      if (state.RidgeFlags[l][p] == 1) {
        DrawDashedVerticalLine(canvas, ReportPositionX(layout, box, p), box.YBottom, box.YTop,
                               dash);
      }
    }
    DrawTimeRuler(canvas, layout, box);
    canvas.SetPenWidth(layout.NormalPen);
  }
}

// The header as the record load shows it, the criteria from the thresholds, and the
// judgement lines with the values they print beside their flags.
void DrawTexts(ReportCanvas& canvas, const ReportLayout& layout, const LoadedRecord& record,
               const std::string& entryName, const AnalysisResults& results) {
  const int lineH = layout.LineH;
  const int third = layout.HalfW / 3;
  const RecordHeaderTexts header = DecodeHeaderTexts(record.RecordBuffer);
  int line = 3;
  for (const PatientHeaderEntry& entry : PatientHeaderByRow()) {
    canvas.TextOut(layout.LeftM, line * lineH, entry.ReportCaption);
    canvas.TextOut(layout.LeftM + third, line * lineH,
                   ShownPatientFieldText(header, record.RecordBuffer, entryName, entry.Field));
    ++line;
  }
  const std::vector<ResultColumn>& columns = ResultColumns();
  line = 3;
  for (const ResultColumn& column : columns) {
    if (!column.PageCriterion) continue;
    canvas.TextOut(layout.LeftM + layout.HalfW, line * lineH, CriterionText(results, column));
    ++line;
  }
  line = 8;
  const int captionX = layout.LeftM + layout.HalfW - third;
  const int valueX = TruncateToInt(layout.Wu - third);
  const int flagX = TruncateToInt(layout.Wu);
  for (const ResultColumn& column : columns) {
    if (column.ReportCaption == nullptr) continue;
    canvas.TextOut(captionX, line * lineH, column.ReportCaption);
    if (column.ReportValueColumn) {
      canvas.TextOut(valueX, line * lineH,
                     ResultText(results, columns[static_cast<std::size_t>(*column.ReportValueColumn)]));
    }
    canvas.TextOut(flagX, line * lineH, ResultText(results, column));
    ++line;
  }
}

void DrawRawLeads(ReportCanvas& canvas, const ReportLayout& layout, const LoadedRecord& record) {
  constexpr double kGain = 30;
  const double step = layout.Step;
  for (int lead = 0; lead < kRecordedLeads; ++lead) {
    const double baseline = (2 - lead) * 80 * step + layout.BoxH + layout.BoxH / 5;
    const auto& samples = record.LeadSignals[lead];
    auto y = [&](double v) { return TruncateToInt(baseline - TruncateToInt(v * kDefaultMillivoltsPerUnit * kGain * step)); };
    canvas.MoveTo(layout.LeftM, y(samples[0]));
    for (int j = 0; j < kSamplesPerLead; ++j) {
      canvas.LineTo(TruncateToInt(layout.LeftM + j * step), y(samples[j]));
    }
  }
  const double letterBase = layout.BoxH + layout.BoxH / 5 - 2 * layout.LineH;
  canvas.TextOut(layout.LeftM, TruncateToInt(160 * step + letterBase), "X");
  canvas.TextOut(layout.LeftM, TruncateToInt(80 * step + letterBase), "Y");
  canvas.TextOut(layout.LeftM, TruncateToInt(letterBase), "Z");
}

}  // namespace

ReportLayout ComputeReportLayout(int pageWidth, int pageHeight) {
  // The two pitches are products with stored reciprocals, not quotients: the
  // reciprocal's double value taken into an extended-precision multiplication. The
  // reciprocal of 850 lies just below the exact value, so Step lies just below Wu / 850
  // and a 4760-unit page gets boxes 2015 units wide, not the 2016 a true quotient
  // (or an extended reciprocal) gives. The agreed page figures rest on this, so
  // keep both the constants and the precision of the products as they are.
  static constexpr long double kOneSeventieth = 1.0 / 70;
  static constexpr long double kOneEightHundredFiftieth = 1.0 / 850;
  ReportLayout layout;
  layout.PW = pageWidth;
  layout.PH = pageHeight;
  layout.Wu = pageWidth - pageWidth * 0.1;
  layout.Hu = pageHeight - pageHeight * 0.1;
  layout.HalfW = TruncateToInt(layout.Wu * 0.5);
  layout.BoxH = TruncateToInt(layout.Hu * 0.25);
  layout.LineH = TruncateToInt(static_cast<double>(
      std::trunc(static_cast<long double>(layout.Hu) * kOneSeventieth)));
  layout.Step = static_cast<double>(static_cast<long double>(layout.Wu) * kOneEightHundredFiftieth);
  layout.LeftM = TruncateToInt(pageWidth * 0.1 * 2 / 3);
  layout.NormalPen = TruncateToInt(layout.Step);
  layout.ThinPen = TruncateToInt(layout.Step * 0.5);
  return layout;
}

ReportBox LeadBox(const ReportLayout& layout, int lead) {
  ReportBox box;
  box.Column = (lead == LeadY || lead == LeadM) ? 1 : 0;
  box.Row = (lead == LeadX || lead == LeadY) ? 1 : 0;
  box.X0 = layout.HalfW * box.Column + layout.LeftM;
  box.YBottom = TruncateToInt(layout.Hu) - RowOffset(layout, box);
  box.YTop = box.YBottom - layout.BoxH;
  box.Width = TruncateToInt(400 * layout.Step);
  return box;
}

int ReportPositionX(const ReportLayout& layout, const ReportBox& box, double p) {
  return TruncateToInt(p * layout.Step) + box.X0;
}

int ReportHeightY(const ReportLayout& layout, const ReportBox& box, double d) {
  return TruncateToInt(layout.Hu - d) - RowOffset(layout, box);
}

void DrawDashedVerticalLine(ReportCanvas& canvas, int x, int yBottom, int yTop, int d) {
  const long long dash = d < 1 ? 1 : d;
  for (long long y = yTop; y < yBottom; y += 4 * dash) {
    canvas.MoveTo(x, static_cast<int>(y));
    canvas.LineTo(x, SaturateToInt(y + dash));
  }
}

std::string ReportJobTitle(const std::string& workListEntry) {
  return "WAVELET < " + workListEntry + " > ";
}

std::string ReportDocumentTitle(const std::string& firstEntry, const std::string& lastEntry,
                                int pages) {
  if (pages <= 1) return ReportJobTitle(firstEntry);
  return "WAVELET < " + firstEntry + " ... " + lastEntry + " > (" + std::to_string(pages) +
         " pages)";
}

ReportDrawing::ReportDrawing(ReportCanvas& canvas, const ReportLayout& layout,
                             const AnalysisState& state, const LoadedRecord& record,
                             double squareScale)
    : canvas_(canvas), layout_(layout), state_(state), record_(record), squareScale_(squareScale) {}

void ReportDrawing::ScaleDone(int scaleIndex) {
  for (int l = 0; l < kLeads; ++l) {
    DrawLeadFrame(canvas_, layout_, l);
    DrawScaleCurve(canvas_, layout_, state_, l, scaleIndex);
  }
}

// The squares go on the page after the ridges are found, then the markers.
void ReportDrawing::RidgesFound() {
  DrawPeakSquares(canvas_, layout_, state_, squareScale_);
  DrawMarkers(canvas_, layout_, state_, record_);
  canvas_.SetPenWidth(layout_.NormalPen);
}

void BeginReportPage(ReportCanvas& canvas, const ReportLayout& layout) {
  canvas.SetPenWidth(layout.NormalPen == 0 ? 1 : layout.NormalPen);
  canvas.SetFont(kReportFontName, ReportCharset::Ansi, kReportFontPointSize);
  canvas.SetPenStyle(ReportPenStyle::Solid);
  canvas.SetBrushStyle(ReportBrushStyle::Clear);
}

void DrawReportTexts(ReportCanvas& canvas, const ReportLayout& layout, const LoadedRecord& record,
                     const std::string& entryName, const AnalysisResults& results,
                     const std::string& bannerText) {
  DrawTexts(canvas, layout, record, entryName, results);
  canvas.TextOut(layout.LeftM + layout.HalfW / 2, TruncateToInt(layout.PH - 2 * layout.LineH),
                 bannerText);
  DrawRawLeads(canvas, layout, record);
}

}  // namespace wavelet
