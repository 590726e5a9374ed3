// Records, their basic analysis, the transform and the late-potential figures, through
// the loads and the analysis the window and wavelet-batch run.

#include <sys/stat.h>
#include <unistd.h>

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <complex>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

#include "Binding.h"
#include "analysis/AnalysisState.h"
#include "analysis/BasicAnalysis.h"
#include "analysis/LatePotentials.h"
#include "analysis/Transform.h"
#include "output/BatchGrid.h"
#include "output/BatchRowWriter.h"
#include "output/LatePotentialTexts.h"
#include "output/PatientHeader.h"
#include "output/ResultColumns.h"
#include "record/RecordDecoder.h"
#include "record/RecordFile.h"
#include "record/RecordTag.h"

namespace wavelet::python {

void RaiseFailure(const Outcome& failure, const std::string& path) {
  const std::string message = failure.Message();
  PyObject* type = PyExc_OSError;
  switch (failure.Kind) {
    case FailureKind::NotFound:
    case FailureKind::BrokenLink: type = PyExc_FileNotFoundError; break;
    case FailureKind::NoPermission: type = PyExc_PermissionError; break;
    case FailureKind::NotAFile: {
      std::error_code error;
      type = std::filesystem::is_directory(path, error) ? PyExc_IsADirectoryError : PyExc_ValueError;
      break;
    }
    case FailureKind::NotARecord: type = PyExc_ValueError; break;
    case FailureKind::Exists: type = PyExc_FileExistsError; break;
    case FailureKind::None:
    case FailureKind::Failed: break;
  }
  PyErr_SetString(type, message.c_str());
  throw py::error_already_set();
}

namespace {

// A loaded record as the load keeps it, with its work-list entry (the file name).
struct Record {
  std::shared_ptr<const LoadedRecord> Loaded;
  std::string Name;
};

// The load of the window and the batch tool, without a file when the bytes are given.
Record Decoded(std::unique_ptr<LoadedRecord> loaded, std::string name) {
  DecodeRecordInto(*loaded);
  return {std::move(loaded), std::move(name)};
}

Record ReadRecord(const std::filesystem::path& file) {
  const std::string path = file.string();
  auto loaded = std::make_unique<LoadedRecord>();
  Outcome read;
  {
    py::gil_scoped_release release;
    read = ReadRecordFile(path, loaded->RecordBuffer);
  }
  if (!read.Ok) RaiseFailure(read, path);
  loaded->RecordPath = path;
  return Decoded(std::move(loaded), std::filesystem::path(path).filename().string());
}

Record RecordFromBytes(const py::bytes& data, const std::string& name) {
  const std::string_view bytes = data;
  if (bytes.size() != kRecordSize) {
    // The message of a record file of that size.
    throw py::value_error("Not a record (" + std::to_string(bytes.size()) + " bytes): [" + name + "]");
  }
  auto loaded = std::make_unique<LoadedRecord>();
  std::memcpy(loaded->RecordBuffer.data(), bytes.data(), kRecordSize);
  return Decoded(std::move(loaded), name);
}

py::dict HeaderOf(const Record& record) {
  const RecordHeaderTexts texts = DecodeHeaderTexts(record.Loaded->RecordBuffer);
  py::dict header;
  for (const PatientHeaderEntry& entry : kPatientHeader) {
    header[entry.GridTitle] = PatientFieldText(texts, record.Name, entry.Field);
  }
  return header;
}

// (800, 3): sample by lead. The decoded samples are sums of 16-bit steps, so they may
// leave the 16-bit range; 32 bits hold every one exactly.
py::array_t<std::int32_t> LeadsOf(const LeadSamples& leads) {
  std::vector<std::int32_t> values(kSamplesPerLead * kRecordedLeads);
  for (int n = 0; n < kSamplesPerLead; ++n) {
    for (int k = 0; k < kRecordedLeads; ++k) {
      values[n * kRecordedLeads + k] = static_cast<std::int32_t>(leads[k][n]);
    }
  }
  return ReadOnlyArray(values.data(), {kSamplesPerLead, kRecordedLeads});
}

// Each thread's analysis state, kept from call to call as a batch worker keeps its
// workbench's: start-up values once, the wavelet plans made on first use.
AnalysisState& ThreadState() {
  thread_local std::unique_ptr<AnalysisState> state = [] {
    auto made = std::make_unique<AnalysisState>();
    InitialiseAnalysisState(*made);
    return made;
  }();
  return *state;
}

struct Analysis {
  AnalysisResults Results;
  bool WindowsClamped = false;
};

Analysis Analyse(const Record& record) {
  py::gil_scoped_release release;
  AnalysisState& state = ThreadState();
  AnalyseRecord(state, *record.Loaded);
  return {state.Results, state.WindowsClamped};
}

template <typename T>
py::array_t<T> Table(const std::array<std::array<T, kScales>, kLeads>& table) {
  return ReadOnlyArray(&table[0][0], {kLeads, kScales});
}

template <typename T>
py::array_t<T> PerLead(const std::array<T, kLeads>& values) {
  return ReadOnlyArray(values.data(), {kLeads});
}

int LeadIndexOf(const py::object& lead) {
  if (py::isinstance<py::str>(lead)) {
    const std::string name = lead.cast<std::string>();
    static const std::string kNames[kLeads] = {"X", "Y", "Z", "M"};
    for (int i = 0; i < kLeads; ++i) {
      if (name == kNames[i] || (name.size() == 1 && std::toupper(name[0]) == kNames[i][0])) return i;
    }
  } else if (py::isinstance<py::int_>(lead)) {
    const int index = lead.cast<int>();
    if (index >= 0 && index < kLeads) return index;
  }
  throw py::value_error("lead must be 0-3 or one of \"X\", \"Y\", \"Z\", \"M\", not " +
                        py::repr(lead).cast<std::string>());
}

py::array Transform(const Record& record, const py::object& lead, double scale, bool magnitude) {
  const int k = LeadIndexOf(lead);
  if (!std::isfinite(scale) || scale <= 0.0) {
    throw py::value_error("scale must be a finite number above 0, not " + std::to_string(scale));
  }
  std::vector<std::complex<double>> values(kPositions);
  std::vector<double> magnitudes(kPositions);
  {
    py::gil_scoped_release release;
    AnalysisState& state = ThreadState();
    // The views' transform: the scale's tables made afresh, no features.
    TransformAtScale(state, *record.Loaded, scale, -1);
    for (int p = 0; p < kPositions; ++p) {
      values[p] = {state.TransformReal[k][p], state.TransformImag[k][p]};
      magnitudes[p] = state.TransformMagnitude[k][p];
    }
  }
  if (magnitude) return ReadOnlyArray(magnitudes.data(), {kPositions});
  return ReadOnlyArray(values.data(), {kPositions});
}

// The late-potential figures and the batch tool's row of them.
struct LatePotentialResult {
  LatePotentialFigures Figures;
  std::string Name;
  std::optional<std::pair<int, int>> HeaderQrs;  // the record's onset and offset
};

double UnitSetting(const std::optional<double>& unit) {
  if (!unit) return kDefaultMicrovoltsPerUnit;
  if (!(std::isfinite(*unit) && *unit > 0.0)) {
    throw py::value_error("unit_uv needs a number of microvolts above 0, not " + std::to_string(*unit));
  }
  return *unit;
}

template <typename T>
LeadSamples SamplesOf(const py::array& array) {
  const auto view = array.unchecked<T, 2>();
  LeadSamples leads{};
  for (int n = 0; n < kSamplesPerLead; ++n) {
    for (int k = 0; k < kRecordedLeads; ++k) leads[k][n] = static_cast<double>(view(n, k));
  }
  return leads;
}

// Leads given as an array: exactly (800, 3), samples by lead, in whole units (integers)
// or as doubles; anything else is refused rather than converted.
LeadSamples LeadsFromArray(const py::array& array) {
  if (array.ndim() != 2 || array.shape(0) != kSamplesPerLead || array.shape(1) != kRecordedLeads) {
    std::string shape;
    for (py::ssize_t i = 0; i < array.ndim(); ++i) shape += (i ? ", " : "") + std::to_string(array.shape(i));
    throw py::value_error("leads must have the shape (800, 3) (samples by X, Y, Z), not (" + shape + ")");
  }
  if (py::isinstance<py::array_t<std::int16_t>>(array)) return SamplesOf<std::int16_t>(array);
  if (py::isinstance<py::array_t<std::int32_t>>(array)) return SamplesOf<std::int32_t>(array);
  if (py::isinstance<py::array_t<double>>(array)) return SamplesOf<double>(array);
  throw py::type_error("leads must be an array of int16, int32 or float64, not " +
                       py::str(array.dtype()).cast<std::string>());
}

LatePotentialResult LatePotentialsOf(const py::object& source, const std::optional<double>& unitSetting) {
  const double setting = UnitSetting(unitSetting);
  LatePotentialResult result;
  if (py::isinstance<Record>(source)) {
    const Record& record = source.cast<const Record&>();
    result.Name = record.Name;
    result.HeaderQrs = std::pair{record.Loaded->QrsOnset, record.Loaded->QrsOffset};
    py::gil_scoped_release release;
    // The unit its own tag states wins over the setting, as in the tools.
    result.Figures = ComputeLatePotentials(record.Loaded->LeadSignals,
                                           RecordMicrovoltsPerUnit(record.Loaded->RecordBuffer, setting));
    return result;
  }
  if (!py::isinstance<py::array>(source)) {
    throw py::type_error("late_potentials takes a Record or an (800, 3) array of leads");
  }
  const LeadSamples leads = LeadsFromArray(source.cast<py::array>());
  py::gil_scoped_release release;
  result.Figures = ComputeLatePotentials(leads, setting);
  return result;
}

std::vector<std::string> LatePotentialRow(const LatePotentialResult& r) {
  std::vector<std::string> cells =
      LatePotentialCells(r.Name, r.Figures, r.HeaderQrs ? r.HeaderQrs->first : 0,
                         r.HeaderQrs ? r.HeaderQrs->second : 0);
  if (!r.HeaderQrs) {
    cells[cells.size() - 2].clear();
    cells.back().clear();
  }
  return cells;
}

// A figure of the found QRS, None where it was not found.
template <typename T>
py::object Found(const LatePotentialResult& r, T value) {
  return r.Figures.QrsFound ? py::cast(value) : py::none();
}

}  // namespace

void BindRecords(py::module_& m) {
  py::class_<Record>(m, "Record",
                     "A signal-averaged record as the program loads it (read_record, record_from_bytes).")
      .def_property_readonly("name", [](const Record& r) { return r.Name; },
                             "The work-list entry: the file name, as the first cell of a batch row.")
      .def_property_readonly("path", [](const Record& r) { return r.Loaded->RecordPath; })
      .def_property_readonly("header", &HeaderOf,
                             "The header texts by batch column title, as the window shows them.")
      .def_property_readonly("leads", [](const Record& r) { return LeadsOf(r.Loaded->LeadSignals); },
                             "The decoded samples in record units, shape (800, 3) (X, Y, Z), read-only int32.")
      .def_property_readonly(
          "unit_uv",
          [](const Record& r) -> std::optional<double> {
            const std::optional<RecordTag> tag = ReadRecordTag(r.Loaded->RecordBuffer);
            return tag ? std::optional(tag->MicrovoltsPerUnit) : std::nullopt;
          },
          "Microvolts per unit as the record's own tag states it, or None.")
      .def_property_readonly("qrs_onset", [](const Record& r) { return r.Loaded->QrsOnset; })
      .def_property_readonly("qrs_offset", [](const Record& r) { return r.Loaded->QrsOffset; })
      .def_property_readonly("averaging_count", [](const Record& r) { return r.Loaded->AveragingCount; })
      .def("to_bytes",
           [](const Record& r) {
             const RecordBytes& b = r.Loaded->RecordBuffer;
             return py::bytes(reinterpret_cast<const char*>(b.data()), b.size());
           },
           "The record's 5025 bytes.")
      .def("__repr__", [](const Record& r) { return "<wavelet_ecg.Record " + r.Name + ">"; });

  m.def("read_record", &ReadRecord, py::arg("path"),
        "Reads a record file as the window and wavelet-batch do.\n\n"
        "Raises FileNotFoundError, PermissionError, IsADirectoryError, or ValueError for a file\n"
        "that is no record, with the tools' message.");
  m.def("record_from_bytes", &RecordFromBytes, py::arg("data"), py::arg("name") = "",
        "A record from its 5025 bytes (e.g. AveragedBeat.to_record()), loaded as from a file\n"
        "called `name`.");

  py::class_<Analysis>(m, "Analysis", "The basic analysis of a record over the eight scales.")
      .def_property_readonly("cells", [](const Analysis& a) { return BatchResultCells(a.Results); },
                             "The result cells, texts exactly as wavelet-batch writes them.")
      .def_property_readonly_static(
          "columns",
          [](const py::object&) {
            std::vector<std::string> titles;
            for (const ResultColumn& column : ResultColumns()) titles.push_back(column.GridTitle);
            return titles;
          },
          "The result cells' column titles.")
      .def_property_readonly("judge1", [](const Analysis& a) { return a.Results.Judge1; })
      .def_property_readonly("judge2", [](const Analysis& a) { return a.Results.Judge2; })
      .def_property_readonly(
          "criteria",
          [](const Analysis& a) {
            py::dict criteria;
            criteria["area"] = a.Results.AreaJudge;
            criteria["count"] = a.Results.CountJudge;
            criteria["last_peak"] = a.Results.LastPeakJudge;
            criteria["fqrs"] = a.Results.FqrsJudge;
            return criteria;
          },
          "The four criteria's judgements (1: met).")
      .def_property_readonly(
          "thresholds",
          [](const Analysis& a) {
            py::dict thresholds;
            thresholds["area"] = a.Results.AreaThreshold;
            thresholds["count"] = a.Results.CountThreshold;
            thresholds["last_peak"] = a.Results.LastPeakThreshold;
            thresholds["fqrs"] = a.Results.FqrsThreshold;
            return thresholds;
          })
      .def_property_readonly("windows_clamped", [](const Analysis& a) { return a.WindowsClamped; },
                             "The record's QRS lay outside the analysable range (the red note).")
      .def_property_readonly("area", [](const Analysis& a) { return Table(a.Results.Area); },
                             "Per lead (X, Y, Z, M) and scale: shape (4, 8).")
      .def_property_readonly("peak_count", [](const Analysis& a) { return Table(a.Results.PeakCount); })
      .def_property_readonly("fqrs", [](const Analysis& a) { return Table(a.Results.Fqrs); })
      .def_property_readonly("last_peak", [](const Analysis& a) { return Table(a.Results.LastPeak); })
      .def_property_readonly("rise", [](const Analysis& a) { return Table(a.Results.RisePosition); })
      .def_property_readonly("fall", [](const Analysis& a) { return Table(a.Results.FallPosition); })
      .def_property_readonly("scale_area", [](const Analysis& a) { return PerLead(a.Results.ScaleArea); })
      .def_property_readonly("combined_peak_count",
                             [](const Analysis& a) { return PerLead(a.Results.CombinedPeakCount); })
      .def_property_readonly("combined_first_peak",
                             [](const Analysis& a) { return PerLead(a.Results.CombinedFirstPeak); })
      .def_property_readonly("combined_last_peak",
                             [](const Analysis& a) { return PerLead(a.Results.CombinedLastPeak); });

  m.def("analyse", &Analyse, py::arg("record"),
        "The basic analysis wavelet-batch runs on each record (the GIL is released).");
  m.def("transform", &Transform, py::arg("record"), py::arg("lead"), py::arg("scale"),
        py::arg("magnitude") = false,
        "The Morlet transform the views draw, at scale parameter `scale` (the basic scales are\n"
        "SCALES; the spectrogram sweeps 3.5 down to 1.5), for lead 0-3 or X, Y, Z, M: 400\n"
        "positions, position p being sample p + 260. complex128 (re, im), or with magnitude=True\n"
        "the magnitudes the views draw (for M: combined from X, Y, Z, not abs() of its re, im).");
  AnalysisState start{};
  InitialiseAnalysisState(start);
  m.attr("SCALES") = py::tuple(py::cast(std::vector<double>(start.ScaleTable.begin(), start.ScaleTable.end())));

  py::class_<LatePotentialResult>(m, "LatePotentials",
                                  "The time-domain late-potential figures of a record or of leads.")
      .def_property_readonly("cells", &LatePotentialRow,
                             "The row exactly as wavelet-batch --late-potentials writes it.")
      .def_property_readonly_static("columns", [](const py::object&) { return LatePotentialTitles(); })
      .def_property_readonly("unit_uv", [](const LatePotentialResult& r) { return r.Figures.MicrovoltsPerUnit; })
      .def_property_readonly("noise_uv", [](const LatePotentialResult& r) { return r.Figures.NoiseMeanUv; })
      .def_property_readonly("noise_sd_uv", [](const LatePotentialResult& r) { return r.Figures.NoiseSdUv; })
      .def_property_readonly("threshold_uv", [](const LatePotentialResult& r) { return r.Figures.ThresholdUv; })
      .def_property_readonly("qrs_onset", [](const LatePotentialResult& r) { return Found(r, r.Figures.Onset); })
      .def_property_readonly("qrs_offset", [](const LatePotentialResult& r) { return Found(r, r.Figures.Offset); })
      .def_property_readonly("onset_guarded",
                             [](const LatePotentialResult& r) { return Found(r, r.Figures.OnsetGuarded); })
      .def_property_readonly("fqrs_ms", [](const LatePotentialResult& r) { return Found(r, r.Figures.FqrsdMs); })
      .def_property_readonly("rms40_uv", [](const LatePotentialResult& r) { return Found(r, r.Figures.Rms40Uv); })
      .def_property_readonly("las40_ms", [](const LatePotentialResult& r) { return Found(r, r.Figures.Las40Ms); })
      .def_property_readonly("fqrs_abnormal",
                             [](const LatePotentialResult& r) { return Found(r, r.Figures.FqrsdAbnormal); })
      .def_property_readonly("rms40_abnormal",
                             [](const LatePotentialResult& r) { return Found(r, r.Figures.Rms40Abnormal); })
      .def_property_readonly("las40_abnormal",
                             [](const LatePotentialResult& r) { return Found(r, r.Figures.Las40Abnormal); })
      .def_property_readonly("late_potentials",
                             [](const LatePotentialResult& r) { return Found(r, r.Figures.LatePotentials); })
      .def_property_readonly("header_onset", [](const LatePotentialResult& r) -> std::optional<int> {
        return r.HeaderQrs ? std::optional(r.HeaderQrs->first) : std::nullopt;
      })
      .def_property_readonly("header_offset", [](const LatePotentialResult& r) -> std::optional<int> {
        return r.HeaderQrs ? std::optional(r.HeaderQrs->second) : std::nullopt;
      })
      .def_property_readonly(
          "vm",
          [](const LatePotentialResult& r) {
            return ReadOnlyArray(r.Figures.Magnitude.data(), {kSamplesPerLead});
          },
          "The 40-250 Hz filtered vector magnitude in microvolts, one value per ms.");

  m.def("late_potentials", &LatePotentialsOf, py::arg("record_or_leads"), py::arg("unit_uv") = py::none(),
        "The late-potential figures of a Record (its tag's unit wins over unit_uv, as in the\n"
        "tools) or of an (800, 3) int16, int32 or float64 array of leads in units of unit_uv\n"
        "(default 0.1 microvolts per unit).");
}

}  // namespace wavelet::python
