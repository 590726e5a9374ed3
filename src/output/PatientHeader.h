#pragma once
// The patient header as every place shows it: the record load writes it into the
// labels of both tabs and the batch grid, the window lays those labels out, the
// report prints them, and the grid titles its first columns. One table, so the
// places cannot drift apart.

#include <array>
#include <string>

#include "record/RecordDecoder.h"
#include "record/RecordFormat.h"

namespace wavelet {

enum class PatientField {
  FileName, PatientId, PatientName, Sex, Age, Height, Weight, Race, AveragingCount, Date, Time
};

struct PatientHeaderEntry {
  PatientField Field;
  int DisplayRow;              // row on both tabs and the report, 0 = top
  const char* AnalysisLabel;   // value label in "Pt. data"
  const char* SheetLabel;      // value label on the calculation tab
  const char* AnalysisCaption;
  const char* Unit;            // after the analysis tab's value, or nullptr
  const char* SheetCaption;
  const char* ReportCaption;
  const char* GridTitle;
};

inline constexpr int kPatientFieldCount = 11;

// In load order, which is also the order of the grid's first eleven columns.
inline constexpr std::array<PatientHeaderEntry, kPatientFieldCount> kPatientHeader = {{
    {PatientField::FileName, 0, "LabelP1", "Label228", "filename :", nullptr, "filename :",
     "file name :", "Filename"},
    {PatientField::PatientId, 1, "LabelP2", "Label229", "Pt.ID :", nullptr, "Pt.ID :", "Pt.ID :",
     "Pt_ID"},
    {PatientField::PatientName, 2, "LabelP3", "Label230", "Pt.name :", nullptr, "Pt.Name :",
     "Pt.Name :", "Pt_Name"},
    {PatientField::Sex, 4, "LabelP5", "Label232", "sex :", nullptr, "sex :", "sex :", "Sex"},
    {PatientField::Age, 3, "LabelP4", "Label231", "age :", "y.o.", "age :", "age :", "Age"},
    {PatientField::Height, 5, "LabelP6", "Label233", "height :", "cm", "height :", "height :",
     "Height"},
    {PatientField::Weight, 6, "LabelP7", "Label234", "weight :", "kg", "weight :", "weight :",
     "Weight"},
    {PatientField::Race, 9, "LabelP10", "Label237", "race :", nullptr, "race :", "race :", "Race"},
    {PatientField::AveragingCount, 10, "LabelP11", "Label238", "kasan :", nullptr, "kasan :",
     "kasan :", "Kasan"},
    {PatientField::Date, 7, "LabelP8", "Label235", "date :", nullptr, "date :", "date :", "Date"},
    {PatientField::Time, 8, "LabelP9", "Label236", "time :", nullptr, "time :", "time :", "Time"},
}};

// The entries top to bottom as the tabs and the report show them.
std::array<PatientHeaderEntry, kPatientFieldCount> PatientHeaderByRow();

// A field's text; the file name is not in the record and comes from the caller.
const std::string& PatientFieldText(const RecordHeaderTexts& texts, const std::string& fileName,
                                    PatientField field);

// What the window's header and the printed report show for a field: its text, except
// for the sex of a record whose tag says the recording stated none, whose byte holds
// the loader's "M" only. The batch grid and its table keep the byte's letter, which
// other programs read.
inline constexpr const char* kSexNotStatedText = "sex not stated";
std::string ShownPatientFieldText(const RecordHeaderTexts& texts, const RecordBytes& record,
                                  const std::string& fileName, PatientField field);

}  // namespace wavelet
