// wavelet_ecg: the program's own loads, analysis, late potentials, averaging and batch
// from Python. Every function calls the layers the window and the tools call, so its
// cells, figures and record bytes are theirs.

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

#include "Binding.h"
#include "base/CompanionProgram.h"
#include "version/Version.h"

namespace {

// The recording reader beside this module in the build tree (python/ is a folder of
// the build), or in <prefix>/libexec/wavelet once installed under
// <prefix>/lib/pythonX/…-packages.
void FindHelpersBesideTheModule() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&FindHelpersBesideTheModule), &info) == 0 || info.dli_fname == nullptr) {
    return;
  }
  const std::filesystem::path folder = std::filesystem::path(info.dli_fname).parent_path();
  for (const std::filesystem::path& candidate :
       {folder / "..", folder / ".." / ".." / ".." / "libexec" / "wavelet"}) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(candidate / "wavelet-read-recording", ignored)) {
      wavelet::SetCompanionProgramDirectory(candidate.lexically_normal().string());
      return;
    }
  }
}

}  // namespace

PYBIND11_MODULE(wavelet_ecg, m) {
  m.doc() =
      "The wavelet workbench's exact analysis of signal-averaged XYZ records: records and their\n"
      "basic analysis, the transform, the late potentials, recordings averaged into records and\n"
      "the batch table, each exactly as the window and the tools give them.";
  m.attr("__version__") = wavelet::kBuildVersion;
  FindHelpersBesideTheModule();
  wavelet::python::BindRecords(m);
  wavelet::python::BindRecordings(m);
  wavelet::python::BindBatch(m);
}
