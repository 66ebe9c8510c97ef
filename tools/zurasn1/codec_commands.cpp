// decode, convert and encode: values of compiled modules read and written
// through zurbase's entry points and zurcore's codecs, as an application
// does.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>

#include "commands.h"
#include "mapped_file.h"
#include "output_file.h"
#include "pem.h"
#include "zurasn1/zurasn1.h"
#include "zurbase/zurbase.h"
#include "zurbase/zurcore.h"

namespace zurasn1tool {
namespace {

// Encoding rules by name: Erlang's names for the PER variants, per ALIGNED
// and uper UNALIGNED.
struct RulesName {
  const char *name;
  int32_t code;
};
constexpr RulesName kRules[] = {
    {"ber", RULES_BER}, {"der", RULES_DER}, {"per", RULES_PER_ALIGNED}, {"uper", RULES_PER}};

template <class Fn>
Fn entry(int slot) {
  return reinterpret_cast<Fn>(apiTbl[slot]);
}

bool rulesCode(const std::string &name, int32_t &code) {
  for (const RulesName &r : kRules)
    if (name == r.name) {
      code = r.code;
      return true;
    }
  return false;
}

std::string rulesList() {
  std::string all;
  for (const RulesName &r : kRules) all += (all.empty() ? "" : ", ") + std::string(r.name);
  return all;
}

struct CodecOptions {
  Args modules;
  std::string type;
  int32_t in = RULES_BER;
  int32_t out = -1;
  bool trace = false;
  Args files;
};

enum class Mode { Decode, Convert, Encode };

// Parses -m, -t, -r/-i, -o, --trace; false after a usage error. `convert`
// takes -i and -o and two files, decode -r, --trace and at most one file,
// encode -o and OUT with IN before it or not.
bool parse(const Args &args, Mode mode, CodecOptions &o, int &status) {
  const bool convert = mode == Mode::Convert;
  const bool encode = mode == Mode::Encode;
  if (encode) o.out = RULES_BER;
  bool optionsEnd = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string &a = args[i];
    const auto value = [&](std::string &out) {
      if (i + 1 == args.size()) {
        status = usageError(a + " needs a value");
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string v;
    if (optionsEnd || a == "-" || a.empty() || a[0] != '-') {
      o.files.push_back(a);
    } else if (a == "--") {
      optionsEnd = true;
    } else if (a == "-m") {
      if (!value(v)) return false;
      o.modules.push_back(v);
    } else if (a == "-t") {
      if (!value(o.type)) return false;
    } else if ((a == "-r" && mode == Mode::Decode) || (a == "-i" && convert) || (a == "-o" && mode != Mode::Decode)) {
      if (!value(v)) return false;
      if (!rulesCode(v, a == "-o" ? o.out : o.in)) {
        status = usageError("unknown rules " + v + " (" + rulesList() + ")");
        return false;
      }
    } else if (a == "--trace" && mode == Mode::Decode) {
      o.trace = true;
    } else {
      status = usageError("unknown option " + a);
      return false;
    }
  }
  if (o.modules.empty()) return status = usageError("no module given (-m MODULE)"), false;
  if (o.type.empty()) return status = usageError("no type given (-t TYPE)"), false;
  if (convert && o.out < 0) return status = usageError("no output rules given (-o RULES)"), false;
  if (encode) {
    if (o.files.empty() || o.files.size() > 2) return status = usageError("encode takes OUT, or IN and OUT"), false;
    if (o.files.size() == 1) o.files.insert(o.files.begin(), "-");
    return true;
  }
  if (convert ? o.files.size() != 2 : o.files.size() > 1)
    return status = usageError(convert ? "convert takes IN and OUT" : "decode takes one FILE"), false;
  if (o.files.empty()) o.files.push_back("-");
  return true;
}

// The octets written to the file, or standard output for "-" (whose
// failures main reports); false, with the reason in error, when they cannot
// all be written.
bool writeOutput(const std::string &path, const std::vector<unsigned char> &octets, std::string &error) {
  if (path == "-") {
    std::fwrite(octets.data(), 1, octets.size(), stdout);
    return true;
  }
  std::FILE *file = zur::platform::createOutput(path, error);
  if (file == nullptr) return false;
  bool written = std::fwrite(octets.data(), 1, octets.size(), file) == octets.size() && std::fflush(file) == 0;
  int code = errno;
  if (std::fclose(file) != 0 && written) {
    written = false;
    code = errno;
  }
  if (!written) error = std::strerror(code);
  return written;
}

// The modules compiled, the PDU found, an Env bound to them.
class Session {
 public:
  bool open(const CodecOptions &o, int &status) {
    compiled_ = zurasn1::Compilation::compileFiles(o.modules, std::cerr, zur::platform::readWholeFile);
    if (!compiled_) return status = USAGE, false;
    pdu_ = compiled_->pduNumber(o.type);
    if (pdu_ == 0) {
      std::cerr << compiled_->pduProblem(o.type) << "\n";
      return status = USAGE, false;
    }
    env_ = zurcoreCreateEnv(apiTbl);
    if (env_ == nullptr) {
      std::cerr << "zurasn1: out of memory\n";
      return status = USAGE, false;
    }
    env_->ctlTbl = compiled_->ctlTbl();
    return true;
  }
  ~Session() {
    if (env_ != nullptr) zurcoreDestroyEnv(env_);
  }

  // Decodes one value from data[at...size); prints the row on standard
  // error (naming `where`) when it fails. The decoder takes lengths of 31
  // bits: it sees at most that much of the rest, and the next value starts
  // where this one ended.
  bool decode(const std::string &where, int32_t rules, uint32_t flags, const unsigned char *data, uint64_t size,
              uint64_t &at, void **value) {
    entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env_, rules);
    entry<ApiSetterFn>(SLOT_SET_DECODING_FLAGS)(env_, flags);
    const auto offered = static_cast<int32_t>(std::min<uint64_t>(size - at, INT32_MAX));
    EncBuf in{offered, const_cast<unsigned char *>(data + at)};
    int32_t pdu = pdu_;
    *value = nullptr;
    if (entry<ApiDecodeFn>(SLOT_DECODE)(env_, &pdu, &in, value) != 0) return fail(where, at);
    at += static_cast<uint64_t>(offered - in.length);
    return true;
  }

  // Prints the value; says on standard error why a print that fails did
  // (another process holding the print serialization past its limit, say).
  bool print(const std::string &where, void *value) {
    const int code = entry<ApiPrintPduFn>(SLOT_PRINT_PDU)(env_, pdu_, value);
    if (code == 0) return true;
    std::fflush(stdout);
    std::cerr << "zurasn1: " << where << ": the value was decoded but printing it failed with status "
              << code << "\n";
    return false;
  }

  bool encode(const std::string &where, int32_t rules, void *value, std::vector<unsigned char> &out) {
    entry<ApiSetEncodingRulesFn>(SLOT_SET_ENCODING_RULES)(env_, rules);
    EncBuf buf{0, nullptr};
    if (entry<ApiEncodeFn>(SLOT_ENCODE)(env_, pdu_, value, &buf) != 0) return fail(where, 0);
    const auto *octets = static_cast<const unsigned char *>(buf.value);
    out.insert(out.end(), octets, octets + buf.length);
    env_->memFree(buf.value);
    return true;
  }

  void release(void *value) { zurcoreFreeValue(env_, value); }

  // Values of the PDU read from `input` in value notation; the Env takes the
  // tables that come with them. False after the diagnostics.
  bool readValues(const zurasn1::ModuleText &input) {
    std::unique_ptr<zurasn1::Compilation> read = compiled_->readValues(input, pdu_, std::cerr);
    if (!read) return false;
    compiled_ = std::move(read);
    env_->ctlTbl = compiled_->ctlTbl();
    return true;
  }
  const std::vector<const void *> &values() const { return compiled_->values(); }

 private:
  // The codec's report, whose offset counts from the value's first octet,
  // named after the input and the value's place in it.
  bool fail(const std::string &where, uint64_t at) {
    std::string row = env_->msgBuf;
    while (!row.empty() && row.back() == '\n') row.pop_back();
    std::fflush(stdout);
    std::cerr << "zurasn1: " << where << (at != 0 ? " (value at offset " + std::to_string(at) + ")" : "")
              << ": " << row << "\n";
    return false;
  }

  std::unique_ptr<zurasn1::Compilation> compiled_;
  Env *env_ = nullptr;
  int32_t pdu_ = 0;
};

// The encodings of an input: the PEM blocks of a PEM file, else the whole
// file; the values one after another in each.
struct Encoding {
  std::string where;
  const unsigned char *data;  // the input's octets, or block's
  uint64_t size;
  std::vector<unsigned char> block;
};

// What messages call an input: its path, or standard input for "-".
std::string inputName(const std::string &path) { return path == "-" ? "standard input" : path; }

// Opens the file, or standard input for "-", mapped or read whole as
// zurtrace takes it; false after saying why it cannot be read.
bool openInput(const std::string &path, zur::platform::InputFile &file) {
  const std::string error = zur::platform::openInput(path == "-" ? nullptr : path.c_str(), file);
  if (error.empty()) return true;
  std::cerr << "zurasn1: " << inputName(path) << ": error: cannot read the file: " << error << "\n";
  return false;
}

// The input stays open while its encodings are decoded.
class Input {
 public:
  Input() = default;
  Input(const Input &) = delete;
  Input &operator=(const Input &) = delete;
  ~Input() { zur::platform::closeInput(file_); }

  bool open(const std::string &path) {
    if (!openInput(path, file_)) return false;
    const std::string name = inputName(path);
    if (file_.size == 0) std::cerr << "zurasn1: " << name << ": the input is empty\n";
    if (!zurtrace::looksLikePem(file_.data, file_.size)) {
      encodings.push_back({name, file_.data, file_.size, {}});
      return true;
    }
    zurtrace::PemReader reader(file_.data, file_.size);
    zurtrace::PemBlock block;
    for (int n = 1; reader.next(block); ++n) {
      const std::string where = name + ": PEM block " + std::to_string(n) + " (" + block.label + ")";
      if (!block.error.empty()) {
        std::cerr << "zurasn1: " << where << ": " << block.error << "\n";
        encodings.push_back({where, nullptr, 0, {}});
        continue;
      }
      if (block.octets.empty()) std::cerr << "zurasn1: " << where << ": the block is empty\n";
      encodings.push_back({where, nullptr, 0, std::move(block.octets)});
    }
    for (Encoding &e : encodings) {  // the blocks have their places now
      e.data = e.block.data();
      e.size = e.block.size();
    }
    return true;
  }

  std::vector<Encoding> encodings;

 private:
  zur::platform::InputFile file_;
};

// The file, or standard input for "-", whole; false after saying why it
// cannot be read.
bool readText(const std::string &path, std::string &text) {
  zur::platform::InputFile file;
  const bool opened = openInput(path, file);
  if (opened) text.assign(reinterpret_cast<const char *>(file.data), file.size);
  zur::platform::closeInput(file);
  return opened;
}

// Writes the octets to OUT; the status.
int writeEncoded(const std::string &path, const std::vector<unsigned char> &out) {
  std::string error;
  if (writeOutput(path, out, error)) return OK;
  std::cerr << "zurasn1: " << path << ": error: cannot write the file: " << error << "\n";
  return USAGE;
}

}  // namespace

int runDecode(const Args &args) {
  CodecOptions o;
  int status = OK;
  if (!parse(args, Mode::Decode, o, status)) return status;
  Input input;
  if (!input.open(o.files[0])) return USAGE;
  Session session;
  if (!session.open(o, status)) return status;
  for (const Encoding &e : input.encodings) {
    if (e.size == 0) {
      status = FAILED;  // an empty input or a malformed PEM block, already reported
      continue;
    }
    for (uint64_t at = 0; at < e.size;) {
      void *value = nullptr;
      if (!session.decode(e.where, o.in, o.trace ? ZURCORE_FLAG_TRACE : 0, e.data, e.size, at, &value)) {
        status = FAILED;
        break;
      }
      const bool printed = session.print(e.where, value);
      session.release(value);
      stopIfOutputFailed();
      if (!printed) {
        status = FAILED;
        break;
      }
    }
  }
  return status;
}

int runConvert(const Args &args) {
  CodecOptions o;
  int status = OK;
  if (!parse(args, Mode::Convert, o, status)) return status;
  Input input;
  if (!input.open(o.files[0])) return USAGE;
  Session session;
  if (!session.open(o, status)) return status;
  std::vector<unsigned char> out;
  for (const Encoding &e : input.encodings) {
    if (e.size == 0) return FAILED;
    for (uint64_t at = 0; at < e.size;) {
      void *value = nullptr;
      if (!session.decode(e.where, o.in, 0, e.data, e.size, at, &value)) return FAILED;
      const bool ok = session.encode(e.where, o.out, value, out);
      session.release(value);
      if (!ok) return FAILED;
    }
  }
  return writeEncoded(o.files[1], out);
}

int runEncode(const Args &args) {
  CodecOptions o;
  int status = OK;
  if (!parse(args, Mode::Encode, o, status)) return status;
  zurasn1::ModuleText input{o.files[0] == "-" ? "<stdin>" : o.files[0], {}};
  if (!readText(o.files[0], input.text)) return USAGE;
  Session session;
  if (!session.open(o, status)) return status;
  if (!session.readValues(input)) return FAILED;
  std::vector<unsigned char> out;
  for (std::size_t i = 0; i < session.values().size(); ++i) {
    // The codec takes a value to encode as writable, and does not write it.
    void *value = const_cast<void *>(session.values()[i]);
    if (!session.encode(input.path + " (value " + std::to_string(i + 1) + ")", o.out, value, out)) return FAILED;
  }
  return writeEncoded(o.files[1], out);
}

}  // namespace zurasn1tool
