#include "compiler/front_end.h"

#include "compiler/lexer.h"
#include "compiler/parser.h"
#include "compiler/resolver.h"

namespace zurasn1 {

std::optional<Model> buildModel(const std::vector<ModuleText> &modules, Diagnostics &diagnostics,
                                const ModuleText *input) {
  std::vector<std::vector<Token>> tokens;
  tokens.reserve(modules.size() + 1);  // the parsed modules point into these
  std::vector<ast::Module> parsed;
  for (const ModuleText &text : modules) {
    const uint32_t file = diagnostics.addFile(text.path);
    tokens.push_back(lex(text.text, file, diagnostics));
    std::vector<ast::Module> found = Parser(tokens.back(), file, diagnostics).parseModules();
    if (found.empty() && !diagnostics.hasErrors())
      diagnostics.error({file, 1, 1}, "no module definition in the file");
    for (ast::Module &module : found) parsed.push_back(std::move(module));
  }
  if (input != nullptr) {
    const uint32_t file = diagnostics.addFile(input->path);
    tokens.push_back(lex(input->text, file, diagnostics));
    parsed.push_back(Parser(tokens.back(), file, diagnostics).parseValueInput());
  }
  // Resolving after a syntax error still finds the errors of the other
  // assignments; the ones that could not be read stay silent.
  Resolver resolver(parsed, diagnostics);
  std::optional<Model> model = resolver.run();
  if (diagnostics.hasErrors()) return std::nullopt;
  return model;
}

}  // namespace zurasn1
