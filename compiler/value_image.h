// Values that the tables carry (DEFAULT values, the ids of open types'
// objects) laid out as values of their types: an Image says what each part
// holds; the tables stage puts it into memory, the C writer writes it as an
// initializer. Both read only the Image, so they hold the same value.
#ifndef ZURASN1_VALUE_IMAGE_H
#define ZURASN1_VALUE_IMAGE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "compiler/back_end_problem.h"
#include "compiler/layout.h"
#include "zurbase/values.h"

namespace zurasn1 {

struct Image {
  CtlType type = 0;
  int64_t integer = 0;          // BOOLEAN (0, 1), INTEGER, ENUMERATED
  double real = 0;              // REAL
  // BIT STRING (bits), OCTET STRING and huge INTEGER (octets), 8-bit
  // characters (octets, NUL behind them), OBJECT IDENTIFIER (contents octets)
  std::vector<uint8_t> octets;
  uint32_t bitCount = 0;        // BIT STRING
  std::vector<uint32_t> units;  // BMPString, UniversalString characters; RELATIVE-OID arcs
  TimeValue time{};
  // SEQUENCE and SET: one per member, an empty Image (type 0, `absent`) for
  // an absent member without DEFAULT; CHOICE: the chosen alternative.
  std::vector<Image> members;
  std::vector<bool> present;    // SEQUENCE, SET: the presence bit of each member
  bool absent = false;
  uint32_t choice = 0;          // CHOICE: the alternative from 1
  std::vector<Image> elements;  // SEQUENCE OF, SET OF
};

// The image of `value` as a value of control-table type `type`; null after
// a problem (a value the layout cannot hold), reported at `pos`.
std::optional<Image> makeImage(const Model &model, const Layout &layout, CtlType type,
                               const Value &value, const SourcePos &pos, Problems &problems);

// Holds images laid out in memory for as long as the tables live.
class ImageStore {
 public:
  // The address of the image's value, laid out as its type says.
  const void *place(const Layout &layout, const Image &image);

 private:
  unsigned char *block(std::size_t size);
  void write(const Layout &layout, const Image &image, unsigned char *at);
  std::vector<std::unique_ptr<std::max_align_t[]>> blocks_;
};

// OBJECT IDENTIFIER contents octets of the arcs; null when the first two
// arcs cannot begin an OBJECT IDENTIFIER.
std::optional<std::vector<uint8_t>> oidContents(const std::vector<uint64_t> &arcs);

}  // namespace zurasn1

#endif
