#include "acquisition/WfdbRecord.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "acquisition/LeadChoice.h"
#include "acquisition/RecordingFile.h"
#include "acquisition/Resample.h"
#include "acquisition/Text.h"
#include "acquisition/Units.h"
#include "acquisition/WfdbSamples.h"

namespace wavelet {
namespace {

// Decoded values held at once while a file is read: small enough to stay in the cache
// and be reused from chunk to chunk.
constexpr std::uint64_t kChunkValues = 1u << 16;

// The signals a record keeps in one data file: consecutive lines naming that file.
struct FileGroup {
  std::size_t First = 0;
  std::size_t Count = 0;
};

// What is known of a wanted signal while its file is read.
struct WantedSignal {
  std::size_t Index = 0;  // in the header
  double MicrovoltsPerAdu = 0;
  std::vector<double> Microvolts;
  std::int64_t Sum = 0;
  std::int64_t First = 0;
};

std::string SignalLabel(const WfdbHeader& header, std::size_t index) {
  const std::string& description = header.Signals[index].Description;
  return description.empty() ? "signal " + std::to_string(index) : description;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

bool GroupFiles(const WfdbHeader& header, std::vector<FileGroup>& groups, std::string& reason) {
  for (std::size_t i = 0; i < header.Signals.size(); ++i) {
    const std::string& name = header.Signals[i].FileName;
    if (!groups.empty() && header.Signals[groups.back().First].FileName == name) {
      ++groups.back().Count;
      continue;
    }
    for (const FileGroup& group : groups) {
      if (header.Signals[group.First].FileName == name) {
        reason = "the signals of the data file " + Quoted(name) + " are not on consecutive lines";
        return false;
      }
    }
    groups.push_back({i, 1});
  }
  return true;
}

std::size_t GroupOf(const std::vector<FileGroup>& groups, std::size_t signal) {
  std::size_t g = 0;
  while (groups[g].First + groups[g].Count <= signal) ++g;
  return g;
}

// A data file name is a plain name beside the header; "-" (standard input) is none.
bool PlainFileName(const std::string& name) {
  return !name.empty() && name != "-" && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

bool CheckGroup(const WfdbHeader& header, const FileGroup& group, std::string& reason) {
  const WfdbSignal& lead = header.Signals[group.First];
  if (!PlainFileName(lead.FileName)) {
    reason = "the data file name " + Quoted(lead.FileName) + " is not a file beside the header";
    return false;
  }
  for (std::size_t i = group.First; i < group.First + group.Count; ++i) {
    const WfdbSignal& signal = header.Signals[i];
    if (signal.Format != lead.Format || signal.ByteOffset != lead.ByteOffset) {
      reason = "the signals of " + Quoted(lead.FileName) + " differ in format or byte offset";
      return false;
    }
    if (signal.SamplesPerFrame != 1) {
      reason = "signal " + Quoted(SignalLabel(header, i)) + " has " + std::to_string(signal.SamplesPerFrame) +
               " samples per frame; only 1 is supported";
      return false;
    }
  }
  if (!PackingOf(lead.Format)) {
    reason = "the storage format " + std::to_string(lead.Format) + " of " + Quoted(lead.FileName) +
             " is not supported (" + SupportedWfdbFormats() + " are)";
    return false;
  }
  return true;
}

bool ScaleOf(const WfdbHeader& header, std::size_t index, double& microvoltsPerAdu, std::string& reason) {
  const WfdbSignal& signal = header.Signals[index];
  // Millivolts where the header names no unit, by the header format's own rule.
  const std::optional<double> unit = MicrovoltsPerUnit(signal.Units.empty() ? "mV" : signal.Units);
  if (!unit) {
    reason = "signal " + Quoted(SignalLabel(header, index)) + " is in " + Quoted(signal.Units) + ", not a voltage";
    return false;
  }
  microvoltsPerAdu = *unit / signal.Gain;
  return true;
}

// Reads `frames` frames of one data file into the wanted signals of its group.
bool DecodeGroup(const WfdbHeader& header, const FileGroup& group, WfdbDataFile& file, std::uint64_t frames,
                 std::vector<WantedSignal*>& wanted, std::string& reason) {
  const WfdbSignal& lead = header.Signals[group.First];
  const WfdbPacking packing = *PackingOf(lead.Format);
  // Whole groups of the format per chunk, so every chunk starts on a group boundary.
  const std::uint64_t unit = static_cast<std::uint64_t>(packing.Samples);
  const std::uint64_t chunkFrames = std::max<std::uint64_t>(unit, kChunkValues / group.Count / unit * unit);
  std::vector<std::uint8_t> bytes;
  std::vector<std::int32_t> values;
  std::uint64_t position = lead.ByteOffset;
  for (std::uint64_t done = 0; done < frames;) {
    const std::uint64_t count = std::min(chunkFrames, frames - done);
    const std::uint64_t samples = count * group.Count;
    bytes.resize(BytesForSamples(lead.Format, samples));
    values.resize(samples);
    if (!file.ReadAt(position, bytes)) {
      reason = "cannot read the data file " + Quoted(lead.FileName);
      return false;
    }
    DecodeWfdbSamples(lead.Format, bytes, values);
    for (WantedSignal* signal : wanted) {
      const std::size_t column = signal->Index - group.First;
      const double baseline = static_cast<double>(header.Signals[signal->Index].Baseline);
      if (done == 0) signal->First = values[column];
      const std::size_t stride = group.Count;
      const std::int32_t* in = values.data() + column;
      std::int64_t sum = 0;
      for (std::uint64_t f = 0; f < count; ++f) sum += in[f * stride];
      signal->Sum += sum;
      const std::size_t from = signal->Microvolts.size();
      signal->Microvolts.resize(from + static_cast<std::size_t>(count));
      double* out = signal->Microvolts.data() + from;
      const double scale = signal->MicrovoltsPerAdu;
      for (std::uint64_t f = 0; f < count; ++f) out[f] = (static_cast<double>(in[f * stride]) - baseline) * scale;
    }
    position += samples / unit * packing.Bytes;
    done += count;
  }
  return true;
}

// The first value and checksum of each wanted signal against its header line, once
// every sample was read. A header that has zeros in both columns where the data
// disagree is a known kind (written by tools that leave them out): one warning.
void CheckSums(const WfdbHeader& header, const std::string& headerPath, const std::vector<WantedSignal>& wanted,
               std::vector<std::string>& warnings) {
  bool zeroed = false;
  for (const WantedSignal& signal : wanted) {
    const WfdbSignal& line = header.Signals[signal.Index];
    // The sum of all samples as a signed 16-bit number, as WFDB writes it.
    const auto sum16 = static_cast<std::int16_t>(static_cast<std::uint16_t>(signal.Sum & 0xFFFF));
    const bool firstAgrees = !line.InitialValue || *line.InitialValue == signal.First;
    const bool sumAgrees = !line.Checksum || *line.Checksum == sum16;
    if (firstAgrees && sumAgrees) continue;
    if (line.InitialValue == 0 && line.Checksum == 0) {
      zeroed = true;
      continue;
    }
    const std::string label = Quoted(SignalLabel(header, signal.Index));
    if (!firstAgrees) {
      warnings.push_back("the header of [" + headerPath + "] gives " + std::to_string(*line.InitialValue) +
                         " as the first value of signal " + label + "; the data begin with " +
                         std::to_string(signal.First));
    }
    if (!sumAgrees) {
      warnings.push_back("the header of [" + headerPath + "] gives the checksum " + std::to_string(*line.Checksum) +
                         " for signal " + label + "; the data sum to " + std::to_string(sum16));
    }
  }
  if (zeroed) {
    warnings.push_back("zero first values and checksums in the header of [" + headerPath +
                       "]: the data were read unchecked");
  }
}

// The frames all wanted files hold, and a warning when that is fewer than the header says.
bool CountFrames(const WfdbHeader& header, const std::string& headerPath, const std::vector<FileGroup>& groups,
                 const std::vector<std::size_t>& usedGroups, std::vector<std::unique_ptr<WfdbDataFile>>& files,
                 std::uint64_t& frames, std::vector<std::string>& warnings) {
  std::optional<std::uint64_t> fewest;
  std::string shortest;
  for (std::size_t g : usedGroups) {
    const WfdbSignal& lead = header.Signals[groups[g].First];
    const std::uint64_t size = files[g]->Size();
    const std::uint64_t bytes = size > lead.ByteOffset ? size - lead.ByteOffset : 0;
    const std::uint64_t held = SamplesInBytes(lead.Format, bytes) / groups[g].Count;
    if (!fewest || held < *fewest) {
      fewest = held;
      shortest = lead.FileName;
    }
  }
  frames = header.FrameCount ? std::min(*header.FrameCount, *fewest) : *fewest;
  if (header.FrameCount && frames < *header.FrameCount) {
    warnings.push_back("the data file " + Quoted(shortest) + " of [" + headerPath + "] ends after " +
                       std::to_string(frames) + " of the " + std::to_string(*header.FrameCount) +
                       " samples the header gives; read as far as it goes");
  }
  return frames > 0;
}

// The data files of the signals not read here (a record's standard leads beside the
// Frank leads of another file) are not needed for X, Y and Z, but one that is missing
// or shorter than the header says is a damaged record, said in `warnings`.
void CheckUnusedFiles(const WfdbHeader& header, const std::string& headerPath, const std::vector<FileGroup>& groups,
                      const std::vector<std::size_t>& usedGroups, const WfdbFileOpener& open,
                      std::vector<std::string>& warnings) {
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (std::find(usedGroups.begin(), usedGroups.end(), g) != usedGroups.end()) continue;
    const WfdbSignal& lead = header.Signals[groups[g].First];
    // A name that is no file beside the header is never opened.
    if (!PlainFileName(lead.FileName)) continue;
    const std::string unused = "; the signals read come from the header's other files";
    std::string reason;
    const std::unique_ptr<WfdbDataFile> file = open(lead.FileName, reason);
    if (!file) {
      warnings.push_back("the header of [" + headerPath + "] names a data file that is missing: " + reason + unused);
      continue;
    }
    if (!header.FrameCount || !PackingOf(lead.Format)) continue;
    const std::uint64_t size = file->Size();
    const std::uint64_t bytes = size > lead.ByteOffset ? size - lead.ByteOffset : 0;
    const std::uint64_t held = SamplesInBytes(lead.Format, bytes) / groups[g].Count;
    if (held < *header.FrameCount) {
      warnings.push_back("the data file " + Quoted(lead.FileName) + " of [" + headerPath + "] is short: it ends after " +
                         std::to_string(held) + " of the " + std::to_string(*header.FrameCount) +
                         " samples the header gives" + unused);
    }
  }
}

class DiskDataFile final : public WfdbDataFile {
 public:
  DiskDataFile(FileDescriptor file, std::uint64_t size) : file_(std::move(file)), size_(size) {}
  std::uint64_t Size() const override { return size_; }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes) override {
    return wavelet::ReadAt(file_, offset, bytes);
  }

 private:
  FileDescriptor file_;
  std::uint64_t size_;
};

std::unique_ptr<WfdbDataFile> OpenDataFile(const std::string& path, const std::string& name, std::string& reason) {
  FileDescriptor file;
  std::uint64_t size = 0;
  if (const Outcome opened = OpenRegularFile(path, file, size); !opened.Ok) {
    reason = "cannot open the data file " + Quoted(name) + " (" + opened.Reason + ")";
    return nullptr;
  }
  return std::make_unique<DiskDataFile>(std::move(file), size);
}

}  // namespace

Loaded<SourceRecording> ReadWfdbSignals(const WfdbHeader& header, const std::string& headerPath,
                                        const WfdbFileOpener& open, const ReadOptions& options) {
  SourceRecording record;
  const auto refuse = [&](const std::string& reason) -> Loaded<SourceRecording> {
    return Refusal(CannotReadText(headerPath, reason));
  };
  if (!RateAdmitted(header.FrameHz)) return refuse(RateRefusal(header.FrameHz));
  std::vector<std::string> labels;
  for (std::size_t i = 0; i < header.Signals.size(); ++i) labels.push_back(SignalLabel(header, i));
  const Loaded<LeadChoice> choice = ChooseLeads(labels, options);
  if (!choice.Ok) return refuse(choice.ErrorText);

  std::vector<std::size_t> chosen = choice.Value.Channels;
  std::sort(chosen.begin(), chosen.end());
  chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
  std::vector<FileGroup> groups;
  std::string reason;
  if (!GroupFiles(header, groups, reason)) return refuse(reason);
  std::vector<WantedSignal> wanted(chosen.size());
  std::vector<std::size_t> usedGroups;
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    wanted[i].Index = chosen[i];
    if (!ScaleOf(header, chosen[i], wanted[i].MicrovoltsPerAdu, reason)) return refuse(reason);
    const std::size_t g = GroupOf(groups, chosen[i]);
    if (usedGroups.empty() || usedGroups.back() != g) usedGroups.push_back(g);
  }

  std::vector<std::unique_ptr<WfdbDataFile>> files(groups.size());
  for (std::size_t g : usedGroups) {
    if (!CheckGroup(header, groups[g], reason)) return refuse(reason);
    files[g] = open(header.Signals[groups[g].First].FileName, reason);
    if (!files[g]) return refuse(reason);
  }
  std::uint64_t frames = 0;
  if (!CountFrames(header, headerPath, groups, usedGroups, files, frames, record.Warnings)) {
    return refuse("the data files hold no samples");
  }
  if (!LengthAdmitted(frames, 1, header.FrameHz, options.MaxSamples)) {
    return refuse("the record is " + std::to_string(frames) + " samples long at " + NumberText(header.FrameHz) +
                  " Hz, beyond the limit of " + std::to_string(options.MaxSamples) + " samples at 1000 Hz");
  }

  for (WantedSignal& signal : wanted) signal.Microvolts.reserve(static_cast<std::size_t>(frames));
  for (std::size_t g : usedGroups) {
    std::vector<WantedSignal*> inGroup;
    for (WantedSignal& signal : wanted) {
      if (GroupOf(groups, signal.Index) == g) inGroup.push_back(&signal);
    }
    if (!DecodeGroup(header, groups[g], *files[g], frames, inGroup, reason)) return refuse(reason);
  }

  CheckUnusedFiles(header, headerPath, groups, usedGroups, open, record.Warnings);
  if (header.CrLf) record.Warnings.push_back("CR LF line ends in the header of [" + headerPath + "]");
  if (!header.FrameCount || frames == *header.FrameCount) CheckSums(header, headerPath, wanted, record.Warnings);
  for (const WantedSignal& signal : wanted) {
    const WfdbSignal& line = header.Signals[signal.Index];
    const std::string label = Quoted(labels[signal.Index]);
    if (line.Uncalibrated) {
      record.Warnings.push_back("signal " + label + " of [" + headerPath + "] gives no gain: 200 adu per unit taken");
    }
    if (line.Skew != 0) record.Warnings.push_back("the skew of signal " + label + " of [" + headerPath + "] is ignored");
  }

  record.SamplingHz = header.FrameHz;
  for (WantedSignal& signal : wanted) {
    record.Channels.push_back({labels[signal.Index], std::move(signal.Microvolts)});
  }
  record.Patient = PatientFromWfdbHeader(header);
  // The choice carried on, its channels counted among those read.
  record.Choice = choice.Value;
  for (std::size_t& channel : record.Choice->Channels) {
    channel = static_cast<std::size_t>(std::lower_bound(chosen.begin(), chosen.end(), channel) - chosen.begin());
  }
  return record;
}

Loaded<SourceRecording> ReadWfdbRecord(const std::string& headerPath, const ReadOptions& options) {
  std::string text;
  // A header is a few kilobytes; a megabyte allows for very long comment sections.
  if (const Outcome read = ReadSmallFile(headerPath, 1u << 20, text); !read.Ok) {
    return Outcome::Failure(read.Kind, CannotReadText(headerPath, read.Reason));
  }
  const Loaded<WfdbHeader> header = ParseWfdbHeader(text);
  if (!header.Ok) return Refusal(CannotReadText(headerPath, header.ErrorText));
  const std::string directory = DirectoryOf(headerPath);
  const WfdbFileOpener open = [&](const std::string& name, std::string& why) -> std::unique_ptr<WfdbDataFile> {
    return OpenDataFile(directory.empty() ? name : directory + "/" + name, name, why);
  };
  return ReadWfdbSignals(header.Value, headerPath, open, options);
}

}  // namespace wavelet
