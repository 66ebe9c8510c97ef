// The BER encoding of the personnel record of X.690 Annex A.
#ifndef ZURBASE_EXAMPLES_PERSONNEL_ENCODING_H
#define ZURBASE_EXAMPLES_PERSONNEL_ENCODING_H

#include <span>

namespace demo {

std::span<const unsigned char> personnelEncoding();

}  // namespace demo

#endif
