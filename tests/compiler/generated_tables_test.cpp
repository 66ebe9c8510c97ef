// The tables in the C that `zurasn1 c` wrote, laid out by this target's C
// compiler, against the tables the library makes in memory on this target:
// every field of every record, names and values by content.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "PKIX1Explicit88.h"
#include "PKIX1Implicit88.h"
#include "ZurLayouts.h"
#include "tests/compiler/compiled_modules.h"
#include "tests/compiler/table_dump.h"

// The sets whose headers share names with the ones included above.
extern "C" const ZurTables PKCS_1_tables;
extern "C" const ZurTables InformationFramework_tables;
extern "C" const ZurTables ZurNames_tables;

namespace zurtest {
namespace {

struct Generated {
  const char *name;
  std::vector<std::string> modules;
  const ZurTables *tables;
  friend void PrintTo(const Generated &g, std::ostream *out) { *out << g.name; }
};

class GeneratedTables : public ::testing::TestWithParam<Generated> {};

TEST_P(GeneratedTables, EqualTheTablesMadeInMemory) {
  const Generated &g = GetParam();
  const auto compiled = compileModules(g.modules);
  ASSERT_NE(compiled, nullptr);
  const std::vector<std::string> memory = dumpTables(compiled->tables());
  const std::vector<std::string> generated = dumpTables(*g.tables);
  std::ostringstream differences;
  int count = 0;
  for (std::size_t i = 0; i < std::max(memory.size(), generated.size()); ++i) {
    const std::string m = i < memory.size() ? memory[i] : "(none)";
    const std::string c = i < generated.size() ? generated[i] : "(none)";
    if (m != c && ++count <= 10) differences << "\n  memory:    " << m << "\n  generated: " << c;
  }
  EXPECT_EQ(count, 0) << g.name << ": " << count << " of " << memory.size() << " records differ" << differences.str();
  // The comparison saw the whole of both tables, values included.
  EXPECT_GT(memory.size(), 100u);
}

INSTANTIATE_TEST_SUITE_P(Modules, GeneratedTables,
                         ::testing::Values(Generated{"pkix", pkixModules(), &PKIX1Explicit88_tables},
                                           Generated{"own", {ownModule()}, &ZurLayouts_tables},
                                           Generated{"rsa", {pkixModule("PKCS-1")}, &PKCS_1_tables},
                                           Generated{"directory", directoryModules(), &InformationFramework_tables},
                                           Generated{"names", {ZURASN1_NAMES_MODULE}, &ZurNames_tables}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zurtest
