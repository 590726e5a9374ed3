#pragma once
// A WFDB record: the header and the data files it names, of which only the files
// holding the chosen leads are read. Our own reader, because records whose signals
// lie in several files (PTB: the standard leads in .dat, the Frank leads in .xyz) are
// common and libbiosig refuses them.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "acquisition/RecordingParts.h"
#include "acquisition/SourceRecording.h"
#include "acquisition/WfdbHeader.h"

namespace wavelet {

// One data file of a record, read at offsets.
class WfdbDataFile {
 public:
  virtual ~WfdbDataFile() = default;
  virtual std::uint64_t Size() const = 0;
  // Reads bytes.size() bytes from `offset`; false when they cannot all be read.
  virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> bytes) = 0;
};

// Opens a data file by the name its header gives; null, with `reason`, when it cannot.
using WfdbFileOpener = std::function<std::unique_ptr<WfdbDataFile>(const std::string& name, std::string& reason)>;

// The chosen leads of a parsed header in microvolts. Refuses formats it cannot
// decode, records longer than options.MaxSamples (before reading any sample), and
// data files it cannot read; warns where first values or checksums disagree with the
// data, where a data file ends early (the record is read as far as all files go) and
// where the header has CR LF line ends. `headerPath` names the record in messages.
Loaded<SourceRecording> ReadWfdbSignals(const WfdbHeader& header, const std::string& headerPath,
                              const WfdbFileOpener& open, const ReadOptions& options);

// The record of the header file `headerPath`, its data files beside it (a data file
// name may not leave the header's directory).
Loaded<SourceRecording> ReadWfdbRecord(const std::string& headerPath, const ReadOptions& options);

}  // namespace wavelet
