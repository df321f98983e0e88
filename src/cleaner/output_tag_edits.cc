#include "cleaner/output_tag_edits.h"

#include <string_view>
#include <vector>

#include "base/ascii_case.h"
#include "cleaner/tidy_tree.h"

namespace kpx {

namespace {

constexpr size_t kNone = std::u16string_view::npos;

// True when text at offset spells name (ASCII letters in either case).
bool MatchesName(std::u16string_view text, size_t offset, std::string_view name) {
  if (offset + name.size() > text.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char n = static_cast<unsigned char>(name[i]);
    if (n >= 0x80 || AsciiToLower(text[offset + i]) != AsciiToLower(static_cast<char16_t>(n)))
      return false;
  }
  return true;
}

bool IsSpace(char16_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Where a printed node of a kind that libtidy copies as markup opens and closes.
struct Markup {
  std::u16string_view open;
  std::u16string_view close;
};

// The printed form of the non-element nodes that can hold "<" or ">"; nullptr for text.
const Markup* MarkupOf(TidyNodeType type) {
  static constexpr Markup kComment{u"<!--", u"-->"};
  static constexpr Markup kDocType{u"<!", u">"};
  static constexpr Markup kProcIns{u"<?", u">"};
  static constexpr Markup kCData{u"<![CDATA[", u"]]>"};
  static constexpr Markup kSection{u"<![", u"]>"};
  static constexpr Markup kAsp{u"<%", u"%>"};
  static constexpr Markup kJste{u"<#", u"#>"};
  static constexpr Markup kPhp{u"<?", u"?>"};
  switch (type) {
    case TidyNode_Comment:
      return &kComment;
    case TidyNode_DocType:
      return &kDocType;
    case TidyNode_ProcIns:
    case TidyNode_XmlDecl:
      return &kProcIns;
    case TidyNode_CDATA:
      return &kCData;
    case TidyNode_Section:
      return &kSection;
    case TidyNode_Asp:
      return &kAsp;
    case TidyNode_Jste:
      return &kJste;
    case TidyNode_Php:
      return &kPhp;
    default:
      return nullptr;
  }
}

// One replacement in the output: the range [begin, end) becomes text.
struct Replacement {
  size_t begin;
  size_t end;
  std::u16string_view text;
};

class TagWalker {
 public:
  TagWalker(std::u16string_view text, const TagEditPlan& plan) : text_(text), plan_(plan) {}

  bool Walk(TidyNode root) {
    std::vector<TidyNode> open;  // elements whose end tag comes after their content
    TidyNode node = tidyGetChild(root);
    for (;;) {
      while (node != nullptr) {
        bool descend = false;
        if (!Enter(node, &descend)) return false;
        if (descend) {
          open.push_back(node);
          node = tidyGetChild(node);
        } else {
          node = tidyGetNext(node);
        }
      }
      if (open.empty()) return true;
      TidyNode done = open.back();
      open.pop_back();
      Leave(done);
      node = tidyGetNext(done);
    }
  }

  // True when every element in the plan had its start tag found.
  bool FoundAll() const { return found_ == plan_.size(); }

  std::u16string Apply() const {
    std::u16string result;
    result.reserve(text_.size());
    size_t at = 0;
    for (const Replacement& r : replacements_) {
      result.append(text_.substr(at, r.begin - at));
      result.append(r.text);
      at = r.end;
    }
    result.append(text_.substr(at));
    return result;
  }

 private:
  // Consumes the printed form of node's own markup; descend tells whether its children and end
  // tag follow.
  bool Enter(TidyNode node, bool* descend) {
    const TidyNodeType type = tidyNodeGetType(node);
    if (type == TidyNode_Start || type == TidyNode_StartEnd) return EnterElement(node, descend);
    if (type == TidyNode_Text) return SkipRawText(node);
    if (const Markup* markup = MarkupOf(type)) {
      // Markup that was not printed (a DOCTYPE under "omit", hidden comments) is not there.
      const size_t lt = text_.find(u'<', pos_);
      if (lt == kNone || text_.compare(lt, markup->open.size(), markup->open) != 0) return true;
      const size_t close = text_.find(markup->close, lt + markup->open.size());
      if (close == kNone) return false;
      pos_ = close + markup->close.size();
    }
    return true;
  }

  bool EnterElement(TidyNode node, bool* descend) {
    const std::string_view name = ElementName(node);
    const size_t lt = text_.find(u'<', pos_);
    // libtidy leaves some misplaced elements unprinted (an html element inside svg, say): an
    // element whose start tag is not next is skipped with its content.
    if (lt == kNone || name.empty() || !MatchesName(text_, lt + 1, name)) return true;
    size_t i = lt + 1 + name.size();
    if (i < text_.size() && !IsSpace(text_[i]) && text_[i] != '>' && text_[i] != '/') return true;
    bool self_closed = false;
    // Attributes: names, and values quoted with " or ' (which never contain their quote) or
    // bare up to a space.
    for (;;) {
      if (i >= text_.size()) return false;
      const char16_t c = text_[i];
      if (c == '>') break;
      if (c == '/' && i + 1 < text_.size() && text_[i + 1] == '>') {
        self_closed = true;
        ++i;
        break;
      }
      if (c == '"' || c == '\'') {
        const size_t close = text_.find(c, i + 1);
        if (close == kNone) return false;
        i = close + 1;
      } else {
        ++i;
      }
    }
    pos_ = i + 1;
    *descend = !self_closed;
    if (const TagEdit* edit = plan_.Find(node)) {
      ++found_;
      if (edit->unwrap) {
        replacements_.push_back({lt, pos_, {}});
      } else if (!edit->written_name.empty()) {
        replacements_.push_back({lt + 1, lt + 1 + name.size(), edit->written_name});
      }
    }
    return true;
  }

  // Script and style content is printed as it came; skip to the parent's end tag.
  bool SkipRawText(TidyNode node) {
    TidyNode parent = tidyGetParent(node);
    const std::string_view name = parent ? ElementName(parent) : std::string_view();
    if (name != "script" && name != "style") return true;
    for (size_t at = text_.find(u"</", pos_); at != kNone; at = text_.find(u"</", at + 2)) {
      if (MatchesName(text_, at + 2, name)) {
        pos_ = at;
        return true;
      }
    }
    return false;
  }

  // Consumes the element's end tag when one is printed (void elements have none).
  void Leave(TidyNode node) {
    const std::string_view name = ElementName(node);
    const size_t lt = text_.find(u'<', pos_);
    if (lt == kNone || lt + 1 >= text_.size() || text_[lt + 1] != '/' ||
        !MatchesName(text_, lt + 2, name)) {
      return;
    }
    size_t i = lt + 2 + name.size();
    while (i < text_.size() && IsSpace(text_[i])) ++i;
    if (i >= text_.size() || text_[i] != '>') return;
    pos_ = i + 1;
    if (const TagEdit* edit = plan_.Find(node)) {
      if (edit->unwrap) {
        replacements_.push_back({lt, pos_, {}});
      } else if (!edit->written_name.empty()) {
        replacements_.push_back({lt + 2, lt + 2 + name.size(), edit->written_name});
      }
    }
  }

  std::u16string_view text_;
  const TagEditPlan& plan_;
  size_t pos_ = 0;
  std::vector<Replacement> replacements_;  // in increasing order, as the walk moves forward
  size_t found_ = 0;                       // planned elements whose start tag was found
};

}  // namespace

bool ApplyTagEdits(TidyNode root, const TagEditPlan& plan, std::u16string* output) {
  if (plan.empty()) return true;
  TagWalker walker(*output, plan);
  if (!walker.Walk(root) || !walker.FoundAll()) return false;
  *output = walker.Apply();
  return true;
}

}  // namespace kpx
