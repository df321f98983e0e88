#include "markup/attribute_list.h"

#include <utility>

#include "markup/ascii_case.h"
#include "markup/attribute_escaping.h"

namespace kpx {

namespace {

// The list's name rule: case-sensitive only when both sides carry the flag.
bool NameMatches(const MarkupString& stored, const MarkupString& key) noexcept {
  return stored == key;
}

bool NameMatches(const MarkupString& stored, std::u16string_view key) noexcept {
  return EqualsIgnoringAsciiCase(stored.View(), key);
}

template <class List, class Key>
auto FindIn(List& records, const Key& name) noexcept -> decltype(&*records.begin()) {
  for (auto& record : records) {
    if (NameMatches(record.name, name)) return &record;
  }
  return nullptr;
}

MarkupString UnflaggedName(std::u16string_view name) {
  return MarkupString(name, false);
}

char16_t QuoteChar(QuoteKind kind) noexcept {
  switch (kind) {
    case QuoteKind::kApostrophe:
      return u'\'';
    case QuoteKind::kDouble:
      return u'"';
    case QuoteKind::kNone:
      break;
  }
  return 0;
}

}  // namespace

AttributeRecord* AttributeList::Find(const MarkupString& name) noexcept {
  return FindIn(records_, name);
}
const AttributeRecord* AttributeList::Find(const MarkupString& name) const noexcept {
  return FindIn(records_, name);
}
AttributeRecord* AttributeList::Find(std::u16string_view name) noexcept {
  return FindIn(records_, name);
}
const AttributeRecord* AttributeList::Find(std::u16string_view name) const noexcept {
  return FindIn(records_, name);
}

AttributeRecord* AttributeList::Add(const MarkupString& name, std::u16string_view value) {
  if (Find(name)) return nullptr;
  AttributeRecord record;
  record.name = name;
  record.value.Assign(value);
  return &Append(std::move(record));
}

AttributeRecord* AttributeList::Add(std::u16string_view name, std::u16string_view value) {
  if (Find(name)) return nullptr;
  return Add(UnflaggedName(name), value);
}

AttributeRecord& AttributeList::Append(AttributeRecord record) {
  records_.push_back(std::move(record));
  return records_.back();
}

bool AttributeList::Remove(const MarkupString& name) {
  for (auto it = records_.begin(); it != records_.end(); ++it) {
    if (NameMatches(it->name, name)) {
      records_.erase(it);
      return true;
    }
  }
  return false;
}

bool AttributeList::Remove(std::u16string_view name) {
  return Remove(UnflaggedName(name));
}

MarkupString& AttributeList::ValueOf(const MarkupString& name) {
  if (AttributeRecord* found = Find(name)) return found->value;
  return Add(name, u"")->value;
}

MarkupString& AttributeList::ValueOf(std::u16string_view name) {
  return ValueOf(UnflaggedName(name));
}

void AttributeList::Merge(const AttributeList& other) {
  for (const AttributeRecord& record : other.records_) {
    if (!Find(record.name)) Append(record);
  }
}

void AttributeList::LowerCaseNames() noexcept {
  for (AttributeRecord& record : records_) record.name.ToLower();
}

void AttributeList::UpperCaseNames() noexcept {
  for (AttributeRecord& record : records_) record.name.ToUpper();
}

void AttributeList::SplitNamespaceAttributes() {
  constexpr std::u16string_view kXmlns = u"xmlns";
  // Only the attributes present on entry; twins appended here are not looked at again.
  const std::size_t count = records_.size();
  auto it = records_.begin();
  for (std::size_t i = 0; i < count; ++i, ++it) {
    AttributeRecord& record = *it;
    if (!record.name.StartsWith(kXmlns)) continue;
    if (record.name.Length() == kXmlns.size()) {
      record.name.Assign(u"kpsxmlns");
    } else if (record.name.Length() > kXmlns.size() + 1 && record.name[kXmlns.size()] == u':') {
      AttributeRecord twin = record;
      std::u16string renamed = twin.name.Str();
      renamed[kXmlns.size()] = u'-';
      twin.name.Assign(renamed);
      twin.from_source = false;
      records_.push_back(std::move(twin));
    }
  }
}

MarkupString AttributeList::Serialize(bool keep_quotes) const {
  MarkupString out;
  for (const AttributeRecord& record : records_) {
    const char16_t quote = keep_quotes ? QuoteChar(record.quote_kind) : u'"';
    MarkupString value = record.value;
    EscapeAttributeValue(value);
    out.Append(u' ');
    out.Append(record.name);
    out.Append(u'=');
    if (quote) out.Append(quote);
    out.Append(value);
    if (quote) out.Append(quote);
  }
  return out;
}

}  // namespace kpx
