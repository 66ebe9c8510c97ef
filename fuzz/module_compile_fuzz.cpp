// libFuzzer target: the whole module compiler on arbitrary text. Whatever
// model the front end gives, the back end lays it out, makes its tables or
// refuses it with a problem, and writes its C; every index the tables hold
// lies inside them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/c_writer.h"
#include "compiler/front_end.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::vector<zurasn1::ModuleText> modules{
      {"fuzz.asn1", std::string(reinterpret_cast<const char *>(data), size)}};
  zurasn1::Diagnostics diagnostics;
  const std::optional<zurasn1::Model> model = zurasn1::buildModel(modules, diagnostics);
  if (!model) return 0;
  zurasn1::Problems problems;
  const std::optional<zurasn1::Layout> layout = zurasn1::layOut(*model, problems);
  if (!layout) return problems.empty() ? (__builtin_trap(), 0) : 0;
  const std::unique_ptr<zurasn1::Tables> tables = zurasn1::buildTables(*model, *layout, problems);
  if (!tables) return problems.empty() ? (__builtin_trap(), 0) : 0;
  const std::size_t types = tables->types.size(), fields = tables->fields.size();
  for (const FieldDesc &f : tables->fields)
    if (f.type >= types || f.nameIdx >= tables->info.size()) __builtin_trap();
  for (const TypeDesc &t : tables->types) {
    const bool array = t.kind == KIND_SEQOF_PTR_ARRAY || t.kind == KIND_SETOF_PTR_ARRAY;
    const bool components = t.kind == KIND_SEQUENCE || t.kind == KIND_SET || t.kind == KIND_SEQUENCE_EXT ||
                            t.kind == KIND_SET_EXT || t.kind == KIND_CHOICE;
    if ((array && t.ref >= types) || (components && t.ref + std::size_t(t.count) > fields)) __builtin_trap();
  }
  for (uint16_t p : tables->pduTypes)
    if (p >= types) __builtin_trap();
  const std::vector<zurasn1::GeneratedFile> files = zurasn1::generateC(*model, *layout, *tables);
  if (files.size() != model->modules.size() + 1) __builtin_trap();
  return 0;
}
