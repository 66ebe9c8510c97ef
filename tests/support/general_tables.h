// A copy of compiled tables without the identifier octets of their types:
// the BER decoder, traced, then takes none of its shortcuts for the usual
// headers, and what it tells of an input is the general way's answer that
// the shortcuts must give too.
#ifndef ZURBASE_TESTS_SUPPORT_GENERAL_TABLES_H
#define ZURBASE_TESTS_SUPPORT_GENERAL_TABLES_H

#include <vector>

#include "zurbase/codec_tables.h"

namespace zurtest {

struct GeneralTables {
  explicit GeneralTables(const ZurTables &t)
      : tables(t), codec(*t.codec), types(t.codec->types, t.codec->types + t.codec->typeCount) {
    for (ZurType &z : types) z.identifier = 0;
    codec.types = types.data();
    tables.codec = &codec;
  }
  GeneralTables(const GeneralTables &) = delete;
  GeneralTables &operator=(const GeneralTables &) = delete;
  const CtlTbl *ctlTbl() const { return &tables.ctl; }

  ZurTables tables;
  ZurCodecTbl codec;
  std::vector<ZurType> types;
};

}  // namespace zurtest

#endif
