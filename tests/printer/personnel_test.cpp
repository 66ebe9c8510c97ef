// The demo's compiler-style control table printed through the walker.
#include <gtest/gtest.h>

#include <cstring>

#include "examples/personnel_values.h"
#include "tests/printer/print_harness.h"

namespace zurtest {
namespace {

demo::VisibleStr text(const char *s) {
  return demo::VisibleStr{static_cast<uint32_t>(std::strlen(s)), s};
}

TEST(PersonnelTable, PrintsTheRecordInValueNotation) {
  TestEnv env;
  demo::ChildNode child{nullptr, {{text("Ralph"), text("T"), text("Smith")}, text("19571111")}};
  demo::PersonnelRecord r{0x80,   {text("John"), text("P"), text("Smith")}, text("Director"),
                          51,     text("19710917"), {text("Mary"), text("T"), text("Smith")},
                          &child};
  const CtlTbl *ctl = &demo::personnelTable();
  EXPECT_EQ(printPdu(env, ctl, demo::PDU_PERSONNEL_RECORD, &r),
            "value PersonnelRecord ::= \n{\n"
            "  name \n  {\n    givenName \"John\",\n    initial \"P\",\n"
            "    familyName \"Smith\"\n  },\n"
            "  title \"Director\",\n  number 51,\n  dateOfHire \"19710917\",\n"
            "  nameOfSpouse \n  {\n    givenName \"Mary\",\n    initial \"T\",\n"
            "    familyName \"Smith\"\n  },\n"
            "  children \n  {\n    {\n      name \n      {\n        givenName \"Ralph\",\n"
            "        initial \"T\",\n        familyName \"Smith\"\n      },\n"
            "      dateOfBirth \"19571111\"\n    }\n  }\n}\n");
}

TEST(PersonnelTable, PrintsTheMeasurement) {
  TestEnv env;
  static const unsigned char oid[] = {0x2B, 0x06, 0x01};
  static const uint16_t label[] = {'Z', 0x00FC};
  demo::TextSegment note{nullptr, 2, "ok"};
  demo::OctetSegment frame2{nullptr, 1, {0xFE}};
  demo::OctetSegment frame1{&frame2, 2, {0x00, 0x01}};
  demo::Measurement m{};
  m.presence = 0x80;
  m.sensor = demo::ArcList{3, {1, 3, 6}};
  m.sensorOid = demo::OctetsByAddress{sizeof oid, oid};
  m.taken = TimeValue{26, 12, 6, 3, 45, 0, 0, 60, 0};
  m.received = TimeValue{2026, 12, 6, 2, 45, 1, 125, 0, 1};
  m.reading = -273.4;
  m.calibration.value.binary = 0.001;
  m.status = demo::BitsInInteger{0xA5F0};
  m.rawFrames = &frame1;
  m.notes = &note;
  m.label = demo::WideChars{2, label};
  EXPECT_EQ(printPdu(env, &demo::personnelTable(), demo::PDU_MEASUREMENT, &m),
            "value Measurement ::= \n{\n"
            "  sensor { 1 3 6 },\n  sensorOid { 1 3 6 1 },\n"
            "  taken \"261206034500+0100\",\n  received \"20261206024501.125Z\",\n"
            "  reading { -2.734, 10, 2 },\n  calibration { 1.000, 10, -3 },\n"
            "  status 'A5F0'H,\n  rawFrames \n    '0001'H\n    'FE'H,\n"
            "  notes \n    \"ok\",\n  label '005A00FC'H\n}\n");
}

}  // namespace
}  // namespace zurtest
