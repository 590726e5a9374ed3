// wavelet-average run as users run it, over the real recordings beside the project.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

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
            "noise_uv,qrs_onset,qrs_offset,fqrs_ms,rms40_uv,las40_ms,late_potentials,qrs_guarded");
  EXPECT_NE(table.find("\r\ns0010_re.R01," + kPtb + "/s0010_re.hea,frank,1000,"), std::string::npos) << table;
  EXPECT_NE(table.find("\r\n," + junk + ",,,,,,,,,,,,,,\r\n"), std::string::npos) << table;

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
  // Given twice (a folder and a file in it, say): one record, the second refused.
  EXPECT_EQ(RunAverage("-q -o " + scratch.File("twice") + " " + kPtb + "/s0010_re.hea " + kPtb +
                           "/s0010_re.hea",
                       scratch, &err),
            1);
  EXPECT_NE(err.find("earlier in the same run, has its record name s0010_re.R01"), std::string::npos) << err;

  const std::string one = scratch.File("one"), two = scratch.File("two");
  ASSERT_EQ(RunAverage("-q -j 1 -o " + one + " " + kPtb, scratch), 0);
  ASSERT_EQ(RunAverage("-q -j 2 -o " + two + " " + kPtb, scratch), 0);
  for (const char* name : {"averaging.csv", "s0014lre.R01", "s0016lre.R01"}) {
    EXPECT_EQ(ReadAll(one + "/" + name), ReadAll(two + "/" + name)) << name;
  }
  EXPECT_EQ(RunAverage("-o " + out + " --onset-at 700 " + kPtb, scratch), 2);
}

std::vector<std::string> TableRows(const std::string& folder) {
  const std::string text = ReadAll(folder + "/averaging.csv");
  std::vector<std::string> rows;
  for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
    if (at > 0) rows.push_back(text.substr(at, end - at));  // not the title row
  }
  return rows;
}

// The table describes the folder however many runs filled it: a record not replaced
// keeps its row, a new record's row joins in record-name order, a row whose record is
// gone goes, an earlier version's table is read by its titles; and a recording that
// gives no record under --force takes its earlier record away, saying so.
TEST(AverageTool, TableKeptAcrossRunsAndAFailedForceLeavesNoStaleRecord) {
  if (!std::filesystem::exists(kPtb + "/s0010_re.hea")) GTEST_SKIP() << "no recordings beside the project";
  TempDir scratch;
  const std::string out = scratch.File("out");
  const std::string s10 = kPtb + "/s0010_re.hea", s14 = kPtb + "/s0014lre.hea", s16 = kPtb + "/s0016lre.hea";
  ASSERT_EQ(RunAverage("-q -o " + out + " " + s16 + " " + s10, scratch), 0);
  const std::vector<std::string> first = TableRows(out);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].rfind("s0010_re.R01,", 0), 0u);  // by record name, not argument order
  EXPECT_EQ(first[1].rfind("s0016lre.R01,", 0), 0u);

  // Refused without --force: both rows stay as they were, the new one joins between.
  std::string err;
  EXPECT_EQ(RunAverage("-q -o " + out + " " + s14 + " " + s10, scratch, &err), 1);
  EXPECT_NE(err.find("exists already"), std::string::npos) << err;
  const std::vector<std::string> second = TableRows(out);
  ASSERT_EQ(second.size(), 3u);
  EXPECT_EQ(second[0], first[0]);
  EXPECT_EQ(second[1].rfind("s0014lre.R01," + s14 + ",frank,1000,", 0), 0u);
  EXPECT_EQ(second[2], first[1]);

  // --force with leads the recording lacks: no record, so the earlier one goes too.
  EXPECT_EQ(RunAverage("-q --force --leads a,b,c -o " + out + " " + s10, scratch, &err), 1);
  EXPECT_NE(err.find("its earlier record [" + out + "/s0010_re.R01] is removed"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(out + "/s0010_re.R01"));
  EXPECT_EQ(TableRows(out), (std::vector<std::string>{second[1], second[2], "," + s10 + ",,,,,,,,,,,,,,"}));

  // A record removed by hand loses its row; the failure of the run before is dropped.
  std::filesystem::remove(out + "/s0014lre.R01");
  const std::string earlier = ReadAll(out + "/s0016lre.R01");
  ASSERT_EQ(RunAverage("-q -o " + out + " " + s10, scratch), 0);
  const std::vector<std::string> third = TableRows(out);
  ASSERT_EQ(third.size(), 2u);
  EXPECT_EQ(third[0].rfind("s0010_re.R01,", 0), 0u);
  EXPECT_EQ(third[1], first[1]);
  EXPECT_EQ(ReadAll(out + "/s0016lre.R01"), earlier);

  // An earlier version's table: a trailing comma, no qrs_guarded; a row whose record
  // is there is kept, its last cell blank.
  testing::WriteAll(out + "/averaging.csv",
                    "file,source,leads,sampling_hz,beats_found,beats_kept,rejected_ectopic,rejected_noisy,"
                    "noise_uv,qrs_onset,qrs_offset,fqrs_ms,rms40_uv,las40_ms,late_potentials,\r\n"
                    "s0016lre.R01,old,frank,1000,153,153,0,0,0.822,310,453,143,9.75,62,1,\r\n"
                    "gone.R01,old,frank,1000,1,1,0,0,1.000,310,453,143,9.75,62,1,\r\n");
  EXPECT_EQ(RunAverage("-q -o " + out + " " + s16, scratch), 1);
  EXPECT_EQ(TableRows(out), std::vector<std::string>{"s0016lre.R01,old,frank,1000,153,153,0,0,0.822,310,453,"
                                                     "143,9.75,62,1,"});

  // A file of that name that is no averaging table is never overwritten.
  testing::WriteAll(out + "/averaging.csv", "my own notes\n");
  EXPECT_EQ(RunAverage("-q --force -o " + out + " " + s16, scratch, &err), 1);
  EXPECT_NE(err.find("no averaging table"), std::string::npos) << err;
  EXPECT_EQ(ReadAll(out + "/averaging.csv"), "my own notes\n");
}

}  // namespace
}  // namespace wavelet
