#include "compiler/diagnostics.h"

#include <algorithm>
#include <ostream>
#include <tuple>

namespace zurasn1 {

uint32_t Diagnostics::addFile(std::string path) {
  files_.push_back(std::move(path));
  return static_cast<uint32_t>(files_.size() - 1);
}

void Diagnostics::error(SourcePos pos, std::string what) {
  if (++errorCount_ <= kMaxErrors) entries_.push_back({Severity::Error, pos, std::move(what)});
}

void Diagnostics::warning(SourcePos pos, std::string what) {
  entries_.push_back({Severity::Warning, pos, std::move(what)});
}

std::string Diagnostics::format(const Entry &entry) const {
  std::string line = entry.pos.file < files_.size() ? files_[entry.pos.file] : "<input>";
  line += ':' + std::to_string(entry.pos.line) + ':' + std::to_string(entry.pos.col) + ": ";
  line += entry.severity == Severity::Error ? "error: " : "warning: ";
  return line + entry.what;
}

void Diagnostics::print(std::ostream &out) const {
  std::vector<const Entry *> sorted;
  for (const Entry &e : entries_) sorted.push_back(&e);
  auto key = [](const Entry *e) { return std::tie(e->pos.file, e->pos.line, e->pos.col); };
  std::stable_sort(sorted.begin(), sorted.end(),
                   [&](const Entry *a, const Entry *b) { return key(a) < key(b); });
  // The same construct met twice (a parameterized type's instances) says it once.
  const Entry *last = nullptr;
  for (const Entry *e : sorted) {
    if (last != nullptr && key(last) == key(e) && last->what == e->what) continue;
    out << format(*e) << '\n';
    last = e;
  }
  if (errorCount_ > kMaxErrors)
    out << "zurasn1: " << errorCount_ - kMaxErrors << " more errors not shown\n";
}

}  // namespace zurasn1
