// A copy of compiled tables without identifier octets, in their types and
// their components, and without presence records: the BER decoder then
// takes none of its shortcuts for the usual headers, nor the PER encoder
// for presence bits, and what they make of a value is the general way's
// answer that the shortcuts must give too.
#ifndef ZURBASE_TESTS_SUPPORT_GENERAL_TABLES_H
#define ZURBASE_TESTS_SUPPORT_GENERAL_TABLES_H

#include <vector>

#include "zurbase/codec_tables.h"

namespace zurtest {

struct GeneralTables {
  explicit GeneralTables(const ZurTables &t)
      : tables(t), codec(*t.codec), types(t.codec->types, t.codec->types + t.codec->typeCount),
        components(t.codec->components, t.codec->components + t.codec->componentCount) {
    for (ZurType &z : types) {
      z.identifier = 0;
      z.presence = 0;
    }
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
