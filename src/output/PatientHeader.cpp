#include "output/PatientHeader.h"

#include <algorithm>
#include <optional>

#include "record/RecordTag.h"

namespace wavelet {

std::array<PatientHeaderEntry, kPatientFieldCount> PatientHeaderByRow() {
  std::array<PatientHeaderEntry, kPatientFieldCount> rows = kPatientHeader;
  std::sort(rows.begin(), rows.end(), [](const PatientHeaderEntry& a, const PatientHeaderEntry& b) {
    return a.DisplayRow < b.DisplayRow;
  });
  return rows;
}

const std::string& PatientFieldText(const RecordHeaderTexts& t, const std::string& fileName,
                                    PatientField field) {
  switch (field) {
    case PatientField::FileName: return fileName;
    case PatientField::PatientId: return t.PatientId;
    case PatientField::PatientName: return t.PatientName;
    case PatientField::Sex: return t.Sex;
    case PatientField::Age: return t.Age;
    case PatientField::Height: return t.Height;
    case PatientField::Weight: return t.Weight;
    case PatientField::Race: return t.Race;
    case PatientField::AveragingCount: return t.AveragingCount;
    case PatientField::Date: return t.Date;
    case PatientField::Time: return t.Time;
  }
  return fileName;
}

std::string ShownPatientFieldText(const RecordHeaderTexts& texts, const RecordBytes& record,
                                  const std::string& fileName, PatientField field) {
  if (field == PatientField::Sex) {
    const std::optional<RecordTag> tag = ReadRecordTag(record);
    if (tag && tag->SexNotStated) return kSexNotStatedText;
  }
  return PatientFieldText(texts, fileName, field);
}

}  // namespace wavelet
