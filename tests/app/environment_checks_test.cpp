// The OS version table, and the environment check's order of tests, refusal messages and codes.
#include "app/environment_checks.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/dialog_resources.h"
#include "support/fake_platform.h"
#include "support/scripted_ui.h"

namespace refontis {
namespace {

using platform::OsVersionInfo;

struct VersionRow {
  uint32_t platformId, major, minor;
  const char* servicePack;
  const char* name;
  int code;
};

// Every row of the version table, with its edges: the platform id, the major and minor
// boundaries, and the second character of the service-pack text for Windows 95.
const VersionRow kVersionRows[] = {
    {0, 0, 0, "", "Windows 31", 1001},
    {0, 6, 1, "", "Windows 31", 1001},
    {1, 4, 0, " C", "Windows 95 OSR2", 1001},
    {1, 4, 0, "xC and more", "Windows 95 OSR2", 1001},
    {1, 4, 0, "C", "Windows 95", 1001},  // "C" is the first character, not the second
    {1, 4, 0, " B", "Windows 95", 1001},
    {1, 4, 0, "", "Windows 95", 1001},
    {1, 4, 10, " A", "Windows 98", 1001},
    {1, 4, 90, "", "Windows Me", 1001},
    {1, 4, 1, "", "NOSUPPORTVERSION", 1002},
    {1, 4, 91, "", "NOSUPPORTVERSION", 1002},
    {1, 3, 10, "", "NOSUPPORTVERSION", 1002},
    {1, 5, 0, "", "NOSUPPORTVERSION", 1002},
    {2, 0, 0, "", "Windows NT 3.5", 1001},
    {2, 3, 51, "", "Windows NT 3.5", 1001},
    {2, 4, 0, "Service Pack 6", "Windows NT 4", 1001},
    {2, 4, 90, "", "Windows NT 4", 1001},
    {2, 5, 0, "", "NOSUPPORTVERSION", 1002},
    {2, 5, 1, "Service Pack 3", "NOSUPPORTVERSION", 1002},
    {2, 6, 0, "", "Windows Vista", 7},
    {2, 6, 1, "Service Pack 1", "Windows 7", 8},
    {2, 6, 2, "", "NOSUPPORTVERSION", 1002},
    {2, 6, 3, "", "Windows 8.1", 10},
    {2, 6, 4, "", "NOSUPPORTVERSION", 1002},
    {2, 6, 200, "", "NOSUPPORTVERSION", 1002},
    {2, 7, 0, "", "NOSUPPORTVERSION", 1002},
    {2, 8, 1, "", "NOSUPPORTVERSION", 1002},
    {2, 9, 0, "", "NOSUPPORTVERSION", 1002},
    {2, 10, 0, "", "Windows 10", 11},
    {2, 10, 7, "", "Windows 10", 11},
    {2, 11, 0, "", "Windows 10", 11},
    {2, 4000000000u, 0, "", "Windows 10", 11},
    {3, 10, 0, "", "NOSUPPORTVERSION", 1002},
    {3, 6, 1, "", "NOSUPPORTVERSION", 1002},
    {4000000000u, 4, 0, " C", "NOSUPPORTVERSION", 1002},
};

TEST(DecideOSVersion, EveryRowOfTheVersionTable) {
  for (const VersionRow& row : kVersionRows) {
    SCOPED_TRACE(testing::Message() << row.platformId << "." << row.major << "." << row.minor
                                    << " \"" << row.servicePack << "\"");
    std::string name = "left over";
    EXPECT_EQ(app::DecideOSVersion(row.platformId, row.major, row.minor, row.servicePack, &name),
              row.code);
    EXPECT_EQ(name, row.name);
  }
}

TEST(GetOSVersionCode, ReadsTheSystemsVersionAndClearsTheName) {
  test::FakePlatform platform;
  std::string name = "left over";
  platform.version = std::nullopt;
  EXPECT_EQ(app::GetOSVersionCode(platform, &name), 1000);
  EXPECT_EQ(name, "");

  platform.version = OsVersionInfo{1, 4, 0, " C", false};
  EXPECT_EQ(app::GetOSVersionCode(platform, &name), 1001);
  EXPECT_EQ(name, "Windows 95 OSR2");

  platform.version = OsVersionInfo{2, 6, 3, "", false};
  EXPECT_EQ(app::GetOSVersionCode(platform, &name), 10);
  EXPECT_EQ(name, "Windows 8.1");
}

// Counts the rights tests, to show where the environment check stops.
class CountingPlatform : public test::FakePlatform {
 public:
  bool IsAdministrator() override {
    ++rightsTests;
    return FakePlatform::IsAdministrator();
  }
  int rightsTests = 0;
};

struct EnvironmentRow {
  const char* name;
  std::optional<OsVersionInfo> version;
  bool administrator;
  int code;
  int message;  // 0: no refusal message
  bool rightsTested;
};
void PrintTo(const EnvironmentRow& row, std::ostream* os) { *os << row.name; }

class CheckEnvironmentTest : public testing::TestWithParam<EnvironmentRow> {};

TEST_P(CheckEnvironmentTest, TestsTheSystemFirstAndTheRightsSecond) {
  const EnvironmentRow& row = GetParam();
  CountingPlatform platform;
  platform.version = row.version;
  platform.administrator = row.administrator;
  test::ScriptedUi ui;
  if (row.message != 0) ui.Answer(app::kOkDialog, app::kIdOk);

  EXPECT_EQ(app::CheckEnvironment(platform, ui), row.code);
  EXPECT_EQ(platform.rightsTests, row.rightsTested ? 1 : 0);
  EXPECT_FALSE(ui.AnswersLeft());
  if (row.message == 0) {
    EXPECT_TRUE(ui.ModalTemplates().empty());
  } else {
    EXPECT_EQ(ui.ModalTemplates(), std::vector<int>{app::kOkDialog});
    EXPECT_EQ(ui.ModalText(0, app::kMessageText), app::LoadString(row.message));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CheckEnvironmentTest,
    testing::Values(
        EnvironmentRow{"Unreadable", std::nullopt, false, 1000, 109, false},
        EnvironmentRow{"Windows95", OsVersionInfo{1, 4, 0, "", false}, false, 1001, 110, false},
        EnvironmentRow{"NT4", OsVersionInfo{2, 4, 0, "", false}, true, 1001, 110, false},
        EnvironmentRow{"Windows8", OsVersionInfo{2, 6, 2, "", false}, false, 1002, 110, false},
        EnvironmentRow{"Windows2000", OsVersionInfo{2, 5, 0, "", false}, true, 1002, 110, false},
        EnvironmentRow{"VistaAdmin", OsVersionInfo{2, 6, 0, "", false}, true, 7, 0, true},
        EnvironmentRow{"VistaUser", OsVersionInfo{2, 6, 0, "", false}, false, 1005, 111, true},
        EnvironmentRow{"Windows7Admin", OsVersionInfo{2, 6, 1, "", false}, true, 8, 0, true},
        EnvironmentRow{"Windows7User", OsVersionInfo{2, 6, 1, "", false}, false, 1005, 111, true},
        EnvironmentRow{"Windows81User", OsVersionInfo{2, 6, 3, "", false}, false, 1005, 111, true},
        EnvironmentRow{"Windows10Admin", OsVersionInfo{2, 10, 0, "", false}, true, 11, 0, true},
        EnvironmentRow{"Windows10User", OsVersionInfo{2, 10, 0, "", false}, false, 1005, 111,
                       true}),
    [](const testing::TestParamInfo<EnvironmentRow>& info) { return info.param.name; });

}  // namespace
}  // namespace refontis
