// The shipped shared library loaded the way an application loads it: apiTbl
// is found by name, is filled at load, and works with an Env of the stand-in.
#include <gtest/gtest.h>

#include <string>

#include "zurbase/zurcore.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

#ifdef _WIN32
std::string windowsPath(std::string p) {
  for (char &c : p)
    if (c == '/') c = '\\';
  return p[0] == '\\' ? "Z:" + p : p;
}
void *openLibrary(const char *path) {
  return LoadLibraryExA(windowsPath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
void *symbol(void *lib, const char *name) {
  return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(lib), name));
}
#else
void *openLibrary(const char *path) { return dlopen(path, RTLD_NOW); }
void *symbol(void *lib, const char *name) { return dlsym(lib, name); }
#endif

std::string hexText;
int collect(Env *, const char *format, ApiWord w0, ApiWord, ApiWord, ApiWord, ApiWord, ApiWord,
            ApiWord, ApiWord, ApiWord, ApiWord) {
  // apiPrintHex prints one character per call with "%c".
  EXPECT_STREQ(format, "%c");
  hexText += static_cast<char>(w0);
  return 1;
}

class LoadedLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    core_ = openLibrary(ZURCORE_LIB_PATH);
    base_ = openLibrary(ZURBASE_LIB_PATH);
    ASSERT_NE(core_, nullptr);
    ASSERT_NE(base_, nullptr);
    table_ = static_cast<ApiWord *>(symbol(base_, "apiTbl"));
    ASSERT_NE(table_, nullptr);
  }
  void *core_ = nullptr;
  void *base_ = nullptr;
  ApiWord *table_ = nullptr;
};

TEST_F(LoadedLibrary, TableIsFilledAtLoadAndIsTheOnlyExport) {
  for (int i = 0; i < API_SLOT_COUNT; ++i) EXPECT_NE(table_[i], 0u) << i;
  EXPECT_EQ(table_[API_SLOT_COUNT], 0u);
  for (const char *hidden : {"zurbaseStart", "_ZN3zur12zurbaseStartEi", "apiPrintHex",
                             "_ZN3zur11apiPrintHexEP3EnvPKvi", "regListHead"})
    EXPECT_EQ(symbol(base_, hidden), nullptr) << hidden;
}

TEST_F(LoadedLibrary, HexDumpThroughTheTableReachesTheHook) {
  auto create = reinterpret_cast<Env *(*)(const ApiWord *)>(symbol(core_, "zurcoreCreateEnv"));
  auto destroy = reinterpret_cast<void (*)(Env *)>(symbol(core_, "zurcoreDestroyEnv"));
  auto setHook =
      reinterpret_cast<void (*)(Env *, PrintHookFn)>(symbol(core_, "zurcoreSetPrintHook"));
  ASSERT_TRUE(create && destroy && setHook);
  Env *env = create(table_);
  ASSERT_NE(env, nullptr);
  setHook(env, collect);
  hexText.clear();
  const unsigned char octets[] = {0x30, 0x03, 0x02, 0x01, 0x05};
  reinterpret_cast<ApiPrintHexFn>(table_[SLOT_PRINT_HEX])(env, octets, 5);
  EXPECT_EQ(hexText, "30030201 05\n");
  destroy(env);
}

}  // namespace
