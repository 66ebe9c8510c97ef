// The benchmark's value as zurbase's printer reads it, and its control table.
#ifndef ZURBASE_BENCH_ZUR_VALUE_H
#define ZURBASE_BENCH_ZUR_VALUE_H

#include <memory>
#include <string>
#include <vector>

#include "bench/bench_value.h"
#include "zurbase/zurbase.h"

namespace bench {

struct ZurRecord {
  int32_t id;
  struct {
    uint32_t length;
    const char *chars;
  } name;
  uint8_t flag;
  struct {
    uint32_t length;
    unsigned char octets[kDataOctets];
  } data;
  struct {
    uint32_t count;
    int32_t elements[kSubElements];
  } sub;
};

struct ZurRecords {
  uint32_t count;
  ZurRecord *elements;
};

// Owns the records and the texts they point to.
class ZurValue {
 public:
  ZurValue();
  ZurRecords *root() { return &root_; }

 private:
  std::vector<ZurRecord> records_;
  std::vector<std::string> names_;
  ZurRecords root_{};
};

const CtlTbl &zurBenchTable();
inline constexpr int32_t kRecordsPdu = 1;

}  // namespace bench

#endif
