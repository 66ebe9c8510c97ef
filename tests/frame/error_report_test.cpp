#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>

#include "frame/error_table.h"
#include "library/entry_points.h"
#include "tests/support/test_env.h"

namespace {

TEST(ErrorReport, EveryRowWritesItsTextArgumentAndCode) {
  std::ifstream golden(ZURBASE_TEST_DATA "/error_reports.tsv");
  ASSERT_TRUE(golden.is_open());
  zurtest::TestEnv env;
  const int32_t number = -42;
  const double real = 2.5;
  const char *text = "50% off";
  std::string line;
  int rows = 0;
  while (std::getline(golden, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t t1 = line.find('\t'), t2 = line.find('\t', t1 + 1);
    const int row = std::stoi(line.substr(0, t1));
    const int code = std::stoi(line.substr(t1 + 1, t2 - t1 - 1));
    const std::string expected = line.substr(t2 + 1) + "\n";
    const int kind = static_cast<int>(zur::errorTable()[row].flags & 7);
    const void *arg = kind == 5   ? static_cast<const void *>(&real)
                      : kind == 6 ? static_cast<const void *>(text)
                                  : static_cast<const void *>(&number);
    char buf[300];
    EXPECT_EQ(zur::apiReportError(env.get(), buf, row, expected[0], arg), code) << row;
    EXPECT_EQ(std::string(buf), expected) << row;
    ++rows;
  }
  EXPECT_EQ(rows, zur::kErrorRows);
}

// Every row's code is in the golden file above; a row outside the table is
// answered with the code of "This error cannot happen".
TEST(ErrorReport, RowsOutsideTheTableHaveTheCodeOfTheCannotHappenRow) {
  for (int outside : {-1, zur::kErrorRows, 100000}) EXPECT_EQ(zur::errorCode(outside), 18);
}

// A report is printed when bit 2 of its direction's flags is set, as plain
// text. Without a buffer nothing is written or printed; without an Env the
// buffer is still written; a caller's buffer leaves the Env's own alone.
TEST(ErrorReport, PrintingAndBuffers) {
  zurtest::TestEnv env;
  env.captureWithHook();
  env->encFlags = 0x2;
  env->decFlags = 0;
  char buf[200];
  std::strcpy(env->msgBuf, "earlier");
  zur::apiReportError(env.get(), buf, zur::ROW_UNKNOWN_RULES, 'E', nullptr);
  EXPECT_EQ(zurtest::hookText(),
            "E0100S: Unknown encoding rules were requested, use BER/DER/PER only..\n");
  EXPECT_STREQ(env->msgBuf, "earlier");
  zurtest::hookText().clear();
  zur::apiReportError(env.get(), buf, zur::ROW_RULES_NOT_LINKED, 'D', "PER");
  EXPECT_EQ(zurtest::hookText(), "");
  EXPECT_STREQ(buf, "D0103S: The requested encoding rules were not linked: 'PER'.\n");
  zur::apiSetFlags(env.get(), 0x2);
  zur::apiReportError(env.get(), buf, zur::ROW_RULES_NOT_LINKED, 'D', "100%s");
  EXPECT_EQ(zurtest::hookText(),
            "D0103S: The requested encoding rules were not linked: '100%s'.\n");
  zurtest::hookText().clear();
  EXPECT_EQ(zur::apiReportError(env.get(), nullptr, zur::ROW_NULL_ARGUMENT, 'E', nullptr), 6);
  EXPECT_EQ(zurtest::hookText(), "");
  EXPECT_EQ(zur::apiReportError(nullptr, buf, zur::ROW_SERIALIZATION, 'E', nullptr), 19);
  EXPECT_STREQ(buf, "E0005S: Global data access serialization error.\n");
  EXPECT_EQ(zur::apiGetErrorMsg(env.get()), env->msgBuf);
  EXPECT_EQ(zur::apiGetErrorMsg(nullptr), nullptr);
}

}  // namespace
