// Demo section: decoded values printed in value notation through apiPrintPdu.
#include "demo.h"
#include "personnel_values.h"

namespace demo {
namespace {

VisibleStr text(const char *s) {
  uint32_t n = 0;
  while (s[n] != '\0') ++n;
  return VisibleStr{n, s};
}

Name name(const char *given, const char *initial, const char *family) {
  return Name{text(given), text(initial), text(family)};
}

// The personnel record of the X.690 example, as a decoder leaves it.
struct PersonnelExample {
  ChildNode susan{nullptr, {name("Susan", "B", "Jones"), text("19590717")}};
  ChildNode ralph{&susan, {name("Ralph", "T", "Smith"), text("19571111")}};
  PersonnelRecord record{0x80,
                         name("John", "P", "Smith"),
                         text("Director"),
                         51,
                         text("19710917"),
                         name("Mary", "T", "Smith"),
                         &ralph};
};

void printPdu(Env *env, int32_t pdu, void *value) {
  int rc = entry<ApiPrintPduFn>(SLOT_PRINT_PDU)(env, pdu, value);
  std::fflush(stdout);
  if (rc != 0) std::printf("(apiPrintPdu answered %d)\n", rc);
}

}  // namespace

void printPersonnelRecord(Env *env) {
  env->ctlTbl = &personnelTable();
  PersonnelExample personnel;
  printPdu(env, PDU_PERSONNEL_RECORD, &personnel.record);
}

void showValues() {
  Env *env = zurcoreCreateEnv(apiTbl);
  env->ctlTbl = &personnelTable();

  heading("a personnel record in value notation");
  printPersonnelRecord(env);

  heading("reals, identifiers, times, bits, segments and deferred data");
  static const unsigned char oid[] = {0x2B, 0x06, 0x01, 0x04, 0x01, 0x82, 0x37};
  static const uint16_t label[] = {'Z', 0x00FC, 'r', 'i', 'c', 'h'};
  TextSegment note2{nullptr, 17, "second segment..."};
  TextSegment note1{&note2, 13, "first segment"};
  OctetSegment frame2{nullptr, 3, {0xCA, 0xFE, 0x01}};
  OctetSegment frame1{&frame2, 4, {0x00, 0x01, 0x02, 0x03}};
  auto makeHandle = entry<ApiMakeDeferredHandleFn>(SLOT_MAKE_DEFERRED_HANDLE);
  ApiWord archive =
      makeHandle(env, ZURCORE_DEFER_TMP_FILE, reinterpret_cast<ApiWord>("/tmp/zur-archive.bin"));

  Measurement m{};
  m.presence = 0xC0;  // calibration and archive present
  m.sensor = ArcList{5, {1, 3, 6, 1, 4}};
  m.sensorOid = OctetsByAddress{sizeof oid, oid};
  m.taken = TimeValue{26, 12, 6, 3, 45, 0, 0, 60, 0};
  m.received = TimeValue{2026, 12, 6, 2, 45, 1, 125, 0, 1};
  m.reading = -273.15;
  m.calibration.form = 1;
  m.calibration.value.text = "1.0E-3";
  m.status = BitsInInteger{0xA5F0};
  m.rawFrames = &frame1;
  m.notes = &note1;
  m.label = WideChars{6, label};
  m.archive = OctetsByAddress{4096, reinterpret_cast<const unsigned char *>(archive)};
  printPdu(env, PDU_MEASUREMENT, &m);

  heading("the same value cut at a print limit of 2");
  env->printLimit = 2;
  printPdu(env, PDU_MEASUREMENT, &m);
  zurcoreDestroyEnv(env);
}

}  // namespace demo
