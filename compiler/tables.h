// The tables stage: the control table the value printer reads and zurcore's
// codec tables (zurbase/codec_tables.h), in memory, from the model and its
// layout.
#ifndef ZURASN1_TABLES_H
#define ZURASN1_TABLES_H

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "compiler/layout.h"
#include "compiler/value_image.h"
#include "zurbase/codec_tables.h"

namespace zurasn1 {

// Owns every array the two tables point to; neither copied nor moved, so
// `tables` stays valid for its lifetime.
struct Tables {
  Tables() = default;
  Tables(const Tables &) = delete;
  Tables &operator=(const Tables &) = delete;

  std::vector<uint16_t> pduTypes;
  std::vector<TypeDesc> types;
  std::vector<FieldDesc> fields;
  // The type and member each field describes.
  std::vector<std::pair<CtlType, uint32_t>> fieldOwners;
  std::vector<ApiWord> info;            // [0] is 0; names from 1
  std::vector<std::string> infoNames;   // the text of each name in `info`

  std::vector<ZurType> codecTypes;
  std::vector<ZurComponent> components;
  std::vector<ZurTag> tags;
  std::vector<ZurRange> ranges;
  std::vector<ZurSize> sizes;
  std::vector<ZurAlphabet> alphabets;
  std::vector<uint32_t> charRanges;
  std::vector<ZurEnum> enums;
  std::vector<int32_t> enumValues;
  std::vector<ZurNamed> named;
  std::vector<uint16_t> order;
  std::vector<const void *> defaults;   // [0] is null
  std::vector<ZurOpenType> openTypes;
  std::vector<uint16_t> paths;
  std::vector<ZurObject> objects;
  std::vector<ZurPresence> presences;

  // What the C writer writes for the values: defaultImages[i] is the value
  // at defaults[i] (from 1), objectIds[i] the id of objects[i].
  std::vector<Image> defaultImages;
  std::vector<Image> objectIds;

  std::deque<std::string> strings;      // type names and named numbers' names
  ImageStore images;
  ZurCodecTbl codec{};
  ZurTables tables{};
};

// Null after a problem (an index beyond a table's 16-bit fields, a value
// that cannot be laid out), which is added to `problems`.
std::unique_ptr<Tables> buildTables(const Model &model, const Layout &layout, Problems &problems);

}  // namespace zurasn1

#endif
