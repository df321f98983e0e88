// The HTML reader of the document stand-in: a tokenizer over the text and the few tree rules
// that pages rely on.
#include "htmldom/parser.h"

#include <algorithm>
#include <array>
#include <map>
#include <string>

namespace kpx::html {

namespace {

constexpr size_t kNone = std::u16string_view::npos;

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

using NameSet = std::initializer_list<std::u16string_view>;

bool In(std::u16string_view name, NameSet set) {
  return std::find(set.begin(), set.end(), name) != set.end();
}

// Starting one of these closes an open paragraph.
constexpr std::array<std::u16string_view, 38> kParagraphClosers = {
    u"address", u"article", u"aside", u"blockquote", u"center",     u"details", u"dialog",
    u"dir",     u"div",     u"dl",    u"fieldset",   u"figcaption", u"figure",  u"footer",
    u"form",    u"h1",      u"h2",    u"h3",         u"h4",         u"h5",      u"h6",
    u"header",  u"hgroup",  u"hr",    u"listing",    u"main",       u"menu",    u"nav",
    u"ol",      u"p",       u"pre",   u"section",    u"summary",    u"table",   u"ul",
    u"li",      u"dd",      u"dt"};

class TreeBuilder {
 public:
  TreeBuilder(std::u16string_view text, Node& root, bool record, size_t depth)
      : text_(text), root_(root), record_(record), base_depth_(depth) {
    open_.push_back(&root);
  }

  void Run() {
    const size_t n = text_.size();
    while (pos_ < n) {
      const size_t lt = text_.find(u'<', pos_);
      if (lt == kNone) {
        AddText(pos_, n);
        pos_ = n;
        break;
      }
      if (lt > pos_) AddText(pos_, lt);
      pos_ = lt;
      if (!ReadMarkup(lt)) {
        AddText(lt, lt + 1);
        pos_ = lt + 1;
      }
    }
    while (open_.size() > 1) CloseTop(n, n, false);
    if (record_) {
      root_.from_source = true;
      root_.source = SourceExtent{0, 0, n, n, false};
    }
  }

 private:
  Node& Current() { return *open_.back(); }

  void Attach(NodePtr node) {
    node->parent = &Current();
    Current().children.push_back(std::move(node));
  }

  void AddText(size_t begin, size_t end) {
    Node& current = Current();
    if (!current.children.empty()) {
      Node& last = *current.children.back();
      if (last.kind == NodeKind::kText && (!record_ || last.source.end == begin)) {
        last.text.append(text_.substr(begin, end - begin));
        last.source.end = end;
        return;
      }
    }
    AddLeaf(NodeKind::kText, begin, end);
  }

  void AddLeaf(NodeKind kind, size_t begin, size_t end) {
    NodePtr node = MakeNode(kind);
    node->text = std::u16string(text_.substr(begin, end - begin));
    if (record_) {
      node->from_source = true;
      node->source = SourceExtent{begin, end, end, end, false};
    }
    Attach(std::move(node));
  }

  // Each search remembers where it found nothing, so that no stretch is searched twice.
  size_t FindFrom(char16_t c, size_t from, size_t* none_from) {
    if (from >= *none_from) return kNone;
    const size_t at = text_.find(c, from);
    if (at == kNone) *none_from = from;
    return at;
  }

  size_t FindCommentEnd(size_t from) {
    if (from >= no_comment_end_from_) return kNone;
    const size_t at = text_.find(u"-->", from);
    if (at == kNone) no_comment_end_from_ = from;
    return at;
  }

  // "<" at s: a comment, declaration, processing instruction, end tag or start tag. False when
  // none starts here (the "<" is text).
  bool ReadMarkup(size_t s) {
    const size_t n = text_.size();
    if (s + 1 >= n) return false;
    const char16_t c = text_[s + 1];
    if (c == u'!' && text_.substr(s, 4) == u"<!--") {
      const size_t close = FindCommentEnd(s + 2);
      const size_t end = close == kNone ? n : close + 3;
      AddLeaf(NodeKind::kComment, s, end);
      pos_ = end;
      return true;
    }
    if (c == u'!' || c == u'?') {
      const size_t gt = FindFrom(u'>', s + 2, &no_gt_from_);
      const size_t end = gt == kNone ? n : gt + 1;
      AddLeaf(NodeKind::kVerbatim, s, end);
      pos_ = end;
      return true;
    }
    if (c == u'/') {
      if (s + 2 < n && IsAsciiLetter(text_[s + 2])) return ReadEndTag(s);
      const size_t gt = FindFrom(u'>', s + 2, &no_gt_from_);
      if (gt == kNone) return false;
      AddLeaf(NodeKind::kVerbatim, s, gt + 1);
      pos_ = gt + 1;
      return true;
    }
    if (IsAsciiLetter(c)) return ReadStartTag(s);
    return false;
  }

  size_t NameEnd(size_t p) const {
    while (p < text_.size() && !IsSpace(text_[p]) && text_[p] != u'/' && text_[p] != u'>') ++p;
    return p;
  }

  bool ReadStartTag(size_t s) {
    const size_t n = text_.size();
    size_t p = NameEnd(s + 1);
    std::u16string name = AsciiLower(text_.substr(s + 1, p - s - 1));
    std::vector<Attribute> attributes;
    while (true) {
      while (p < n && (IsSpace(text_[p]) || text_[p] == u'/')) ++p;
      if (p >= n) return false;
      if (text_[p] == u'>') {
        ++p;
        break;
      }
      const size_t name_begin = p;
      if (text_[p] == u'=') ++p;  // a leading "=" belongs to the name
      while (p < n && !IsSpace(text_[p]) && text_[p] != u'/' && text_[p] != u'>' &&
             text_[p] != u'=') {
        ++p;
      }
      Attribute attribute{std::u16string(text_.substr(name_begin, p - name_begin)), {}, false};
      size_t q = p;
      while (q < n && IsSpace(text_[q])) ++q;
      if (q < n && text_[q] == u'=') {
        ++q;
        while (q < n && IsSpace(text_[q])) ++q;
        if (q >= n) return false;
        const char16_t quote = text_[q];
        if (quote == u'"' || quote == u'\'') {
          const size_t close =
              FindFrom(quote, q + 1, quote == u'"' ? &no_double_quote_from_ : &no_quote_from_);
          if (close == kNone) return false;
          attribute.raw_value = std::u16string(text_.substr(q + 1, close - q - 1));
          p = close + 1;
        } else {
          const size_t value_begin = q;
          while (q < n && !IsSpace(text_[q]) && text_[q] != u'>') ++q;
          attribute.raw_value = std::u16string(text_.substr(value_begin, q - value_begin));
          p = q;
        }
        attribute.has_value = true;
      }
      // The first of two attributes with one name counts, as in a browser.
      bool seen = std::any_of(attributes.begin(), attributes.end(), [&](const Attribute& a) {
        return EqualsIgnoringCase(a.name, attribute.name);
      });
      if (!seen) attributes.push_back(std::move(attribute));
    }
    OpenElement(std::move(name), std::move(attributes), s, p);
    return true;
  }

  bool ReadEndTag(size_t s) {
    const size_t name_end = NameEnd(s + 2);
    const size_t gt = FindFrom(u'>', name_end, &no_gt_from_);
    if (gt == kNone) return false;
    std::u16string name = AsciiLower(text_.substr(s + 2, name_end - s - 2));
    if (!CloseByEndTag(name, s, gt + 1)) AddLeaf(NodeKind::kVerbatim, s, gt + 1);
    pos_ = gt + 1;
    return true;
  }

  void OpenElement(std::u16string name, std::vector<Attribute> attributes, size_t s, size_t p) {
    ApplyStartTagRules(name, s);
    NodePtr node = MakeNode(NodeKind::kElement, name);
    node->attributes = std::move(attributes);
    if (record_) {
      node->from_source = true;
      node->source = SourceExtent{s, p, p, p, false};
    }
    Node* raw = node.get();
    Attach(std::move(node));
    pos_ = p;
    const bool too_deep = base_depth_ + open_.size() > kMaxDepth;
    if (IsVoidElement(raw->name) || too_deep) return;
    open_.push_back(raw);
    if (raw->name == u"p") ++open_paragraphs_;
    if (IsRawTextElement(raw->name)) ReadRawText(raw->name, p);
  }

  // The content of a raw-text element runs to its end tag ("plaintext": to the end).
  void ReadRawText(const std::u16string& name, size_t p) {
    const size_t n = text_.size();
    size_t end = n;
    if (name != u"plaintext") end = FindRawTextEnd(name, p);
    if (end > p) AddText(p, end);
    pos_ = end;
  }

  size_t FindRawTextEnd(const std::u16string& name, size_t from) {
    const size_t n = text_.size();
    auto failed = raw_end_none_from_.find(name);
    if (failed != raw_end_none_from_.end() && from >= failed->second) return n;
    for (size_t at = text_.find(u"</", from); at != kNone; at = text_.find(u"</", at + 2)) {
      const size_t after = at + 2 + name.size();
      if (after > n) break;
      if (!EqualsIgnoringCase(text_.substr(at + 2, name.size()), name)) continue;
      if (after == n || IsSpace(text_[after]) || text_[after] == u'/' || text_[after] == u'>') {
        return at;
      }
    }
    raw_end_none_from_[name] = from;
    return n;
  }

  // Closes the top element: explicitly with an end tag [tag_begin, end), or implicitly where
  // what follows begins (tag_begin == end).
  void CloseTop(size_t tag_begin, size_t end, bool explicit_end) {
    Node* node = open_.back();
    open_.pop_back();
    if (node->name == u"p") --open_paragraphs_;
    if (record_) {
      node->source.end_tag_begin = tag_begin;
      node->source.end = end;
      node->source.has_end_tag = explicit_end;
    }
  }

  // Looks down the open elements (never the top of the tree) for one of targets, stopping at
  // one of boundaries; closes it and what lies above it at position at.
  bool CloseUpTo(NameSet targets, NameSet boundaries, size_t at) {
    for (size_t i = open_.size() - 1; i >= 1; --i) {
      const std::u16string& name = open_[i]->name;
      if (In(name, targets)) {
        while (open_.size() > i) CloseTop(at, at, false);
        return true;
      }
      if (In(name, boundaries)) return false;
    }
    return false;
  }

  void ApplyStartTagRules(const std::u16string& name, size_t at) {
    if (name == u"td" || name == u"th") {
      CloseUpTo({u"td", u"th"}, {u"tr", u"table", u"tbody", u"thead", u"tfoot"}, at);
    } else if (name == u"tr") {
      CloseUpTo({u"tr"}, {u"table", u"tbody", u"thead", u"tfoot"}, at);
    } else if (name == u"tbody" || name == u"thead" || name == u"tfoot") {
      CloseUpTo({u"tbody", u"thead", u"tfoot"}, {u"table"}, at);
    } else if (name == u"option" || name == u"optgroup") {
      if (open_.size() > 1 && Current().name == u"option") CloseTop(at, at, false);
    }
    if (name == u"li")
      CloseUpTo({u"li"}, {u"ul", u"ol", u"menu", u"dir", u"table", u"td", u"th"}, at);
    if (name == u"dt" || name == u"dd") {
      CloseUpTo({u"dt", u"dd"}, {u"dl", u"table", u"td", u"th"}, at);
    }
    if (open_paragraphs_ > 0 && std::find(kParagraphClosers.begin(), kParagraphClosers.end(),
                                          name) != kParagraphClosers.end()) {
      CloseUpTo({u"p"},
                {u"table", u"td", u"th", u"caption", u"button", u"object", u"applet", u"marquee"},
                at);
    }
  }

  // An end tag closes the nearest open element of its name within reach: table parts reach to
  // their table, "table", "body" and "html" reach everywhere, other names stop at a cell or a
  // table. False when nothing closes (the tag is stray).
  bool CloseByEndTag(const std::u16string& name, size_t s, size_t e) {
    if (IsVoidElement(name)) return false;
    const bool table_part =
        In(name, {u"td", u"th", u"tr", u"tbody", u"thead", u"tfoot", u"caption", u"colgroup"});
    const bool reaches_everywhere = In(name, {u"table", u"body", u"html"});
    auto stops = [&](const std::u16string& open_name) {
      if (reaches_everywhere) return false;
      if (table_part) return open_name == u"table";
      return In(open_name, {u"td", u"th", u"table", u"caption"});
    };
    for (size_t i = open_.size() - 1; i >= 1; --i) {
      const std::u16string& open_name = open_[i]->name;
      if (open_name == name) {
        while (open_.size() > i + 1) CloseTop(s, s, false);
        CloseTop(s, e, true);
        return true;
      }
      if (stops(open_name)) return false;
    }
    return false;
  }

  std::u16string_view text_;
  Node& root_;
  const bool record_;
  const size_t base_depth_;
  std::vector<Node*> open_;  // open elements; the first is the top of the tree
  int open_paragraphs_ = 0;  // open "p" elements: most blocks need not look for one
  size_t pos_ = 0;
  size_t no_gt_from_ = kNone;
  size_t no_double_quote_from_ = kNone;
  size_t no_quote_from_ = kNone;
  size_t no_comment_end_from_ = kNone;
  std::map<std::u16string, size_t> raw_end_none_from_;
};

}  // namespace

void ParseDocument(std::u16string_view text, Node& root) {
  TreeBuilder(text, root, true, 0).Run();
}

std::vector<NodePtr> ParseFragment(std::u16string_view text, size_t depth) {
  NodePtr holder = MakeNode(NodeKind::kDocument);
  TreeBuilder(text, *holder, false, depth).Run();
  std::vector<NodePtr> nodes = std::move(holder->children);
  for (NodePtr& node : nodes) node->parent = nullptr;
  return nodes;
}

}  // namespace kpx::html
