// The report file in the application folder: written whole, replaced only by a
// complete new report.

#include <gtest/gtest.h>

#include "app/report_file.h"
#include "platform/locale_format.h"
#include "report/collation.h"
#include "support/environment.h"
#include "support/temp_dir.h"

namespace tallyfold {
namespace {

class NoStatus : public ScanStatus {
 public:
  void showStatus(std::string_view) override {}
};

TEST(ReportFile, FolderListGoesToTmpfileDmpInTheApplicationFolder) {
  test::TempDir home;
  test::EnvironmentValue appHome("TALLYFOLD_HOME", home / "app");
  RecordStore store;
  uint32_t folder = store.addFolder("/music/");
  std::vector<RecordRef> records{RecordRef{folder, RecordRef::kFolderRecord}};
  ReportSettings settings;
  ReportOptions options;
  options.kind = ReportKind::FolderList;
  LocaleFormat locale = LocaleFormat::plain();
  Collation collation("");
  ReportInput input{store, records, settings, options, locale, collation};
  CancelFlag cancel{false};
  NoStatus status;
  ReportCounters counters;
  std::string error;

  ASSERT_TRUE(writeReportFile(input, cancel, status, counters, error)) << error;
  EXPECT_EQ(reportFilePath(), home / "app/tmpfile.dmp");
  std::string text = test::readFile(reportFilePath());
  EXPECT_NE(text.find("\r\n/music\\par\r\n\r\n \\par\\par\\par}\r\n"), std::string::npos) << text;
  EXPECT_EQ(counters.folders, 1u);

  // A folder that cannot hold the file: the call says so.
  test::EnvironmentValue blocked("TALLYFOLD_HOME", home / "app/tmpfile.dmp/below");
  EXPECT_FALSE(writeReportFile(input, cancel, status, counters, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace tallyfold
