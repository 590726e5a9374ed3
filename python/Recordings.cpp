// Raw recordings and their averaging into records, through the reader and the
// averager that wavelet-average runs.

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <memory>
#include <optional>

#include "Binding.h"
#include "acquisition/AverageFile.h"
#include "acquisition/AveragedRecord.h"
#include "acquisition/Recording.h"

namespace wavelet::python {
namespace {

struct PyRecording {
  std::shared_ptr<const Recording> Value;
  std::string Path;  // as given: the averaging table's source
};

PyRecording ReadRecordingAt(const std::filesystem::path& file,
                            const std::optional<std::vector<std::string>>& leads) {
  const std::string path = file.string();
  ReadOptions options;
  if (leads) {
    if (leads->size() != 3) throw py::value_error("leads needs three lead labels, for X, Y and Z");
    options.LeadNames = std::array<std::string, 3>{(*leads)[0], (*leads)[1], (*leads)[2]};
  }
  Loaded<Recording> read;
  {
    py::gil_scoped_release release;
    read = ReadRecording(path, options);
  }
  if (!read.Ok) RaiseFailure(read, path);
  return {std::make_shared<const Recording>(std::move(read.Value)), path};
}

py::dict PatientOf(const RecordingPatient& p) {
  py::dict patient;
  patient["name"] = p.Name;
  patient["id"] = p.Id;
  patient["sex"] = p.Sex;
  patient["birth_date"] = p.BirthDate;
  patient["recording_date"] = p.RecordingDate;
  patient["recording_time"] = p.RecordingTime;
  patient["age_years"] = p.AgeYears;
  patient["height_cm"] = p.HeightCm;
  patient["weight_kg"] = p.WeightKg;
  return patient;
}

py::array_t<float> SignalsOf(const Recording& r) {
  const std::size_t n = r.Microvolts[0].size();
  py::array_t<float> signals({static_cast<py::ssize_t>(n), py::ssize_t{3}});
  auto out = signals.mutable_unchecked<2>();
  for (std::size_t i = 0; i < n; ++i) {
    for (int k = 0; k < 3; ++k) out(i, k) = static_cast<float>(r.Microvolts[k][i]);
  }
  return signals;
}

const char* LeadSourceName(LeadSource source) { return source == LeadSource::Kors ? "kors" : "frank"; }

struct PyAveragedBeat {
  std::shared_ptr<const Recording> Source;
  std::string Path;
  AveragingOptions Options;
  Loaded<AveragedRecord> Averaged;
  std::vector<std::string> Warnings;  // the reader's, then the averaging's
};

// The averaging tool's table row of this beat: its record name, as for one recording.
AverageFileResult FileResultOf(const PyAveragedBeat& b) {
  AverageFileResult result;
  result.RecordPath = RecordNameOf(b.Path);
  result.Read = true;
  result.Written = true;
  result.Leads = b.Source->Leads;
  result.SourceSamplingHz = b.Source->SourceSamplingHz;
  result.Summary = b.Averaged.Value.Summary;
  return result;
}

std::vector<std::string> CellsOf(const PyAveragedBeat& b) {
  return AveragingCells(b.Path, FileResultOf(b));
}

py::dict SummaryOf(const PyAveragedBeat& b) {
  const AveragingSummary& s = b.Averaged.Value.Summary;
  auto found = [&](auto value) { return s.QrsFound ? py::cast(value) : py::none(); };
  py::dict summary;
  summary["file"] = RecordNameOf(b.Path);
  summary["source"] = b.Path;
  summary["leads"] = LeadSourceName(b.Source->Leads);
  summary["sampling_hz"] = b.Source->SourceSamplingHz;
  summary["beats_found"] = s.BeatsFound;
  summary["beats_kept"] = s.BeatsKept;
  summary["rejected_ectopic"] = s.RejectedEctopic;
  summary["rejected_noisy"] = s.RejectedNoisy;
  summary["noise_uv"] = s.NoiseUv;
  summary["qrs_onset"] = found(s.QrsOnset);
  summary["qrs_offset"] = found(s.QrsOffset);
  summary["fqrs_ms"] = found(s.FqrsMs);
  summary["rms40_uv"] = found(s.Rms40Uv);
  summary["las40_ms"] = found(s.Las40Ms);
  summary["late_potentials"] = found(s.LatePotentials);
  summary["beats_unused"] = s.BeatsUnused;
  summary["beats_incomplete"] = s.BeatsIncomplete;
  summary["unusable_samples"] = s.UnusableSamples;
  summary["qrs_guarded"] = found(s.QrsGuarded);
  return summary;
}

Loaded<AveragedRecord> AverageInUnit(const Recording& recording, const AveragingOptions& options) {
  py::gil_scoped_release release;
  return AverageRecording(recording, options);
}

PyAveragedBeat Average(const PyRecording& recording, std::optional<int> beats,
                       std::optional<double> noiseTarget, int onsetAt, double unit) {
  PyAveragedBeat beat{recording.Value, recording.Path, {}, {}, recording.Value->Warnings};
  beat.Options.OnsetAt = onsetAt;
  beat.Options.MaxBeats = beats;
  beat.Options.NoiseTargetUv = noiseTarget;
  beat.Options.MicrovoltsPerUnit = unit;
  beat.Averaged = AverageInUnit(*recording.Value, beat.Options);
  if (!beat.Averaged.Ok) {
    // The refusal as wavelet-average gives it.
    throw py::value_error("[" + recording.Path + "]: " + beat.Averaged.ErrorText);
  }
  beat.Warnings.insert(beat.Warnings.end(), beat.Averaged.Value.Warnings.begin(), beat.Averaged.Value.Warnings.end());
  return beat;
}

py::bytes RecordBytesOf(const RecordBytes& bytes) {
  return py::bytes(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

py::bytes ToRecord(const PyAveragedBeat& beat, std::optional<double> unit) {
  if (!unit || *unit == beat.Options.MicrovoltsPerUnit) return RecordBytesOf(beat.Averaged.Value.Record);
  // The averaging places and stops in whole units, so another unit is another run, the
  // one wavelet-average --unit-uv makes.
  AveragingOptions options = beat.Options;
  options.MicrovoltsPerUnit = *unit;
  const Loaded<AveragedRecord> other = AverageInUnit(*beat.Source, options);
  if (!other.Ok) throw py::value_error("[" + beat.Path + "]: " + other.ErrorText);
  return RecordBytesOf(other.Value.Record);
}

}  // namespace

void BindRecordings(py::module_& m) {
  py::class_<PyRecording>(m, "Recording",
                          "A raw ECG recording reduced to X, Y, Z in microvolts at 1000 samples/s.")
      .def_property_readonly("path", [](const PyRecording& r) { return r.Path; })
      .def_property_readonly("signals", [](const PyRecording& r) { return SignalsOf(*r.Value); },
                             "X, Y, Z in microvolts, shape (n, 3), float32 (a copy; the averaging\n"
                             "works on the reader's doubles).")
      .def_property_readonly("fs", [](const PyRecording& r) { return r.Value->SamplingHz; })
      .def_property_readonly("source_fs", [](const PyRecording& r) { return r.Value->SourceSamplingHz; },
                             "The sampling rate as recorded, before resampling.")
      .def_property_readonly("lead_source", [](const PyRecording& r) { return LeadSourceName(r.Value->Leads); },
                             "\"frank\": the recording holds X, Y, Z; \"kors\": reconstructed from the\n"
                             "standard leads.")
      .def_property_readonly("labels", [](const PyRecording& r) {
        return py::make_tuple(r.Value->LeadLabels[0], r.Value->LeadLabels[1], r.Value->LeadLabels[2]);
      })
      .def_property_readonly("patient", [](const PyRecording& r) { return PatientOf(r.Value->Patient); })
      .def_property_readonly("warnings", [](const PyRecording& r) { return r.Value->Warnings; })
      .def("__repr__", [](const PyRecording& r) { return "<wavelet_ecg.Recording " + r.Path + ">"; });

  m.def("read_recording", &ReadRecordingAt, py::arg("path"), py::arg("leads") = py::none(),
        "Reads a recording as wavelet-average does: WFDB (by its .hea), and EDF, BDF, GDF,\n"
        "SCP-ECG, HL7 aECG, ISHNE through the reader program. `leads`: three labels to take\n"
        "as X, Y, Z. Raises FileNotFoundError, PermissionError, IsADirectoryError, or\n"
        "ValueError for what is no readable recording, with the tool's message.");

  py::class_<PyAveragedBeat>(m, "AveragedBeat", "A recording's beats averaged into one record's beat.")
      .def_property_readonly("leads",
                             [](const PyAveragedBeat& b) {
                               std::vector<double> values(kSamplesPerLead * 3);
                               for (int n = 0; n < kSamplesPerLead; ++n) {
                                 for (int k = 0; k < 3; ++k) values[n * 3 + k] = b.Averaged.Value.Microvolts[k][n];
                               }
                               return ReadOnlyArray(values.data(), {kSamplesPerLead, 3});
                             },
                             "The averaged beat in microvolts, shape (800, 3), placed as the record holds it.")
      .def_property_readonly("summary", &SummaryOf,
                             "The averaging.csv fields as numbers (None where the QRS was not found),\n"
                             "and the beats unused and incomplete, the unusable samples, the P-wave guard.")
      .def_property_readonly("cells", &CellsOf, "The averaging.csv row, exactly as wavelet-average writes it.")
      .def_property_readonly_static("columns", [](const py::object&) { return AveragingTitles(); })
      .def_property_readonly("warnings", [](const PyAveragedBeat& b) { return b.Warnings; })
      .def_property_readonly("unit_uv", [](const PyAveragedBeat& b) { return b.Options.MicrovoltsPerUnit; })
      .def("to_record", &ToRecord, py::arg("unit_uv") = py::none(),
           "The record's 5025 bytes, those wavelet-average writes: in the unit averaged in, or\n"
           "averaged afresh in another unit as wavelet-average --unit-uv does.");

  m.def("average", &Average, py::arg("recording"), py::arg("beats") = py::none(),
        py::arg("noise_target") = py::none(), py::arg("onset_at") = 310, py::arg("unit_uv") = 0.1,
        "Averages a recording as wavelet-average does (--beats, --noise-target, --onset-at,\n"
        "--unit-uv). Raises ValueError with the tool's refusal (options out of range, too few\n"
        "beats, a beat that does not fit the record's samples).");
}

}  // namespace wavelet::python
