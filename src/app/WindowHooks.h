#pragma once
// The window's side of the workbench's steps: where a record load puts the header
// (the labels of both tabs, the caption) and what an analysis does around its core
// work (the map's progress bar, the calculation sheet).

#include "app/MainWindow.h"
#include "session/AnalysisDriver.h"
#include "session/Workbench.h"

namespace wavelet {

class WindowHeaderSink final : public HeaderSink {
 public:
  explicit WindowHeaderSink(TSDIAppForm& window) : window_(window) {}
  void ShowHeaderField(const PatientHeaderEntry& field, const std::string& text) override;
  void RecordPathChosen(const std::string& path) override;

 private:
  TSDIAppForm& window_;
};

class WindowHooks final : public AnalysisDriverHooks {
 public:
  explicit WindowHooks(TSDIAppForm& window) : window_(window) {}
  void MapStarted() override;
  void MapRowDone(int rowsDone) override;
  void MapFinished() override;
  void ShowCalculationData() override;

 private:
  TSDIAppForm& window_;
};

}  // namespace wavelet
