#include "cleaner/implicit_form.h"

#include <tidy/tidyenum.h>

#include <cstring>

#include "cleaner/preserve_case.h"
#include "cleaner/tidy_tree.h"

namespace kpx {

namespace {

// True when the report's first argument names the form element ("form" or "<form>").
bool NamesForm(TidyMessage message) {
  TidyIterator it = tidyGetMessageArguments(message);
  if (it == nullptr) return false;
  TidyMessageArgument arg = tidyGetNextMessageArgument(message, &it);
  if (tidyGetArgType(message, &arg) != tidyFormatType_STRING) return false;
  const char* value = tidyGetArgValueString(message, &arg);
  return value != nullptr && (std::strcmp(value, "form") == 0 || std::strcmp(value, "<form>") == 0);
}

}  // namespace

bool ImplicitFormRemoval::KeepReport(TidyMessage message) {
  if (!NamesForm(message)) return true;
  const auto line = static_cast<uint32_t>(tidyGetMessageLine(message));
  const auto column = static_cast<uint32_t>(tidyGetMessageColumn(message));
  if (tidyGetMessageCode(message) == INSERTING_TAG) {
    inferred_at_.insert(uint64_t{line} << 32 | column);
    return false;
  }
  // Later reports about the same form ("missing </form>", "missing </form> before <p>").
  return !InferredAt(line, column);
}

bool ImplicitFormRemoval::InferredAt(uint32_t line, uint32_t column) const {
  return inferred_at_.count(uint64_t{line} << 32 | column) != 0;
}

void ImplicitFormRemoval::PlanUnwrap(TidyNode root, std::u16string_view source,
                                     const SourcePositionMap& positions, TagEditPlan* plan) const {
  if (inferred_at_.empty()) return;
  ForEachNode(root, [&](TidyNode node) {
    if (tidyNodeGetId(node) != TidyTag_FORM) return;
    if (!InferredAt(tidyNodeLine(node), tidyNodeColumn(node))) return;
    if (!WrittenStartTag(node, source, positions).empty()) return;  // a form that was written
    (*plan)[node].unwrap = true;
  });
}

}  // namespace kpx
