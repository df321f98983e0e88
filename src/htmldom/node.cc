// The node tree of the HTML document stand-in: changes, attributes, references, walking.
#include "htmldom/node.h"

#include "base/ascii_case.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <utility>

namespace kpx::html {

namespace {

template <size_t N>
bool IsOneOf(std::u16string_view name, const std::array<std::u16string_view, N>& names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

constexpr std::array<std::u16string_view, 20> kVoidElements = {
    u"area",  u"base",  u"basefont", u"bgsound", u"br",      u"col",    u"embed",
    u"frame", u"hr",    u"img",      u"input",   u"isindex", u"keygen", u"link",
    u"meta",  u"param", u"source",   u"track",   u"wbr",     u"spacer"};

constexpr std::array<std::u16string_view, 9> kRawTextElements = {
    u"script", u"style",   u"textarea", u"title",    u"xmp",
    u"iframe", u"noembed", u"noframes", u"plaintext"};

struct NamedReference {
  std::u16string_view name;
  char16_t value;
};

// The references that pages commonly carry; others stay as written.
constexpr NamedReference kNamedReferences[] = {
    {u"amp", u'&'},         {u"lt", u'<'},          {u"gt", u'>'},          {u"quot", u'"'},
    {u"apos", u'\''},       {u"nbsp", u'\u00A0'},   {u"copy", u'\u00A9'},   {u"reg", u'\u00AE'},
    {u"trade", u'\u2122'},  {u"hellip", u'\u2026'}, {u"mdash", u'\u2014'},  {u"ndash", u'\u2013'},
    {u"laquo", u'\u00AB'},  {u"raquo", u'\u00BB'},  {u"lsquo", u'\u2018'},  {u"rsquo", u'\u2019'},
    {u"ldquo", u'\u201C'},  {u"rdquo", u'\u201D'},  {u"bull", u'\u2022'},   {u"middot", u'\u00B7'},
    {u"euro", u'\u20AC'},   {u"pound", u'\u00A3'},  {u"yen", u'\u00A5'},    {u"cent", u'\u00A2'},
    {u"sect", u'\u00A7'},   {u"deg", u'\u00B0'},    {u"plusmn", u'\u00B1'}, {u"times", u'\u00D7'},
    {u"divide", u'\u00F7'}, {u"para", u'\u00B6'},   {u"shy", u'\u00AD'},    {u"iexcl", u'\u00A1'},
    {u"iquest", u'\u00BF'}, {u"auml", u'\u00E4'},   {u"ouml", u'\u00F6'},   {u"uuml", u'\u00FC'},
    {u"Auml", u'\u00C4'},   {u"Ouml", u'\u00D6'},   {u"Uuml", u'\u00DC'},   {u"szlig", u'\u00DF'},
    {u"eacute", u'\u00E9'}, {u"egrave", u'\u00E8'}, {u"agrave", u'\u00E0'}, {u"ccedil", u'\u00E7'},
};

void AppendCodePoint(std::u16string& out, uint32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

// Reads the reference that starts at raw[i] ("&"); on success appends it, sets *next past the
// ";" and returns true.
bool ReadReference(std::u16string_view raw, size_t i, std::u16string& out, size_t* next) {
  size_t semicolon = raw.find(u';', i + 1);
  // Names and numbers are short; a far ";" belongs to something else.
  if (semicolon == std::u16string_view::npos || semicolon - i > 12) return false;
  std::u16string_view body = raw.substr(i + 1, semicolon - i - 1);
  if (body.empty()) return false;
  if (body[0] == u'#') {
    bool hex = body.size() > 1 && (body[1] == u'x' || body[1] == u'X');
    std::u16string_view digits = body.substr(hex ? 2 : 1);
    if (digits.empty()) return false;
    uint32_t cp = 0;
    for (char16_t c : digits) {
      uint32_t d;
      if (c >= u'0' && c <= u'9') {
        d = c - u'0';
      } else if (hex && c >= u'a' && c <= u'f') {
        d = c - u'a' + 10;
      } else if (hex && c >= u'A' && c <= u'F') {
        d = c - u'A' + 10;
      } else {
        return false;
      }
      cp = cp * (hex ? 16 : 10) + d;
      if (cp > 0x10FFFF) cp = 0x110000;  // stays out of range without overflowing
    }
    AppendCodePoint(out, cp);
    *next = semicolon + 1;
    return true;
  }
  for (const NamedReference& ref : kNamedReferences) {
    if (ref.name == body) {
      out.push_back(ref.value);
      *next = semicolon + 1;
      return true;
    }
  }
  return false;
}

// Documents are used from one thread at a time; the counter only needs to move.
std::atomic<uint64_t> structure_stamp{0};

void PropagateUp(Node* node) {
  for (Node* p = node ? node->parent : nullptr; p && !p->subtree_changed; p = p->parent) {
    p->subtree_changed = true;
  }
}

Attribute* FindMutableAttribute(Node& node, std::u16string_view name) {
  for (Attribute& a : node.attributes) {
    if (EqualsIgnoringCase(a.name, name)) return &a;
  }
  return nullptr;
}

}  // namespace

NodePtr MakeNode(NodeKind kind, std::u16string name) {
  auto node = std::make_shared<Node>();
  node->kind = kind;
  node->name = std::move(name);
  return node;
}

std::u16string AsciiLower(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiToLower(c);
  return out;
}

std::u16string AsciiUpper(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  }
  return out;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiToLower(a[i]) != AsciiToLower(b[i])) return false;
  }
  return true;
}

bool IsVoidElement(std::u16string_view lower_name) {
  return IsOneOf(lower_name, kVoidElements);
}

bool IsRawTextElement(std::u16string_view lower_name) {
  return IsOneOf(lower_name, kRawTextElements);
}

void MarkTagChanged(Node& node) {
  node.tag_changed = true;
  PropagateUp(&node);
}

void MarkContentChanged(Node& node) {
  node.content_changed = true;
  structure_stamp.fetch_add(1, std::memory_order_relaxed);
  PropagateUp(&node);
}

uint64_t StructureStamp() {
  return structure_stamp.load(std::memory_order_relaxed);
}

void InsertChild(Node& parent, size_t index, NodePtr child) {
  if (child->parent) RemoveChild(*child->parent, ChildIndex(*child));
  child->parent = &parent;
  index = std::min(index, parent.children.size());
  parent.children.insert(parent.children.begin() + static_cast<std::ptrdiff_t>(index),
                         std::move(child));
  MarkContentChanged(parent);
}

void AppendChild(Node& parent, NodePtr child) {
  InsertChild(parent, parent.children.size(), std::move(child));
}

NodePtr RemoveChild(Node& parent, size_t index) {
  NodePtr child = parent.children[index];
  parent.children.erase(parent.children.begin() + static_cast<std::ptrdiff_t>(index));
  child->parent = nullptr;
  MarkContentChanged(parent);
  return child;
}

void ReplaceChildren(Node& parent, std::vector<NodePtr> children) {
  for (NodePtr& old : parent.children) old->parent = nullptr;
  parent.children = std::move(children);
  for (NodePtr& child : parent.children) child->parent = &parent;
  MarkContentChanged(parent);
}

const Attribute* FindAttribute(const Node& node, std::u16string_view name) {
  for (const Attribute& a : node.attributes) {
    if (EqualsIgnoringCase(a.name, name)) return &a;
  }
  return nullptr;
}

std::optional<std::u16string> AttributeValue(const Node& node, std::u16string_view name) {
  const Attribute* a = FindAttribute(node, name);
  if (!a) return std::nullopt;
  return DecodeReferences(a->raw_value);
}

bool SetAttribute(Node& node, std::u16string_view name, std::u16string_view value) {
  Attribute* a = FindMutableAttribute(node, name);
  if (a && a->has_value && DecodeReferences(a->raw_value) == value) return false;
  if (!a) {
    node.attributes.push_back(Attribute{std::u16string(name), {}, true});
    a = &node.attributes.back();
  }
  a->raw_value = EscapeAttributeValue(value);
  a->has_value = true;
  MarkTagChanged(node);
  return true;
}

bool SetBareAttribute(Node& node, std::u16string_view name) {
  if (FindAttribute(node, name)) return false;
  node.attributes.push_back(Attribute{std::u16string(name), {}, false});
  MarkTagChanged(node);
  return true;
}

bool RemoveAttribute(Node& node, std::u16string_view name) {
  auto it = std::find_if(node.attributes.begin(), node.attributes.end(),
                         [&](const Attribute& a) { return EqualsIgnoringCase(a.name, name); });
  if (it == node.attributes.end()) return false;
  node.attributes.erase(it);
  MarkTagChanged(node);
  return true;
}

std::u16string DecodeReferences(std::u16string_view raw) {
  if (raw.find(u'&') == std::u16string_view::npos) return std::u16string(raw);
  std::u16string out;
  out.reserve(raw.size());
  for (size_t i = 0; i < raw.size();) {
    size_t next = 0;
    if (raw[i] == u'&' && ReadReference(raw, i, out, &next)) {
      i = next;
    } else {
      out.push_back(raw[i++]);
    }
  }
  return out;
}

std::u16string EscapeText(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    switch (c) {
      case u'&':
        out += u"&amp;";
        break;
      case u'<':
        out += u"&lt;";
        break;
      case u'>':
        out += u"&gt;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

std::u16string EscapeAttributeValue(std::u16string_view value) {
  std::u16string out;
  out.reserve(value.size());
  for (char16_t c : value) {
    switch (c) {
      case u'&':
        out += u"&amp;";
        break;
      case u'"':
        out += u"&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

size_t ChildIndex(const Node& child) {
  // From the end: edits mostly append and remove at the end.
  const auto& siblings = child.parent->children;
  for (size_t i = siblings.size(); i-- > 0;) {
    if (siblings[i].get() == &child) return i;
  }
  return siblings.size();
}

bool IsInside(const Node& node, const Node& root) {
  for (const Node* p = &node; p; p = p->parent) {
    if (p == &root) return true;
  }
  return false;
}

Node* AncestorNamed(const Node& node, std::u16string_view lower_name) {
  for (Node* p = node.parent; p; p = p->parent) {
    if (p->Is(lower_name)) return p;
  }
  return nullptr;
}

size_t Depth(const Node& node) {
  size_t depth = 0;
  for (const Node* p = node.parent; p; p = p->parent) ++depth;
  return depth;
}

std::vector<Node*> TableRows(const Node& table) {
  std::vector<Node*> rows;
  for (const NodePtr& child : table.children) {
    if (child->Is(u"tr")) {
      rows.push_back(child.get());
    } else if (child->Is(u"tbody") || child->Is(u"thead") || child->Is(u"tfoot")) {
      for (const NodePtr& row : child->children) {
        if (row->Is(u"tr")) rows.push_back(row.get());
      }
    }
  }
  return rows;
}

std::vector<Node*> RowCells(const Node& row) {
  std::vector<Node*> cells;
  for (const NodePtr& child : row.children) {
    if (child->Is(u"td") || child->Is(u"th")) cells.push_back(child.get());
  }
  return cells;
}

std::vector<NodePtr> SharedNodes(const std::vector<Node*>& nodes) {
  std::vector<NodePtr> out;
  out.reserve(nodes.size());
  for (Node* n : nodes) out.push_back(n->shared_from_this());
  return out;
}

}  // namespace kpx::html
