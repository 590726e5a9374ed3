#include "acquisition/BiosigChild.h"

#include <biosig.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <string_view>
#include <vector>

#include "acquisition/LeadChoice.h"
#include "acquisition/ReaderStream.h"
#include "acquisition/RecordingFile.h"
#include "acquisition/Resample.h"
#include "acquisition/SourceRecording.h"
#include "acquisition/Text.h"

namespace wavelet {
namespace {

// Samples per channel read at once.
constexpr std::size_t kChunkSamples = 1u << 20;

// Closes and frees libbiosig's header however the reading ends.
class BiosigFile {
 public:
  explicit BiosigFile(const std::string& path) {
    HDRTYPE* fresh = constructHDR(0, 0);
    if (fresh == nullptr) return;
    // Names are read (libbiosig leaves them out unless told), and samples beyond the
    // digital range stay numbers instead of becoming NaN.
    fresh->FLAG.ANONYMOUS = 0;
    fresh->FLAG.OVERFLOWDETECTION = 0;
    fresh->FLAG.UCAL = 0;
    fresh->FLAG.ROW_BASED_CHANNELS = 0;
    // The SCP-ECG reader measures these text fields with strlen before it has written
    // them; cleared, they read the same (empty) in every run.
    std::memset(fresh->Patient.Name, 0, sizeof fresh->Patient.Name);
    std::memset(fresh->Patient.Id, 0, sizeof fresh->Patient.Id);
    std::memset(fresh->ID.Recording, 0, sizeof fresh->ID.Recording);
    std::memset(fresh->ID.Manufacturer._field, 0, sizeof fresh->ID.Manufacturer._field);
    hdr_ = sopen(path.c_str(), "r", fresh);
  }
  ~BiosigFile() {
    if (hdr_ == nullptr) return;
    sclose(hdr_);
    destructHDR(hdr_);
  }
  BiosigFile(const BiosigFile&) = delete;
  BiosigFile& operator=(const BiosigFile&) = delete;

  HDRTYPE* Get() const { return hdr_; }

 private:
  HDRTYPE* hdr_ = nullptr;
};

// A text field of libbiosig's header, which need not end in NUL within its array.
template <std::size_t N>
std::string_view Field(const char (&text)[N]) {
  return std::string_view(text, strnlen(text, N));
}

std::string IsoDate(const std::tm& time) {
  const int year = time.tm_year + 1900;
  if (year < 1800 || year > 2200 || time.tm_mon < 0 || time.tm_mon > 11 || time.tm_mday < 1 || time.tm_mday > 31) {
    return {};
  }
  char text[11];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, time.tm_mon + 1, time.tm_mday);
  return text;
}

// Whole years from `birth` to `day`.
std::optional<int> AgeAt(const std::tm& birth, const std::tm& day) {
  int years = day.tm_year - birth.tm_year;
  if (day.tm_mon < birth.tm_mon || (day.tm_mon == birth.tm_mon && day.tm_mday < birth.tm_mday)) --years;
  if (years < 0 || years > 150) return std::nullopt;
  return years;
}

// libbiosig keeps a name as last name, first name and second last name separated by
// the unit separator; they are joined with blanks here.
std::string PatientName(std::string_view rest) {
  std::string name;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\x1f'), rest.size());
    const std::string_view part = Trimmed(rest.substr(0, end));
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (part.empty()) continue;
    if (!name.empty()) name.push_back(' ');
    name.append(part);
  }
  return name;
}

// EDF+ writes X for a subfield it does not know, and some writers leave the template
// of the birth date, dd-MMM-yyyy, in the patient field: neither is the patient's. A
// field made of nothing else is dropped, with `warnings` saying so.
void DropPlaceholder(std::string& field, const char* what, const std::string& path,
                     std::vector<std::string>& warnings) {
  std::string_view rest = field;
  bool any = false;
  while (!(rest = Trimmed(rest)).empty()) {
    const std::string_view word = rest.substr(0, std::min(rest.find_first_of(" \t"), rest.size()));
    rest.remove_prefix(word.size());
    const std::string lowered = AsciiLowered(word);
    if (lowered != "x" && lowered != "dd-mmm-yyyy") return;
    any = true;
  }
  if (!any) return;
  warnings.push_back("the patient " + std::string(what) + " '" + field + "' of [" + path +
                     "] is the EDF patient field's placeholder, not the patient's: left blank");
  field.clear();
}

RecordingPatient PatientOf(HDRTYPE* hdr, const std::string& path, std::vector<std::string>& warnings) {
  RecordingPatient patient;
  patient.Name = PatientName(Field(hdr->Patient.Name));
  patient.Id = std::string(Trimmed(Field(hdr->Patient.Id)));
  if (hdr->TYPE == EDF || hdr->TYPE == BDF) {
    DropPlaceholder(patient.Id, "ID", path, warnings);
    DropPlaceholder(patient.Name, "name", path, warnings);
  }
  if (hdr->Patient.Sex == 1 || hdr->Patient.Sex == 2) patient.Sex.push_back(hdr->Patient.Sex == 1 ? 'M' : 'F');
  if (hdr->Patient.Height > 0 && hdr->Patient.Height < 255) patient.HeightCm = hdr->Patient.Height;
  if (hdr->Patient.Weight > 0 && hdr->Patient.Weight < 255) patient.WeightKg = hdr->Patient.Weight;
  // libbiosig keeps times as fractions of a day, so 14:30:00 may come back as
  // 14:29:59.99; half a second more makes the conversion round to the nearest second.
  constexpr gdf_time kHalfSecond = (gdf_time{1} << 32) / 86400 / 2;
  std::tm start{};
  const bool started =
      hdr->T0 != 0 && gdf_time2tm_time_r(hdr->T0 + kHalfSecond, &start) == 0 && !IsoDate(start).empty();
  if (started) {
    patient.RecordingDate = IsoDate(start);
    char time[6];
    std::snprintf(time, sizeof time, "%02d:%02d", std::clamp(start.tm_hour, 0, 23), std::clamp(start.tm_min, 0, 59));
    patient.RecordingTime = time;
  }
  std::tm birth{};
  if (hdr->Patient.Birthday != 0 && biosig_get_birthdate(hdr, &birth) == 0 && !IsoDate(birth).empty()) {
    patient.BirthDate = IsoDate(birth);
    if (started) patient.AgeYears = AgeAt(birth, start);
  }
  return patient;
}

// HL7 aECG files without the XML declaration, which XML makes optional and example
// studies leave out, are not recognised by libbiosig. Such a file is offered again as
// an anonymous in-memory copy behind a declaration; "" when it is no such file.
std::string DeclaredCopy(const std::string& path, FileDescriptor& copy) {
  FileDescriptor file;
  std::uint64_t size = 0;
  // Larger than any aECG file; the copy is held in memory.
  constexpr std::uint64_t kLargest = 256u << 20;
  std::string text;
  if (!OpenRegularFile(path, file, size).Ok || size > kLargest) return {};
  text.resize(static_cast<std::size_t>(size));
  if (file.ReadUpTo(text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
  const std::string_view start = Trimmed(std::string_view(text).substr(0, 1u << 16));
  if (start.rfind("<?xml", 0) == 0 || start.rfind("<", 0) != 0 || start.find("<AnnotatedECG") == std::string_view::npos) {
    return {};
  }
  copy = FileDescriptor(::memfd_create("aecg", MFD_CLOEXEC));
  if (!copy.Valid() || !copy.WriteAll("<?xml version=\"1.0\"?>\n") || !copy.WriteAll(text)) return {};
  return "/proc/self/fd/" + std::to_string(copy.Get());
}

std::string OpenProblem(HDRTYPE* hdr) {
  if (hdr == nullptr) return "libbiosig cannot open it";
  if (biosig_check_error(hdr) == 0) return {};
  const char* message = hdr->AS.B4C_ERRMSG;
  std::string text = message != nullptr ? std::string(Trimmed(message)) : std::string();
  return "libbiosig refuses it (" + (text.empty() ? "error " + std::to_string(hdr->AS.B4C_ERRNUM) : text) + ")";
}

// Reads the switched-on channels, in channel order, chunk by chunk.
bool ReadChannels(HDRTYPE* hdr, std::size_t records, std::vector<std::vector<double>>& columns, std::string& problem) {
  const std::size_t perRecord = std::max<std::size_t>(hdr->SPR, 1);
  const std::size_t recordsPerChunk = std::max<std::size_t>(1, kChunkSamples / perRecord);
  for (std::size_t start = 0; start < records; start += recordsPerChunk) {
    const std::size_t count = std::min(recordsPerChunk, records - start);
    const std::size_t read = sread(nullptr, start, count, hdr);
    const biosig_data_type* data = hdr->data.block;
    const std::size_t rows = hdr->data.size[0];
    const std::size_t width = hdr->data.size[1];
    if (biosig_check_error(hdr) != 0 || width != columns.size() || rows > read * perRecord ||
        (rows > 0 && data == nullptr)) {
      problem = "libbiosig cannot read its samples";
      return false;
    }
    // Column-major: each channel's samples of the chunk are adjacent.
    for (std::size_t c = 0; c < width; ++c) columns[c].insert(columns[c].end(), data + c * rows, data + (c + 1) * rows);
    if (read < count) break;
  }
  return true;
}

std::uint64_t LittleEndian(std::string_view bytes, std::size_t at, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = count; i-- > 0;) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

// What an SCP-ECG file's own tables say of its samples per lead.
struct ScpLeadLengths {
  std::size_t Stated = 0;  // the longest lead of the lead table (section 3)
  std::size_t Held = 0;    // the samples the shortest lead's stored bytes (section 6) hold
  std::size_t StoredBytes = 0;  // that lead's byte count
};

// SCP-ECG keeps each lead's byte count in 16 bits, so a writer may state more samples
// in the lead table than the data section stores; libbiosig then takes the missing
// samples from the next lead's bytes and, for the last lead, from past the end of the
// file (memory it never wrote, different from run to run). Known only where the data
// are stored as plain 16-bit values: no Huffman table (section 2) and no bimodal
// compression. Nothing when the file is no such SCP-ECG file or its tables are damaged.
std::optional<ScpLeadLengths> ScpLengths(const std::string& path) {
  std::string bytes;
  // Larger than any SCP-ECG file: its record length is 32 bits, its leads' byte counts 16.
  constexpr std::uint64_t kLargest = 64u << 20;
  if (!ReadSmallFile(path, kLargest, bytes).Ok || bytes.size() < 22) return std::nullopt;
  constexpr std::size_t kSectionHead = 16;
  constexpr std::size_t kPointerAt = 6;
  struct Section {
    std::size_t At = 0, Length = 0;
  };
  std::array<Section, 12> sections{};
  const std::size_t pointersLength = LittleEndian(bytes, kPointerAt + 4, 4);
  if (LittleEndian(bytes, kPointerAt + 2, 2) != 0 || pointersLength > bytes.size() - kPointerAt) return std::nullopt;
  for (std::size_t at = kPointerAt + kSectionHead; at + 10 <= kPointerAt + pointersLength; at += 10) {
    const std::size_t id = LittleEndian(bytes, at, 2);
    const std::size_t length = LittleEndian(bytes, at + 2, 4);
    const std::size_t index = LittleEndian(bytes, at + 6, 4);
    if (id >= sections.size() || length == 0) continue;
    if (index == 0 || index - 1 > bytes.size() || length > bytes.size() - (index - 1)) return std::nullopt;
    sections[id] = {index - 1, length};
  }
  const Section& leads = sections[3];
  const Section& data = sections[6];
  if (sections[2].Length != 0 || leads.Length < kSectionHead + 2 || data.Length < kSectionHead + 6) return std::nullopt;
  const std::size_t count = static_cast<std::uint8_t>(bytes[leads.At + kSectionHead]);
  if (count == 0 || kSectionHead + 2 + 9 * count > leads.Length || kSectionHead + 6 + 2 * count > data.Length ||
      bytes[data.At + kSectionHead + 5] != 0) {
    return std::nullopt;
  }
  ScpLeadLengths lengths;
  lengths.Held = SIZE_MAX;
  std::size_t start = data.At + kSectionHead + 6 + 2 * count;
  const std::size_t dataEnd = data.At + data.Length;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t entry = leads.At + kSectionHead + 2 + 9 * k;
    const std::size_t first = LittleEndian(bytes, entry, 4);
    const std::size_t last = LittleEndian(bytes, entry + 4, 4);
    if (last >= first) lengths.Stated = std::max(lengths.Stated, last - first + 1);
    const std::size_t stored = LittleEndian(bytes, data.At + kSectionHead + 6 + 2 * k, 2);
    // What of the lead's bytes lies within the data section.
    const std::size_t present = start >= dataEnd ? 0 : std::min(stored, dataEnd - start);
    if (present / 2 < lengths.Held) {
      lengths.Held = present / 2;
      lengths.StoredBytes = stored;
    }
    start += stored;
  }
  return lengths;
}

int Refuse(int fd, const std::string& reason) { return WriteRefusal(fd, reason) && WriteEnd(fd) ? 0 : 1; }

}  // namespace

int ReadWithBiosig(const std::string& path, const ReadOptions& options, int fd) {
  std::optional<BiosigFile> file(std::in_place, path);
  std::string problem = OpenProblem(file->Get());
  FileDescriptor copy;
  if (!problem.empty()) {
    if (const std::string declared = DeclaredCopy(path, copy); !declared.empty()) {
      file.emplace(declared);
      if (OpenProblem(file->Get()).empty()) problem.clear();
    }
  }
  if (!problem.empty()) return Refuse(fd, problem);
  HDRTYPE* hdr = file->Get();

  std::vector<std::string> labels;
  for (int k = 0; k < hdr->NS; ++k) labels.emplace_back(hdr->CHANNEL[k].OnOff == 1 ? Field(hdr->CHANNEL[k].Label) : std::string_view());
  const Loaded<LeadChoice> choice = ChooseLeads(labels, options);
  if (!choice.Ok) return Refuse(fd, choice.ErrorText);

  std::vector<std::size_t> chosen = choice.Value.Channels;
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  for (int k = 0; k < hdr->NS; ++k) {
    hdr->CHANNEL[k].OnOff = std::binary_search(chosen.begin(), chosen.end(), static_cast<std::size_t>(k)) ? 1 : 0;
  }
  const double hz = hdr->SampleRate;
  if (!RateAdmitted(hz)) return Refuse(fd, std::string("its sampling rate is outside ") + kRateRangeText);
  if (hdr->NRec <= 0 || hdr->SPR == 0) return Refuse(fd, "libbiosig gives it no samples");
  const auto records = static_cast<std::size_t>(hdr->NRec);
  if (!LengthAdmitted(records, hdr->SPR, hz, options.MaxSamples)) return Refuse(fd, LengthRefusal(options.MaxSamples));

  std::vector<std::vector<double>> columns(chosen.size());
  if (!ReadChannels(hdr, records, columns, problem)) return Refuse(fd, problem);
  std::optional<std::string> shortened;
  if (const std::optional<ScpLeadLengths> scp = hdr->TYPE == SCP_ECG ? ScpLengths(path) : std::nullopt;
      scp && !columns.empty() && scp->Held < columns.front().size()) {
    if (scp->Held == 0) return Refuse(fd, "its data section stores no samples of a lead");
    for (std::vector<double>& column : columns) column.resize(std::min(column.size(), scp->Held));
    shortened = "the data section of [" + path + "] stores " + std::to_string(scp->Held) + " samples per lead (" +
                std::to_string(scp->StoredBytes) + " bytes) where its lead table states " +
                std::to_string(scp->Stated) + "; read as far as the data go";
  }
  std::vector<std::string> warnings;
  if (!WritePatient(fd, PatientOf(hdr, path, warnings))) return 1;
  if (shortened) warnings.push_back(*shortened);
  for (const std::string& warning : warnings) {
    if (!WriteWarning(fd, warning)) return 1;
  }
  for (std::size_t c = 0; c < chosen.size(); ++c) {
    const CHANNEL_TYPE& channel = hdr->CHANNEL[chosen[c]];
    const char* unit = PhysDim3(channel.PhysDimCode);
    if (!WriteChannel(fd, Field(channel.Label), unit != nullptr ? unit : "", hz, columns[c])) return 1;
  }
  return WriteEnd(fd) ? 0 : 1;
}

}  // namespace wavelet
