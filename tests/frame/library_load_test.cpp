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

TEST(LoadedLibrary, TableIsFilledAtLoadIsTheOnlyExportAndReachesTheHook) {
  void *core = openLibrary(ZURCORE_LIB_PATH);
  void *base = openLibrary(ZURBASE_LIB_PATH);
  ASSERT_NE(core, nullptr);
  ASSERT_NE(base, nullptr);
  const auto *table = static_cast<const ApiWord *>(symbol(base, "apiTbl"));
  ASSERT_NE(table, nullptr);
  for (int i = 0; i < API_SLOT_COUNT; ++i) EXPECT_NE(table[i], 0u) << i;
  EXPECT_EQ(table[API_SLOT_COUNT], 0u);
  for (const char *hidden : {"zurbaseStart", "_ZN3zur12zurbaseStartEi", "apiPrintHex",
                             "_ZN3zur11apiPrintHexEP3EnvPKvi", "regListHead"})
    EXPECT_EQ(symbol(base, hidden), nullptr) << hidden;

  auto create = reinterpret_cast<Env *(*)(const ApiWord *)>(symbol(core, "zurcoreCreateEnv"));
  auto destroy = reinterpret_cast<void (*)(Env *)>(symbol(core, "zurcoreDestroyEnv"));
  auto setHook =
      reinterpret_cast<void (*)(Env *, PrintHookFn)>(symbol(core, "zurcoreSetPrintHook"));
  ASSERT_TRUE(create && destroy && setHook);
  Env *env = create(table);
  ASSERT_NE(env, nullptr);
  setHook(env, collect);
  const unsigned char octets[] = {0x30, 0x03, 0x02, 0x01, 0x05};
  reinterpret_cast<ApiPrintHexFn>(table[SLOT_PRINT_HEX])(env, octets, 5);
  EXPECT_EQ(hexText, "30030201 05\n");
  destroy(env);
}

}  // namespace
