// The reader program's run: a failed run costs one file, and the stream it sends is
// checked before anything of it is believed.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fcntl.h>

#include <chrono>
#include <functional>

#include "acquisition/BiosigRecord.h"
#include "base/CompanionProgram.h"
#include "acquisition/ReaderStream.h"
#include "base/FileDescriptor.h"
#include "support/TempDir.h"

namespace wavelet {
namespace {

using namespace std::chrono_literals;

TEST(ReaderRuns, FailedRunsBecomeRefusalsOfThatFile) {
  ChildRun run;
  run.How = ChildRun::End::Crashed;
  run.Signal = SIGSEGV;
  EXPECT_EQ(SourceFromReaderRun("/d/a.scp", run, {}).ErrorText, "libbiosig crashed while reading [/d/a.scp] (signal 11)");
  run.How = ChildRun::End::TimedOut;
  EXPECT_EQ(SourceFromReaderRun("/d/a.scp", run, {}).ErrorText,
            "libbiosig took longer than 20 s over [/d/a.scp]: refused as a hang");
  run.How = ChildRun::End::Exited;
  run.Output = "junk";
  EXPECT_EQ(SourceFromReaderRun("/d/a.scp", run, {}).ErrorText,
            "Cannot read [/d/a.scp]: the reader failed (a frame runs past the end of the stream)");
}

// The stream as the reader program writes it, through a real pipe end.
std::string Written(const std::function<void(int)>& write) {
  testing::TempDir dir;
  const std::string path = dir.File("stream");
  FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT, 0600));
  write(file.Get());
  file.Close();
  return testing::ReadAll(path);
}

TEST(ReaderStreams, ChannelsAndPatientFieldsComeThroughAndUnitsBecomeMicrovolts) {
  RecordingPatient patient;
  patient.Name = "Clark";
  patient.Sex = std::string("M");  // from a char*, GCC 12 takes the copy for an overlap (-Wrestrict)
  patient.AgeYears = 49;
  const std::string bytes = Written([&](int fd) {
    WritePatient(fd, patient);
    WriteChannel(fd, "I", "mV", 500, std::vector<double>{0.5, -1.25});
    WriteChannel(fd, "II", "uV", 500, std::vector<double>{3});
    WriteEnd(fd);
  });
  ChildRun run;
  run.How = ChildRun::End::Exited;
  run.Output = bytes;
  const Loaded<SourceRecording> source = SourceFromReaderRun("f", run, {});
  ASSERT_TRUE(source.Ok) << source.ErrorText;
  EXPECT_EQ(source.Value.SamplingHz, 500.0);
  EXPECT_EQ(source.Value.Channels[0].Microvolts, (std::vector<double>{500, -1250}));
  EXPECT_EQ(source.Value.Channels[1].Label, "II");
  EXPECT_EQ(source.Value.Patient.Name, "Clark");
  EXPECT_EQ(source.Value.Patient.AgeYears, 49);
  EXPECT_FALSE(source.Value.Patient.HeightCm.has_value());

  // Every cut of the stream short of its end frame is malformed, never a crash.
  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    EXPECT_FALSE(DecodeReaderStream(std::string_view(bytes).substr(0, cut), 8, 100).Ok) << cut;
  }
  EXPECT_EQ(DecodeReaderStream(bytes, 1, 100).ErrorText, "more channels than asked for");
  EXPECT_EQ(DecodeReaderStream(bytes, 8, 1).ErrorText, "a channel frame is malformed");
}

TEST(ReaderStreams, ARefusalFromTheReaderNamesTheFile) {
  ChildRun run;
  run.How = ChildRun::End::Exited;
  run.Output = Written([](int fd) {
    WriteRefusal(fd, "libbiosig refuses it (format unknown)");
    WriteEnd(fd);
  });
  EXPECT_EQ(SourceFromReaderRun("/x/y.edf", run, {}).ErrorText,
            "Cannot read [/x/y.edf]: libbiosig refuses it (format unknown)");
}

}  // namespace
}  // namespace wavelet
