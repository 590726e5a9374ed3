#include "acquisition/ReaderStream.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "base/CompanionProgram.h"
#include "base/FileDescriptor.h"

namespace wavelet {
namespace {

constexpr char kRefusal = 'E';
constexpr char kWarning = 'W';
constexpr char kPatient = 'P';
constexpr char kChannel = 'C';
constexpr char kEnd = 'F';
// Labels, units, patient fields and messages are short; anything longer is malformed.
constexpr std::uint32_t kMaxText = 4096;

template <typename Number>
void Append(std::string& bytes, Number value) {
  AppendLittleEndian(bytes, value);
}

void AppendText(std::string& bytes, std::string_view text) {
  const auto size = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), kMaxText));
  Append(bytes, size);
  bytes.append(text.substr(0, size));
}

// A payload's fields, with its texts (a 4-byte length and the bytes).
class Cursor : public PayloadCursor {
 public:
  using PayloadCursor::PayloadCursor;
  bool TakeText(std::string& text) {
    std::uint32_t size = 0;
    std::string_view taken;
    if (!Take(size) || size > kMaxText || !TakeBytes(size, taken)) return false;
    text.assign(taken);
    return true;
  }
};

// -1 stands for a blank field; no age, height or weight reaches a thousand.
bool TakeOptional(Cursor& in, std::optional<int>& value) {
  std::int32_t number = 0;
  if (!in.Take(number) || number < -1 || number >= 1000) return false;
  if (number >= 0) value = number;
  return true;
}

bool DecodePatient(std::string_view payload, RecordingPatient& patient) {
  Cursor in(payload);
  return in.TakeText(patient.Name) && in.TakeText(patient.Id) && in.TakeText(patient.Sex) &&
         in.TakeText(patient.BirthDate) && in.TakeText(patient.RecordingDate) && in.TakeText(patient.RecordingTime) &&
         TakeOptional(in, patient.AgeYears) && TakeOptional(in, patient.HeightCm) &&
         TakeOptional(in, patient.WeightKg) && in.AtEnd();
}

bool DecodeChannel(std::string_view payload, std::size_t maxSamples, StreamChannel& channel) {
  Cursor in(payload);
  std::uint64_t count = 0;
  std::string_view values;
  if (!in.TakeText(channel.Label) || !in.TakeText(channel.Unit) || !in.Take(channel.Hz) || !in.Take(count)) {
    return false;
  }
  if (count > maxSamples || count * sizeof(double) != in.Left() || !in.TakeBytes(in.Left(), values)) return false;
  channel.Values.resize(static_cast<std::size_t>(count));
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(channel.Values.data(), values.data(), values.size());
  } else {
    Cursor samples(values);
    for (double& value : channel.Values) (void)samples.Take(value);
  }
  return true;
}

}  // namespace

bool WriteRefusal(int fd, std::string_view reason) {
  std::string payload;
  AppendText(payload, reason);
  return WriteFrame(fd, kRefusal, payload);
}

bool WriteWarning(int fd, std::string_view warning) {
  std::string payload;
  AppendText(payload, warning);
  return WriteFrame(fd, kWarning, payload);
}

bool WritePatient(int fd, const RecordingPatient& patient) {
  std::string payload;
  for (const std::string* text : {&patient.Name, &patient.Id, &patient.Sex, &patient.BirthDate,
                                  &patient.RecordingDate, &patient.RecordingTime}) {
    AppendText(payload, *text);
  }
  for (const std::optional<int>* number : {&patient.AgeYears, &patient.HeightCm, &patient.WeightKg}) {
    Append(payload, static_cast<std::int32_t>(number->value_or(-1)));
  }
  return WriteFrame(fd, kPatient, payload);
}

bool WriteChannel(int fd, std::string_view label, std::string_view unit, double hz, std::span<const double> values) {
  std::string head;
  AppendText(head, label);
  AppendText(head, unit);
  Append(head, hz);
  Append(head, static_cast<std::uint64_t>(values.size()));
  std::string swapped;
  std::string_view samples(reinterpret_cast<const char*>(values.data()), values.size_bytes());
  if constexpr (std::endian::native != std::endian::little) {
    for (double value : values) Append(swapped, value);
    samples = swapped;
  }
  return WriteAll(fd, FrameHead(kChannel, head.size() + samples.size())) && WriteAll(fd, head) &&
         WriteAll(fd, samples);
}

bool WriteEnd(int fd) { return WriteFrame(fd, kEnd, {}); }

Loaded<StreamContent> DecodeReaderStream(std::string_view bytes, std::size_t maxChannels, std::size_t maxSamples) {
  StreamContent content;
  std::string_view rest = bytes;
  const auto malformed = [](const std::string& what) -> Loaded<StreamContent> { return Refusal(what); };
  while (!rest.empty()) {
    char tag = 0;
    std::string_view payload;
    if (TakeFrame(rest, rest.size(), tag, payload) != FrameStatus::Frame) {
      return malformed("a frame runs past the end of the stream");
    }
    if (tag == kEnd) {
      if (!rest.empty()) return malformed("bytes follow the end frame");
      return content;
    }
    if (tag == kRefusal || tag == kWarning) {
      Cursor text(payload);
      std::string message;
      if (!text.TakeText(message) || !text.AtEnd()) return malformed("a message frame is malformed");
      if (tag == kRefusal) content.Refusal = std::move(message);
      else content.Warnings.push_back(std::move(message));
    } else if (tag == kPatient) {
      if (!DecodePatient(payload, content.Patient)) return malformed("the patient frame is malformed");
    } else if (tag == kChannel) {
      if (content.Channels.size() == maxChannels) return malformed("more channels than asked for");
      StreamChannel channel;
      if (!DecodeChannel(payload, maxSamples, channel)) return malformed("a channel frame is malformed");
      content.Channels.push_back(std::move(channel));
    } else {
      return malformed("an unknown frame");
    }
  }
  return malformed("the stream ends without its end frame");
}

}  // namespace wavelet
