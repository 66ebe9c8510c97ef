// The names that the C writer must not give away: those C and C++ reserve,
// and those that the library's headers, and the standard headers they
// include, declare.
#ifndef ZURASN1_C_RESERVED_H
#define ZURASN1_C_RESERVED_H

#include <string>

namespace zurasn1 {

// A keyword, or a lower-case macro, that a member name must not be.
bool isReservedMember(const std::string &name);

// A name of upper case that the included headers declare or use.
bool libraryDeclares(const std::string &name);

}  // namespace zurasn1

#endif
