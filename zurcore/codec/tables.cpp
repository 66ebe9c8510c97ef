// Opening compiled tables: only zurasn1's tables of this version carry what
// the codecs read beyond the control table.
#include "tables.h"

#include "rows.h"

namespace zurcore {

int openSchema(const CtlTbl *ctl, Schema &schema) {
  if (ctl == nullptr) return ROW_NULL_TABLE;
  const ZurCodecTbl *codec = zurCodecTables(ctl);
  if (codec == nullptr || codec->types == nullptr) return ROW_TABLES_CORRUPTED;
  if (zurTablesVersion(ctl) != ZUR_TABLES_VERSION) return ROW_TABLES_VERSION;
  schema.ctl = ctl;
  schema.codec = codec;
  schema.descs = ctl->types;
  schema.fields = ctl->fields;
  schema.types = codec->types;
  schema.components = codec->components;
  schema.allTags = codec->tags;
  return 0;
}

const char *typeCaption(const Schema &schema, uint32_t type) {
  if (const char *name = schema.desc(type).name) return name;
  switch (schema.type(type).builtin) {
    case ZB_BOOLEAN: return "BOOLEAN";
    case ZB_INTEGER: return "INTEGER";
    case ZB_BIT_STRING: return "BIT STRING";
    case ZB_OCTET_STRING: return "OCTET STRING";
    case ZB_NULL: return "NULL";
    case ZB_OBJECT_IDENTIFIER: return "OBJECT IDENTIFIER";
    case ZB_OBJECT_DESCRIPTOR: return "ObjectDescriptor";
    case ZB_REAL: return "REAL";
    case ZB_ENUMERATED: return "ENUMERATED";
    case ZB_UTF8_STRING: return "UTF8String";
    case ZB_RELATIVE_OID: return "RELATIVE-OID";
    case ZB_SEQUENCE: return "SEQUENCE";
    case ZB_SET: return "SET";
    case ZB_NUMERIC_STRING: return "NumericString";
    case ZB_PRINTABLE_STRING: return "PrintableString";
    case ZB_TELETEX_STRING: return "TeletexString";
    case ZB_VIDEOTEX_STRING: return "VideotexString";
    case ZB_IA5_STRING: return "IA5String";
    case ZB_UTC_TIME: return "UTCTime";
    case ZB_GENERALIZED_TIME: return "GeneralizedTime";
    case ZB_GRAPHIC_STRING: return "GraphicString";
    case ZB_VISIBLE_STRING: return "VisibleString";
    case ZB_GENERAL_STRING: return "GeneralString";
    case ZB_UNIVERSAL_STRING: return "UniversalString";
    case ZB_BMP_STRING: return "BMPString";
    case ZB_CHOICE: return "CHOICE";
    case ZB_SEQUENCE_OF: return "SEQUENCE OF";
    case ZB_SET_OF: return "SET OF";
    case ZB_OPEN_TYPE: return "ANY";
    default: return nullptr;
  }
}

}  // namespace zurcore
