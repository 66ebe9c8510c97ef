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
  if (++errorCount_ <= kMaxErrors) entries_.push_back({Severity::Error, pos, std::move(what), {}});
}

void Diagnostics::warning(SourcePos pos, std::string what) {
  entries_.push_back({Severity::Warning, pos, std::move(what), {}});
}

void Diagnostics::noteErrorsSince(std::size_t since, SourcePos pos, const std::string &what) {
  for (std::size_t i = since; i < entries_.size(); ++i) {
    Entry &entry = entries_[i];
    if (entry.severity == Severity::Error) addNote(entry.notes, {pos, what});
  }
}

void Diagnostics::addNote(std::vector<Note> &notes, const Note &note) {
  for (const Note &n : notes)
    if (samePlace(n.pos, note.pos) && n.what == note.what) return;
  notes.push_back(note);
}

std::string Diagnostics::line(SourcePos pos, const char *severity, const std::string &what) const {
  std::string text = pos.file < files_.size() ? files_[pos.file] : "<input>";
  text += ':' + std::to_string(pos.line) + ':' + std::to_string(pos.col) + ": " + severity + ": ";
  return text + what;
}

std::string Diagnostics::format(const Entry &entry) const {
  return line(entry.pos, entry.severity == Severity::Error ? "error" : "warning", entry.what);
}

void Diagnostics::print(std::ostream &out, uint32_t firstFile) const {
  std::vector<const Entry *> sorted;
  for (const Entry &e : entries_)
    if (e.pos.file >= firstFile) sorted.push_back(&e);
  auto key = [](const Entry *e) { return std::tie(e->pos.file, e->pos.line, e->pos.col); };
  std::stable_sort(sorted.begin(), sorted.end(),
                   [&](const Entry *a, const Entry *b) { return key(a) < key(b); });
  // The same construct met twice (a parameterized type's instances) says it
  // once, with the notes of every time it was met.
  for (std::size_t i = 0; i < sorted.size();) {
    const Entry &first = *sorted[i];
    std::vector<Note> notes;
    for (; i < sorted.size() && key(sorted[i]) == key(&first) && sorted[i]->what == first.what; ++i)
      for (const Note &note : sorted[i]->notes) addNote(notes, note);
    out << format(first) << '\n';
    for (const Note &note : notes) out << line(note.pos, "note", note.what) << '\n';
  }
  if (errorCount_ > kMaxErrors)
    out << "zurasn1: " << errorCount_ - kMaxErrors << " more errors not shown\n";
}

}  // namespace zurasn1
