// The C names that `zurasn1 c` gave the types and members of ZurNames.asn1,
// in a program that includes the library's headers and the standard ones
// they use: every check below is one the generated C would fail to compile
// or hold otherwise.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <type_traits>

#include "Names-A-B.h"
#include "Names-A.h"
#include "ZurNames.h"
#include "compiler/c_reserved.h"
#include "zurbase/zurcore.h"

namespace zurtest {
namespace {

template <class T>
constexpr bool isFlag = std::is_same_v<T, uint8_t>;

// A component is declared as the type it refers to, tagged or not, and not
// as another one laid out alike.
static_assert(std::is_same_v<decltype(static_cast<Addr *>(nullptr)->u.v6), V6>);
static_assert(std::is_same_v<decltype(static_cast<Addr *>(nullptr)->u.v4), V4>);
static_assert(std::is_same_v<decltype(UsesInts::i2), Ints2>);
static_assert(std::is_same_v<decltype(UsesInts::again), Ints2>);

// C and C++ keywords get "_" behind them.
static_assert(isFlag<decltype(Keywords::static_assert_)> && isFlag<decltype(Keywords::thread_local_)> &&
              isFlag<decltype(Keywords::bitand_)> && isFlag<decltype(Keywords::not_eq_)> &&
              isFlag<decltype(Keywords::compl_)> && isFlag<decltype(Keywords::and_eq_)> &&
              isFlag<decltype(Keywords::concept_)> && isFlag<decltype(Keywords::co_await_)> &&
              isFlag<decltype(Keywords::co_return_)> && isFlag<decltype(Keywords::constinit_)> &&
              isFlag<decltype(Keywords::char8_t_)> && isFlag<decltype(Keywords::typeof_)> &&
              isFlag<decltype(Keywords::typeof_unqual_)> && isFlag<decltype(Keywords::nullptr_)>);

// Names that the included headers, or the table set, have get the module's
// name in front; a macro that one has gets "_" behind (ZurNames.h comes
// first, so a SLOT_PRINT_PDU of its own would spoil zurbase/api.h).
static_assert(std::is_same_v<ZurNames_FILE, ZurHugeInt> && std::is_same_v<ZurNames_EOF, uint8_t> &&
              std::is_same_v<ZurNames_INT8_MAX, ZurHugeInt> && std::is_same_v<ZurNames_KIND_INTEGER, uint8_t> &&
              std::is_same_v<ZurNames_ZUR_TAG_EXPLICIT, uint8_t> && std::is_same_v<ZurNames_ZurNames_tables, ZurHugeInt>);
static_assert(std::is_same_v<decltype(ZurNames_tables), const ZurTables>);
static_assert(SLOT_PRINT_PDU_ > 0 && ZurNames_KIND_INTEGER_PDU > 0);

// Names_A.B-C and Names_A-B.C: the later module's gets "_".
static_assert(std::is_same_v<Names_A_B_C, ZurHugeInt> && std::is_same_v<Names_A_B_C_, ZurOctets>);

// One C type for each of EXTERNAL, EMBEDDED PDV and CHARACTER STRING.
static_assert(std::is_same_v<decltype(Carried::plain), EXTERNAL> &&
              std::is_same_v<decltype(Carried::pdv), EMBEDDED_PDV> &&
              std::is_same_v<decltype(Carried::text), CHARACTER_STRING>);

// Instances of a parameterized type laid out alike are one type.
static_assert(std::is_same_v<decltype(UsesAlg::one), decltype(UsesAlg::two)>);
static_assert(std::is_same_v<decltype(UsesAlg::one), AlgId>);

// Every name of upper case in the code of the library's public headers is
// one the compiler keeps away from the types it names.
TEST(GeneratedNames, TheCompilerKnowsEveryNameOfTheLibraryHeaders) {
  const std::regex comments(R"(/\*[\s\S]*?\*/|//[^\n]*|"(\\.|[^"\\])*")");
  const std::regex parameters(R"((#\s*define\s+\w+)\([^)]*\))");
  const std::regex upper(R"(\b[A-Z]\w*)");
  int names = 0;
  for (const char *header : {"api.h", "codec_tables.h", "ctltbl.h", "env.h", "format.h", "status.h", "trace.h",
                             "types.h", "values.h", "zurbase.h", "zurcore.h"}) {
    std::ifstream in(std::string(ZURBASE_INCLUDE_DIR) + "/zurbase/" + header);
    ASSERT_TRUE(in) << header;
    std::stringstream text;
    text << in.rdbuf();
    std::string code = std::regex_replace(std::regex_replace(text.str(), comments, " "), parameters, "$1");
    for (std::sregex_iterator it(code.begin(), code.end(), upper), end; it != end; ++it, ++names)
      EXPECT_TRUE(zurasn1::libraryDeclares(it->str())) << it->str() << " of " << header;
  }
  EXPECT_GT(names, 500);
}

}  // namespace
}  // namespace zurtest
