// Erlang's asn1ct as an oracle: the tags of every type and component of
// modules it compiles agree with the model's, class and number outermost
// first (IMPLICIT, EXPLICIT and AUTOMATIC TAGS, COMPONENTS OF, open types).
// Host only: the test runs Erlang's escript.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#ifdef ZURASN1_ERLANG_TAGS
#include <unistd.h>
#endif

#include "tests/compiler/model_text.h"

namespace {

using namespace zurasn1;

#ifdef ZURASN1_ERLANG_TAGS
std::string tagsText(const Type &type) {
  static const char *const classes[] = {"U", "A", "C", "P"};
  std::string out;
  for (const Tag &tag : type.tags)
    out += "[" + std::string(classes[static_cast<int>(tag.cls)]) + std::to_string(tag.number) + "]";
  return out;
}
#endif

TEST(CompilerPeers, TagsAgreeWithErlang) {
#ifndef ZURASN1_ERLANG_TAGS
  GTEST_SKIP() << "Erlang runs on the host only";
#else
  if (std::system("command -v escript >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "escript is not installed (erlang-asn1; scripts/install-deps installs it)";
  std::vector<std::string> files;
  for (const char *own : {"personnel_unconstrained", "personnel_constrained", "personnel_extensible",
                          "information_objects", "selections"})
    files.push_back(std::string(ZURBASE_TEST_DATA) + "/asn1/" + own + ".asn1");
  for (const auto &[application, module] : {std::pair{"public_key", "PKCS-8"},
                                           {"public_key", "PKIX1Algorithms88"}, {"eldap", "ELDAPv3"}})
    files.push_back(zurtest::erlangModule(application, module));
  if (files.back().empty()) GTEST_SKIP() << "erlang-src is not installed";

  const std::filesystem::path out =
      std::filesystem::temp_directory_path() / ("zurasn1-erlang-tags-" + std::to_string(getpid()));
  std::filesystem::remove_all(out);
  std::filesystem::create_directories(out);
  std::string command = "escript " ZURASN1_ERLANG_TAGS " " + out.string();
  for (const std::string &file : files) command += " " + file;
  FILE *pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::set<std::string> erlang;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    text.pop_back();
    // asn1ct's own types beside the modules' ones
    const std::string name = text.substr(text.find('.') + 1);
    if (name.rfind("EXTERNAL", 0) != 0 && name.rfind("EMBEDDED PDV", 0) != 0 &&
        name.rfind("CHARACTER STRING", 0) != 0)
      erlang.insert(text);
  }
  ASSERT_EQ(pclose(pipe), 0) << command;
  std::filesystem::remove_all(out);
  std::set<std::string> ours;
  for (const std::string &file : files) {
    const zurtest::Compiled compiled = zurtest::compile(zurtest::readModules({file}));
    ASSERT_TRUE(compiled.model) << compiled.diagnostics;
    const Model &model = *compiled.model;
    const std::string base = std::filesystem::path(file).stem().string();
    for (const Pdu &pdu : model.pdus) {
      const Type &type = model.types[pdu.type];
      ours.insert(base + "." + pdu.name + " " + tagsText(type));
      // asn1ct lists the components of types written in their assignment,
      // not of those that tag or rename another.
      const std::string prefix = base + "." + pdu.name + ".";
      const auto next = erlang.lower_bound(prefix);
      if (next != erlang.end() && next->rfind(prefix, 0) == 0)
        for (const Component &c : type.components)
          ours.insert(base + "." + pdu.name + "." + c.name + " " + tagsText(model.types[c.type]));
    }
  }

  auto joined = [](const std::set<std::string> &lines) {
    std::string text;
    for (const std::string &l : lines) text += l + "\n";
    return text;
  };
  EXPECT_GT(erlang.size(), 250u);
  EXPECT_EQ(joined(ours), joined(erlang));
#endif
}

}  // namespace
