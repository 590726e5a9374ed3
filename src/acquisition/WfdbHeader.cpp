#include "acquisition/WfdbHeader.h"

#include <charconv>
#include <cstdio>
#include <cmath>

#include "acquisition/Text.h"

namespace wavelet {
namespace {

// A header is at most this many signals: more than any recorder writes, and a bound
// on what a hostile record line can make this reader allocate.
constexpr std::size_t kMaxSignals = 4096;

struct Token {
  std::string_view Text;
  std::size_t Start = 0;  // offset in its line
};

std::vector<Token> Tokens(std::string_view line) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) tokens.push_back({line.substr(start, i - start), start});
  }
  return tokens;
}

template <typename Number>
bool ParseWhole(std::string_view text, Number& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool ParseReal(std::string_view text, double& value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty() &&
         std::isfinite(value);
}

// The leading run of `text` up to the first of `stops` (all of it when none occurs).
std::string_view Until(std::string_view text, std::string_view stops) {
  const std::size_t end = text.find_first_of(stops);
  return end == std::string_view::npos ? text : text.substr(0, end);
}

std::string LineText(std::size_t number) { return "line " + std::to_string(number) + " of the header"; }

bool ParseRecordLine(std::string_view line, std::size_t number, WfdbHeader& header, std::size_t& signals,
                     std::string& reason) {
  const std::vector<Token> tokens = Tokens(line);
  if (tokens.size() < 2) {
    reason = "the record line gives no number of signals";
    return false;
  }
  if (tokens[0].Text.find('/') != std::string_view::npos) {
    reason = "multi-segment records are not supported";
    return false;
  }
  header.RecordName = std::string(tokens[0].Text);
  if (!ParseWhole(tokens[1].Text, signals) || signals == 0) {
    reason = "the number of signals on " + LineText(number) + " is not a count above 0";
    return false;
  }
  if (signals > kMaxSignals) {
    reason = "the header gives " + std::string(tokens[1].Text) + " signals, more than " +
             std::to_string(kMaxSignals);
    return false;
  }
  if (tokens.size() > 2) {
    // "360/1000(0)": the frame rate, then the counter rate and base count, unused here.
    if (!ParseReal(Until(tokens[2].Text, "/("), header.FrameHz) || header.FrameHz <= 0) {
      reason = "the sampling rate '" + std::string(tokens[2].Text) + "' is not a positive number";
      return false;
    }
  }
  if (tokens.size() > 3) {
    std::uint64_t frames = 0;
    if (!ParseWhole(tokens[3].Text, frames)) {
      reason = "the number of samples '" + std::string(tokens[3].Text) + "' is not a count";
      return false;
    }
    if (frames > 0) header.FrameCount = frames;
  }
  if (tokens.size() > 4) header.BaseTime = std::string(tokens[4].Text);
  if (tokens.size() > 5) header.BaseDate = std::string(tokens[5].Text);
  return true;
}

// "212x2:3+512": the format, then samples per frame, skew and byte offset in any order.
bool ParseFormatField(std::string_view field, WfdbSignal& signal) {
  const std::string_view format = Until(field, "x:+");
  if (!ParseWhole(format, signal.Format)) return false;
  field.remove_prefix(format.size());
  while (!field.empty()) {
    const char mark = field.front();
    field.remove_prefix(1);
    const std::string_view value = Until(field, "x:+");
    field.remove_prefix(value.size());
    bool parsed = false;
    if (mark == 'x') parsed = ParseWhole(value, signal.SamplesPerFrame);
    if (mark == ':') parsed = ParseWhole(value, signal.Skew);
    if (mark == '+') parsed = ParseWhole(value, signal.ByteOffset);
    if (!parsed) return false;
  }
  return true;
}

// "2000(0)/mV": the gain, then the baseline and the units.
bool ParseGainField(std::string_view field, WfdbSignal& signal, bool& baselineGiven) {
  const std::string_view gain = Until(field, "(/");
  double value = 0;
  if (!ParseReal(gain, value) || value < 0) return false;
  signal.Uncalibrated = value == 0;
  if (value > 0) signal.Gain = value;
  field.remove_prefix(gain.size());
  if (!field.empty() && field.front() == '(') {
    const std::size_t close = field.find(')');
    if (close == std::string_view::npos || !ParseWhole(field.substr(1, close - 1), signal.Baseline)) return false;
    baselineGiven = true;
    field.remove_prefix(close + 1);
  }
  if (!field.empty()) {
    if (field.front() != '/') return false;
    signal.Units = std::string(field.substr(1));
  }
  return true;
}

bool ParseSignalLine(std::string_view line, WfdbSignal& signal, std::string& reason) {
  const std::vector<Token> tokens = Tokens(line);
  if (tokens.size() < 2) {
    reason = "gives no storage format";
    return false;
  }
  signal.FileName = std::string(tokens[0].Text);
  if (!ParseFormatField(tokens[1].Text, signal) || signal.SamplesPerFrame < 1 || signal.Skew < 0) {
    reason = "has the format field '" + std::string(tokens[1].Text) + "', which this reader cannot parse";
    return false;
  }
  signal.Uncalibrated = true;
  bool baselineGiven = false;
  if (tokens.size() > 2 && !ParseGainField(tokens[2].Text, signal, baselineGiven)) {
    reason = "has the gain field '" + std::string(tokens[2].Text) + "', which is no gain(baseline)/units";
    return false;
  }
  const auto field = [&](std::size_t index, auto& value, const char* name) {
    if (tokens.size() <= index || ParseWhole(tokens[index].Text, value)) return true;
    reason = "has the " + std::string(name) + " '" + std::string(tokens[index].Text) + "', which is no whole number";
    return false;
  };
  std::int64_t initial = 0;
  std::int64_t checksum = 0;
  std::int64_t blockSize = 0;
  if (!field(3, signal.AdcResolution, "ADC resolution") || !field(4, signal.AdcZero, "ADC zero") ||
      !field(5, initial, "first value") || !field(6, checksum, "checksum") || !field(7, blockSize, "block size")) {
    return false;
  }
  if (!baselineGiven) signal.Baseline = signal.AdcZero;
  if (tokens.size() > 5) signal.InitialValue = initial;
  if (tokens.size() > 6) signal.Checksum = checksum;
  if (tokens.size() > 8) signal.Description = std::string(Trimmed(line.substr(tokens[8].Start)));
  return true;
}

std::string_view NextLine(std::string_view& text, bool& crlf) {
  const std::size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  if (!line.empty() && line.back() == '\r') {
    crlf = true;
    line.remove_suffix(1);
  }
  return line;
}

}  // namespace

Loaded<WfdbHeader> ParseWfdbHeader(std::string_view text) {
  WfdbHeader header;
  std::size_t wanted = 0;
  bool haveRecordLine = false;
  std::size_t number = 0;
  while (!text.empty()) {
    const std::string_view line = NextLine(text, header.CrLf);
    ++number;
    const std::string_view content = Trimmed(line);
    if (content.empty()) continue;
    if (content.front() == '#') {
      header.Comments.emplace_back(Trimmed(content.substr(1)));
      continue;
    }
    if (line.find('\0') != std::string_view::npos) {
      return Refusal(LineText(number) + " holds a NUL byte; this is no header");
    }
    if (!haveRecordLine) {
      std::string reason;
      if (!ParseRecordLine(content, number, header, wanted, reason)) return Refusal(reason);
      haveRecordLine = true;
      continue;
    }
    if (header.Signals.size() == wanted) continue;  // info lines after the signals
    WfdbSignal signal;
    std::string reason;
    if (!ParseSignalLine(content, signal, reason)) {
      return Refusal("the signal on " + LineText(number) + " " + reason);
    }
    header.Signals.push_back(std::move(signal));
  }
  if (!haveRecordLine) {
    return Refusal("the header has no record line");
  }
  if (header.Signals.size() < wanted) {
    return Refusal("the record line gives " + std::to_string(wanted) + " signals, but " +
                   std::to_string(header.Signals.size()) + " signal lines follow");
  }
  return header;
}

std::string WfdbDateAsIso(std::string_view date) {
  const std::string_view text = Trimmed(date);
  const std::size_t first = text.find('/');
  const std::size_t second = first == std::string_view::npos ? first : text.find('/', first + 1);
  if (second == std::string_view::npos) return {};
  int day = 0;
  int month = 0;
  int year = 0;
  if (!ParseWhole(text.substr(0, first), day) || !ParseWhole(text.substr(first + 1, second - first - 1), month) ||
      !ParseWhole(text.substr(second + 1), year) || text.size() - second - 1 != 4) {
    return {};
  }
  if (day < 1 || day > 31 || month < 1 || month > 12 || year < 1 || year > 9999) return {};
  char iso[16];
  std::snprintf(iso, sizeof iso, "%04d-%02d-%02d", year, month, day);
  return iso;
}

namespace {

// "10:00:00" or "10:0:0.250" as "hh:mm"; "" when it is no time of day.
std::string TimeAsHoursMinutes(std::string_view time) {
  const std::size_t colon = time.find(':');
  if (colon == std::string_view::npos) return {};
  int hours = 0;
  int minutes = 0;
  if (!ParseWhole(time.substr(0, colon), hours) || !ParseWhole(Until(time.substr(colon + 1), ":."), minutes)) return {};
  if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59) return {};
  char text[6];
  std::snprintf(text, sizeof text, "%02d:%02d", hours, minutes);
  return text;
}

// The leading whole number of a value such as "81", "170 cm" or "70kg", within limits.
std::optional<int> LeadingNumber(std::string_view value, int highest) {
  std::size_t digits = 0;
  while (digits < value.size() && value[digits] >= '0' && value[digits] <= '9') ++digits;
  int number = 0;
  if (digits == 0 || digits > 4 || !ParseWhole(value.substr(0, digits), number) || number > highest) {
    return std::nullopt;
  }
  return number;
}

std::string SexLetter(std::string_view value) {
  const std::string lowered = AsciiLowered(Trimmed(value));
  if (lowered == "m" || lowered == "male") return "M";
  if (lowered == "f" || lowered == "female") return "F";
  return {};
}

void TakeComment(std::string_view comment, RecordingPatient& patient) {
  const std::size_t colon = comment.find(':');
  if (colon == std::string_view::npos) return;
  const std::string key = AsciiLowered(Trimmed(comment.substr(0, colon)));
  const std::string_view value = Trimmed(comment.substr(colon + 1));
  if (key == "age") patient.AgeYears = LeadingNumber(value, 150);
  if (key == "sex" || key == "gender") patient.Sex = SexLetter(value);
  if (key == "height") patient.HeightCm = LeadingNumber(value, 300);
  if (key == "weight") patient.WeightKg = LeadingNumber(value, 500);
  if (key == "ecg date" && patient.RecordingDate.empty()) patient.RecordingDate = WfdbDateAsIso(value);
}

}  // namespace

RecordingPatient PatientFromWfdbHeader(const WfdbHeader& header) {
  RecordingPatient patient;
  patient.RecordingDate = WfdbDateAsIso(header.BaseDate);
  patient.RecordingTime = TimeAsHoursMinutes(header.BaseTime);
  for (const std::string& comment : header.Comments) TakeComment(comment, patient);
  return patient;
}

}  // namespace wavelet
