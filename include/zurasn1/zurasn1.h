// zurasn1: the ASN.1 module compiler as a library. It reads module files and
// makes, for the target it runs on, the value printer's control table and
// zurcore's codec tables (zurbase/codec_tables.h), or writes them as C for an
// application to compile (docs/zurasn1.md).
#ifndef ZURASN1_ZURASN1_H
#define ZURASN1_ZURASN1_H

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "zurbase/codec_tables.h"

namespace zurasn1 {

// A module's text with the name diagnostics give its file.
struct ModuleText {
  std::string path;
  std::string text;
};

// An OBJECT IDENTIFIER value assignment of a compiled module.
struct OidName {
  std::string name;  // the value reference, e.g. "id-at-commonName"
  std::string module;
  std::vector<uint64_t> arcs;
};

// The modules given together, compiled. Owns its tables; they stay valid and
// unchanged for its lifetime.
class Compilation {
 public:
  // Reads a file (a UTF-8 name) whole into text; answers an empty string, or
  // why it cannot be read.
  using FileReader = std::string (*)(const std::string &path, std::string &text);

  // Reads and compiles the module files together. Diagnostics, errors and
  // warnings, go to `diagnostics` as "file:line:col: error: what" lines.
  // Null when any error was reported. The files are read by `read`, or
  // through std::filesystem when it is null: a program that opens files its
  // own way (long names on Windows, devices refused) hands its reader.
  static std::unique_ptr<Compilation> compileFiles(const std::vector<std::string> &paths,
                                                   std::ostream &diagnostics, FileReader read = nullptr);
  static std::unique_ptr<Compilation> compile(const std::vector<ModuleText> &modules,
                                              std::ostream &diagnostics);
  ~Compilation();
  Compilation(const Compilation &) = delete;
  Compilation &operator=(const Compilation &) = delete;

  // The control table with the codec tables behind it, for Env.ctlTbl.
  const ZurTables &tables() const;
  const CtlTbl *ctlTbl() const { return &tables().ctl; }

  std::size_t moduleCount() const;
  std::size_t pduCount() const;
  // The PDU number (from 1) of a type assignment, named "Type" or
  // "Module.Type"; 0 when none has that name, or when the name is ambiguous
  // without its module.
  int pduNumber(std::string_view typeName) const;
  // Why pduNumber gave 0 for that name, as a diagnostic line to show.
  std::string pduProblem(std::string_view typeName) const;

  // Values of PDU `pdu` in value notation: value assignments ("name Type ::=
  // value", one after another, no module around them) that name the
  // modules' types and values as if each module's were their own. A
  // compilation of the same modules (the same PDU numbers) holding them laid
  // out as the codec takes them, with its own tables to go with them; null
  // after an error, of which only those in `input` go to `diagnostics` (the
  // modules' own were said when they compiled).
  std::unique_ptr<Compilation> readValues(const ModuleText &input, int pdu, std::ostream &diagnostics) const;
  // The values readValues read, in the input's order.
  const std::vector<const void *> &values() const;

  // The OBJECT IDENTIFIER values the modules assign, in module order.
  const std::vector<OidName> &oidNames() const;

  // Writes a file (a UTF-8 name) whole; answers an empty string, or why it
  // cannot be written.
  using FileWriter = std::string (*)(const std::string &path, const std::string &text);

  // Writes <module>.h for every module and the first one's <module>.c into
  // `directory`. A `prefix` (a C identifier's start) goes in front of the
  // files' names and the names they declare (docs/zurasn1.md). False, with
  // the reason on `diagnostics`, when a file cannot be written. The files
  // are written by `write`, or through std::filesystem when it is null, as
  // compileFiles reads them.
  bool writeC(const std::string &directory, std::ostream &diagnostics, const std::string &prefix = "",
              FileWriter write = nullptr) const;

 private:
  struct Impl;
  explicit Compilation(std::unique_ptr<Impl> impl);
  static std::unique_ptr<Compilation> build(const std::vector<ModuleText> &modules, const ModuleText *input,
                                            int pdu, std::ostream &diagnostics);
  std::unique_ptr<Impl> impl_;
};

// "zurasn1 <version>"
std::string_view version();

}  // namespace zurasn1

#endif
