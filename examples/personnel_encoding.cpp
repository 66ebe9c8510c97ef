#include "personnel_encoding.h"

namespace demo {

// PersonnelRecord ::= [APPLICATION 0] IMPLICIT SET { Name, title [0] VisibleString,
//   number EmployeeNumber, dateOfHire [1] Date, nameOfSpouse [2] Name,
//   children [3] IMPLICIT SEQUENCE OF ChildInformation }
// for John P Smith, Director, 51, hired 19710917, married to Mary T Smith,
// children Ralph T Smith (19571111) and Susan B Jones (19590717).
std::span<const unsigned char> personnelEncoding() {
  static constexpr unsigned char octets[] = {
      0x60, 0x81, 0x85,                                                  // PersonnelRecord
      0x61, 0x10,                                                        //   Name
      0x1A, 0x04, 'J', 'o', 'h', 'n',                                    //
      0x1A, 0x01, 'P',                                                   //
      0x1A, 0x05, 'S', 'm', 'i', 't', 'h',                               //
      0xA0, 0x0A, 0x1A, 0x08, 'D', 'i', 'r', 'e', 'c', 't', 'o', 'r',    //   title
      0x42, 0x01, 0x33,                                                  //   number
      0xA1, 0x0A, 0x43, 0x08, '1', '9', '7', '1', '0', '9', '1', '7',    //   dateOfHire
      0xA2, 0x12,                                                        //   nameOfSpouse
      0x61, 0x10,                                                        //
      0x1A, 0x04, 'M', 'a', 'r', 'y',                                    //
      0x1A, 0x01, 'T',                                                   //
      0x1A, 0x05, 'S', 'm', 'i', 't', 'h',                               //
      0xA3, 0x42,                                                        //   children
      0x31, 0x1F,                                                        //
      0x61, 0x11,                                                        //
      0x1A, 0x05, 'R', 'a', 'l', 'p', 'h',                               //
      0x1A, 0x01, 'T',                                                   //
      0x1A, 0x05, 'S', 'm', 'i', 't', 'h',                               //
      0xA0, 0x0A, 0x43, 0x08, '1', '9', '5', '7', '1', '1', '1', '1',    //
      0x31, 0x1F,                                                        //
      0x61, 0x11,                                                        //
      0x1A, 0x05, 'S', 'u', 's', 'a', 'n',                               //
      0x1A, 0x01, 'B',                                                   //
      0x1A, 0x05, 'J', 'o', 'n', 'e', 's',                               //
      0xA0, 0x0A, 0x43, 0x08, '1', '9', '5', '9', '0', '7', '1', '7'};
  static_assert(sizeof octets == 136);
  return octets;
}

}  // namespace demo
