// A copy of compiled tables without identifier octets, in their types and
// their components, as tables of earlier versions may hold them: the BER
// decoder then takes none of its shortcuts for the usual headers, and what
// it tells of an input is the general way's answer that the shortcuts must
// give too.
#ifndef ZURBASE_TESTS_SUPPORT_GENERAL_TABLES_H
#define ZURBASE_TESTS_SUPPORT_GENERAL_TABLES_H

#include <vector>

#include "zurbase/codec_tables.h"

namespace zurtest {

struct GeneralTables {
  explicit GeneralTables(const ZurTables &t)
      : tables(t), codec(*t.codec), types(t.codec->types, t.codec->types + t.codec->typeCount),
        components(t.codec->components, t.codec->components + t.codec->componentCount) {
    for (ZurType &z : types) z.identifier = 0;
    for (ZurComponent &z : components) z.identifier = 0;
    codec.types = types.data();
    codec.components = components.data();
    tables.codec = &codec;
  }
  GeneralTables(const GeneralTables &) = delete;
  GeneralTables &operator=(const GeneralTables &) = delete;
  const CtlTbl *ctlTbl() const { return &tables.ctl; }

  ZurTables tables;
  ZurCodecTbl codec;
  std::vector<ZurType> types;
  std::vector<ZurComponent> components;
};

}  // namespace zurtest

#endif
