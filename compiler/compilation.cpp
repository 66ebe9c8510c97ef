// zurasn1::Compilation: the stages in a row, front end to tables.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "compiler/c_writer.h"
#include "compiler/diagnostics.h"
#include "compiler/front_end.h"
#include "compiler/tables.h"
#include "compiler/value_image.h"
#include "zurasn1/zurasn1.h"

namespace zurasn1 {

struct Compilation::Impl {
  Model model;
  Layout layout;
  std::unique_ptr<Tables> tables;
  std::vector<OidName> oids;
  std::vector<ModuleText> sources;  // what readValues compiles again
  ImageStore images;
  std::vector<const void *> values;
};

namespace {

// A file name in UTF-8 as the system's file functions take it (UTF-16 on
// Windows, where a char name would go through the ANSI code page).
std::filesystem::path fileName(const std::string &name) { return std::u8string(name.begin(), name.end()); }

// The whole file; an empty answer, or why it cannot be read.
std::string readFile(const std::string &path, std::string &text) {
  const std::filesystem::path name = fileName(path);
  std::error_code error;
  if (std::filesystem::is_directory(name, error)) return std::strerror(EISDIR);
  std::ifstream in(name, std::ios::binary);
  if (!in) return std::strerror(errno);
  std::ostringstream whole;
  whole << in.rdbuf();
  if (in.bad()) return std::strerror(EIO);
  text = std::move(whole).str();
  return {};
}

// The file whole; an empty answer, or why it cannot be written.
std::string writeFile(const std::string &path, const std::string &text) {
  std::ofstream out(fileName(path), std::ios::binary);
  out << text;
  out.close();
  return out ? std::string() : std::strerror(errno);
}

// "Module.Type" or "Type".
std::pair<std::string_view, std::string_view> splitTypeName(std::string_view name) {
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) return {{}, name};
  return {name.substr(0, dot), name.substr(dot + 1)};
}

}  // namespace

Compilation::Compilation(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Compilation::~Compilation() = default;

std::unique_ptr<Compilation> Compilation::compileFiles(const std::vector<std::string> &paths,
                                                       std::ostream &diagnostics, FileReader read) {
  if (read == nullptr) read = readFile;
  std::vector<ModuleText> modules;
  bool readable = true;
  for (const std::string &path : paths) {
    std::string text;
    if (const std::string why = read(path, text); !why.empty()) {
      diagnostics << path << ": error: cannot read the file: " << why << '\n';
      readable = false;
      continue;
    }
    modules.push_back({path, std::move(text)});
  }
  if (!readable) return nullptr;
  return compile(modules, diagnostics);
}

std::unique_ptr<Compilation> Compilation::compile(const std::vector<ModuleText> &modules,
                                                  std::ostream &diagnostics) {
  return build(modules, nullptr, 0, diagnostics);
}

std::unique_ptr<Compilation> Compilation::readValues(const ModuleText &input, int pdu,
                                                     std::ostream &diagnostics) const {
  return build(impl_->sources, &input, pdu, diagnostics);
}

const std::vector<const void *> &Compilation::values() const { return impl_->values; }

std::unique_ptr<Compilation> Compilation::build(const std::vector<ModuleText> &modules, const ModuleText *input,
                                                int pdu, std::ostream &diagnostics) {
  Diagnostics d;
  // With an input, the modules' diagnostics were said when they compiled alone.
  const auto firstShown = static_cast<uint32_t>(input != nullptr ? modules.size() : 0);
  std::optional<Model> model = buildModel(modules, d, input);
  if (!model || d.hasErrors()) {
    d.print(diagnostics, firstShown);
    return nullptr;
  }
  auto impl = std::make_unique<Impl>();
  impl->model = std::move(*model);
  impl->sources = modules;
  Problems problems;
  if (std::optional<Layout> layout = layOut(impl->model, problems)) {
    impl->layout = std::move(*layout);
    impl->tables = buildTables(impl->model, impl->layout, problems);
  }
  if (impl->tables && input != nullptr) {
    // The input's values laid out as values of the PDU; one of another
    // type, or one the layout cannot hold, is a problem at its place.
    const Model &m = impl->model;
    const Pdu &target = m.pdus[static_cast<std::size_t>(pdu - 1)];
    if (m.inputs.empty()) problems.push_back({{static_cast<uint32_t>(m.files.size() - 1), 1, 1}, "no value assignment in the input"});
    for (const InputValue &v : m.inputs) {
      if (v.type != target.type) {
        const Type &t = m.types[v.type];
        problems.push_back({v.pos, "a value of " + (t.name.empty() ? std::string(builtinNotation(t.builtin)) : t.name) +
                                       ", not of " + target.name});
        continue;
      }
      const CtlType type = impl->layout.pduTypes[static_cast<std::size_t>(pdu - 1)];
      if (std::optional<Image> image = makeImage(m, impl->layout, type, *v.value, v.pos, problems))
        impl->values.push_back(impl->images.place(impl->layout, *image));
    }
  }
  // Limits of the tables belong to no one place in the modules.
  std::string limits;
  for (const Problem &p : problems) {
    if (p.pos.line == 0)
      limits += "zurasn1: error: " + p.message + "\n";
    else
      d.error(p.pos, p.message);
  }
  d.print(diagnostics, firstShown);
  diagnostics << limits;
  if (!impl->tables || d.hasErrors()) return nullptr;
  for (const NamedValue &v : impl->model.values)
    if (v.value && v.value->kind == Value::Kind::ObjectIdentifier)
      impl->oids.push_back({v.name, impl->model.modules[v.module], v.value->arcs});
  return std::unique_ptr<Compilation>(new Compilation(std::move(impl)));
}

const ZurTables &Compilation::tables() const { return impl_->tables->tables; }

std::size_t Compilation::moduleCount() const { return impl_->model.modules.size(); }

std::size_t Compilation::pduCount() const { return impl_->model.pdus.size(); }

int Compilation::pduNumber(std::string_view typeName) const {
  const auto [module, type] = splitTypeName(typeName);
  int found = 0;
  for (std::size_t i = 0; i < impl_->model.pdus.size(); ++i) {
    const Pdu &p = impl_->model.pdus[i];
    if (p.name != type || (!module.empty() && impl_->model.modules[p.module] != module)) continue;
    if (found != 0) return 0;
    found = static_cast<int>(i + 1);
  }
  return found;
}

std::string Compilation::pduProblem(std::string_view typeName) const {
  const Model &m = impl_->model;
  const auto [module, type] = splitTypeName(typeName);
  for (const LeftOut &l : m.leftOut) {
    if (l.name != type || (!module.empty() && m.modules[l.module] != module)) continue;
    return "zurasn1: error: " + l.name + " is left out: it needs " + l.missing +
           (l.missingModule.empty() ? ", which no module defines"
                                    : " from " + l.missingModule + ", which was not given");
  }
  std::string modules;
  for (const Pdu &p : m.pdus)
    if (p.name == type) modules += (modules.empty() ? "" : ", ") + m.modules[p.module];
  if (!modules.empty() && module.empty())
    return "zurasn1: error: " + std::string(type) + " is assigned in " + modules + ": name it Module." +
           std::string(type);
  return "zurasn1: error: no type assignment named " + std::string(typeName) + " in the modules";
}

const std::vector<OidName> &Compilation::oidNames() const { return impl_->oids; }

bool Compilation::writeC(const std::string &directory, std::ostream &diagnostics, const std::string &prefix,
                         FileWriter write) const {
  for (const GeneratedFile &file : generateC(impl_->model, impl_->layout, *impl_->tables, prefix)) {
    const std::string path = directory + "/" + file.name;
    if (const std::string why = (write != nullptr ? write : writeFile)(path, file.text); !why.empty()) {
      diagnostics << path << ": error: cannot write the file: " << why << '\n';
      return false;
    }
  }
  return true;
}

std::string_view version() { return "zurasn1 " ZURASN1_VERSION; }

}  // namespace zurasn1
