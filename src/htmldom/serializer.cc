// Markup, text and write-back of the document stand-in's node tree.
#include "htmldom/serializer.h"

namespace kpx::html {

namespace {

void AppendStartTag(const Node& element, std::u16string& out) {
  out += u'<';
  out += AsciiUpper(element.name);
  for (const Attribute& a : element.attributes) {
    out += u' ';
    out += a.name;
    if (!a.has_value) continue;
    const bool has_double = a.raw_value.find(u'"') != std::u16string::npos;
    const bool has_single = a.raw_value.find(u'\'') != std::u16string::npos;
    if (has_double && !has_single) {
      out += u"='";
      out += a.raw_value;
      out += u'\'';
      continue;
    }
    out += u"=\"";
    for (char16_t c : a.raw_value) {
      if (c == u'"') {
        out += u"&quot;";
      } else {
        out += c;
      }
    }
    out += u'"';
  }
  out += u'>';
}

void AppendEndTag(const Node& element, std::u16string& out) {
  out += u"</";
  out += AsciiUpper(element.name);
  out += u'>';
}

void AppendOuter(const Node& node, std::u16string& out);

void AppendInner(const Node& node, std::u16string& out) {
  for (const NodePtr& child : node.children) AppendOuter(*child, out);
}

void AppendOuter(const Node& node, std::u16string& out) {
  switch (node.kind) {
    case NodeKind::kDocument:
      AppendInner(node, out);
      return;
    case NodeKind::kElement:
      AppendStartTag(node, out);
      if (IsVoidElement(node.name)) return;
      AppendInner(node, out);
      AppendEndTag(node, out);
      return;
    case NodeKind::kText:
    case NodeKind::kComment:
    case NodeKind::kVerbatim:
      out += node.text;
      return;
  }
}

bool InScriptOrStyle(const Node& text_node) {
  const Node* parent = text_node.parent;
  return parent && (parent->Is(u"script") || parent->Is(u"style"));
}

void AppendText(const Node& node, std::u16string& out) {
  if (node.kind == NodeKind::kText) {
    if (!InScriptOrStyle(node)) out += DecodeReferences(node.text);
    return;
  }
  for (const NodePtr& child : node.children) AppendText(*child, out);
}

bool Untouched(const Node& node) {
  return node.from_source && !node.tag_changed && !node.content_changed && !node.subtree_changed;
}

void AppendWriteBack(const Node& node, std::u16string_view source, std::u16string& out) {
  if (Untouched(node)) {
    out.append(source.substr(node.source.begin, node.source.end - node.source.begin));
    return;
  }
  if (!node.from_source || node.kind != NodeKind::kElement) {
    if (node.kind == NodeKind::kDocument) {
      for (const NodePtr& child : node.children) AppendWriteBack(*child, source, out);
    } else {
      AppendOuter(node, out);
    }
    return;
  }
  const SourceExtent& at = node.source;
  if (node.tag_changed) {
    AppendStartTag(node, out);
  } else {
    out.append(source.substr(at.begin, at.start_tag_end - at.begin));
  }
  if (IsVoidElement(node.name)) return;
  for (const NodePtr& child : node.children) AppendWriteBack(*child, source, out);
  if (at.has_end_tag) {
    out.append(source.substr(at.end_tag_begin, at.end - at.end_tag_begin));
  } else if (node.tag_changed || node.content_changed) {
    // The element itself was edited: its end is no longer left for what follows to imply.
    AppendEndTag(node, out);
  }
}

}  // namespace

std::u16string OuterHtml(const Node& node) {
  std::u16string out;
  AppendOuter(node, out);
  return out;
}

std::u16string InnerHtml(const Node& node) {
  std::u16string out;
  AppendInner(node, out);
  return out;
}

std::u16string InnerText(const Node& node) {
  std::u16string out;
  AppendText(node, out);
  return out;
}

std::u16string TextOf(const Node& text_node) {
  if (text_node.kind != NodeKind::kText || InScriptOrStyle(text_node)) return {};
  return DecodeReferences(text_node.text);
}

std::u16string WriteBack(const Node& root, std::u16string_view source) {
  std::u16string out;
  out.reserve(source.size());
  AppendWriteBack(root, source, out);
  return out;
}

}  // namespace kpx::html
