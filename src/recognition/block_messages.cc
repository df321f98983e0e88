#include "recognition/block_messages.h"

#include "base/ascii_case.h"

namespace kpx {

namespace {

// A block's type as the block messages give it.
std::u16string_view TypeOf(const PageNode& node) {
  return node.name == u"Block" ? node.attributes.Get(u"type") : std::u16string_view(node.name);
}

// A block as the InsideBlock messages give it.
std::u16string Described(const PageNode& node) {
  std::u16string text(node.attributes.Get(u"name"));
  if (node.name == u"Block") {
    text += u' ';
    text += node.attributes.Get(u"type");
  }
  return text;
}

}  // namespace

std::u16string BlockKey(const PageNode& block) {
  return AsciiLowered(TypeOf(block));
}

void ReportUnmatchedEnd(ParseContext& context, std::u16string_view type, std::u16string_view name,
                        size_t offset, const PageNode* inside) {
  context.RecordError(5, offset);
  if (type.empty() || !context.Classify(type).known) return;
  if (inside) {
    const std::u16string block = std::u16string(type) + u" " + std::u16string(name);
    context.ReportAt(false, offset, u"KPProject_Synchronize_SBlockInsideBlockNotFound",
                     {block, Described(*inside)});
  } else {
    context.ReportAt(false, offset, u"KPProject_Synchronize_SBlockNotFound", {type, name});
  }
  context.OutOfSync();
}

void ReportMissingEnd(ParseContext& context, const PageNode& block, const PageNode* enclosing,
                      size_t offset) {
  if (enclosing) {
    context.ReportAt(false, offset, u"KPProject_Synchronize_EBlockInsideBlockNotFound",
                     {Described(block), Described(*enclosing)});
  } else {
    context.ReportAt(false, offset, u"KPProject_Synchronize_EBlockNotFound",
                     {TypeOf(block), block.attributes.Get(u"name")});
  }
  context.OutOfSync();
}

bool ReportOpenAtEnd(ParseContext& context, const PageNode& block) {
  context.ReportAt(false, block.range.open_start, u"KPProject_Synchronize_EBlockNotFound",
                   {TypeOf(block), block.attributes.Get(u"name")});
  return context.OutOfSync();
}

}  // namespace kpx
