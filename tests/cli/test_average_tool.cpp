// wavelet-average run as users run it, over the real recordings beside the project.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "record/RecordDecoder.h"
#include "record/RecordTag.h"
#include "support/TempDir.h"

namespace wavelet {
namespace {

using testing::ReadAll;
using testing::TempDir;

const std::string kTool = std::string(WAVELET_BINARY_DIR) + "/wavelet-average";
const std::string kPtb = std::string(WAVELET_SOURCE_DIR) + "/../shared/recordings/ptb";

int RunAverage(const std::string& arguments, const TempDir& scratch, std::string* err = nullptr) {
  const std::string errFile = scratch.File("average.err");
  const int status = std::system((kTool + " " + arguments + " 2>" + errFile + " </dev/null").c_str());
  if (err != nullptr) *err = ReadAll(errFile);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A PTB recording becomes a tagged record and a row; a file that is no recording is
// named with its reason; a record there already stays unless --force; the table and
// the records do not depend on -j.
TEST(AverageTool, RecordsTableRefusalsAndReplacing) {
  if (!std::filesystem::exists(kPtb + "/s0010_re.hea")) GTEST_SKIP() << "no recordings beside the project";
  TempDir scratch;
  const std::string junk = scratch.File("junk.edf");
  testing::WriteAll(junk, "not a recording", 15);
  const std::string out = scratch.File("out");
  std::string err;
  EXPECT_EQ(RunAverage("-q -j 1 -o " + out + " " + kPtb + "/s0010_re.hea " + junk, scratch, &err), 1);
  EXPECT_NE(err.find(junk), std::string::npos) << err;
  const std::string table = ReadAll(out + "/averaging.csv");
  EXPECT_EQ(table.substr(0, table.find("\r\n")),
            "file,source,leads,sampling_hz,beats_found,beats_kept,rejected_ectopic,rejected_noisy,"
            "noise_uv,qrs_onset,qrs_offset,fqrs_ms,rms40_uv,las40_ms,late_potentials,");
  EXPECT_NE(table.find("\r\ns0010_re.R01," + kPtb + "/s0010_re.hea,frank,1000,"), std::string::npos) << table;
  EXPECT_NE(table.find("\r\n," + junk + ",,,"), std::string::npos) << table;

  RecordBytes record{};
  const std::string bytes = ReadAll(out + "/s0010_re.R01");
  ASSERT_EQ(bytes.size(), kRecordSize);
  std::copy(bytes.begin(), bytes.end(), record.begin());
  const std::optional<RecordTag> tag = ReadRecordTag(record);
  ASSERT_TRUE(tag.has_value());
  EXPECT_EQ(tag->MicrovoltsPerUnit, 0.1);
  EXPECT_EQ(tag->SourceName, "s0010_re.hea");
  const RecordHeaderTexts header = DecodeHeaderTexts(record);
  EXPECT_EQ(header.Age, "81");  // from the header's comments

  EXPECT_EQ(RunAverage("-q -o " + out + " " + kPtb + "/s0010_re.hea", scratch, &err), 1);
  EXPECT_NE(err.find("exists already"), std::string::npos) << err;
  EXPECT_EQ(RunAverage("-q --force -o " + out + " " + kPtb + "/s0010_re.hea", scratch), 0);
  EXPECT_EQ(ReadAll(out + "/s0010_re.R01"), bytes);

  const std::string one = scratch.File("one"), two = scratch.File("two");
  ASSERT_EQ(RunAverage("-q -j 1 -o " + one + " " + kPtb, scratch), 0);
  ASSERT_EQ(RunAverage("-q -j 2 -o " + two + " " + kPtb, scratch), 0);
  for (const char* name : {"averaging.csv", "s0014lre.R01", "s0016lre.R01"}) {
    EXPECT_EQ(ReadAll(one + "/" + name), ReadAll(two + "/" + name)) << name;
  }
  EXPECT_EQ(RunAverage("-o " + out + " --onset-at 700 " + kPtb, scratch), 2);
}

}  // namespace
}  // namespace wavelet
