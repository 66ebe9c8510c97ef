// libFuzzer target: the module compiler's front end on arbitrary text.
// Whatever the input, it ends, reports an error or gives a model, and a
// model refers only to its own types.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "compiler/front_end.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const std::vector<zurasn1::ModuleText> modules{
      {"fuzz.asn1", std::string(reinterpret_cast<const char *>(data), size)}};
  zurasn1::Diagnostics diagnostics;
  const std::optional<zurasn1::Model> model = zurasn1::buildModel(modules, diagnostics);
  if (model.has_value() == diagnostics.hasErrors()) __builtin_trap();
  if (!model) return 0;
  const std::size_t count = model->types.size();
  for (const zurasn1::Type &type : model->types) {
    for (const zurasn1::Component &component : type.components)
      if (component.type >= count) __builtin_trap();
    if (type.link)
      for (const auto &object : type.link->objects)
        if (object.type >= count) __builtin_trap();
  }
  for (const zurasn1::Pdu &pdu : model->pdus)
    if (pdu.type >= count) __builtin_trap();
  return 0;
}
