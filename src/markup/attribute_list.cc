#include "markup/attribute_list.h"

#include <iterator>
#include <utility>

#include "base/ascii_case.h"
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

std::size_t KeyLength(const MarkupString& key) noexcept {
  return key.Length();
}

std::size_t KeyLength(std::u16string_view key) noexcept {
  return key.size();
}

// Names of another length never match: that is checked before the comparison is called.
template <class List, class Key>
auto FindIn(List& records, const Key& name) noexcept -> decltype(&*records.begin()) {
  const std::size_t length = KeyLength(name);
  for (auto& record : records) {
    if (record.name.Length() == length && NameMatches(record.name, name)) return &record;
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
  return FindIn(*this, name);
}
const AttributeRecord* AttributeList::Find(const MarkupString& name) const noexcept {
  return FindIn(*this, name);
}
AttributeRecord* AttributeList::Find(std::u16string_view name) noexcept {
  return FindIn(*this, name);
}
const AttributeRecord* AttributeList::Find(std::u16string_view name) const noexcept {
  return FindIn(*this, name);
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

AttributeList& AttributeList::operator=(const AttributeList& other) {
  if (this != &other) {
    Clear();
    for (const AttributeRecord& record : other) Append(record);
  }
  return *this;
}

AttributeRecord& AttributeList::Append(AttributeRecord record) {
  AttributeRecord& node = NextNode();
  node = std::move(record);
  return node;
}

AttributeRecord& AttributeList::AppendDefault() {
  AttributeRecord& record = NextNode();
  record.name.Clear();
  record.name.SetCaseSensitive(true);
  record.value.Clear();
  record.value.SetCaseSensitive(true);
  record.name_position = 0;
  record.value_position = 0;
  record.equals_position = 0;
  record.quote_kind = QuoteKind::kNone;
  record.from_source = false;
  return record;
}

AttributeList::iterator AttributeList::Erase(const_iterator it) {
  --size_;
  const iterator next = nodes_.erase(it, it);  // the same place, as a mutable iterator
  const iterator after = std::next(next);
  if (after == kept_) {
    kept_ = next;  // the last record: its node is the first kept one now
    return kept_;
  }
  nodes_.splice(nodes_.end(), nodes_, next);  // kept behind the others
  if (kept_ == nodes_.end()) kept_ = next;
  return after;
}

bool AttributeList::Remove(const MarkupString& name) {
  for (auto it = begin(); it != end(); ++it) {
    if (NameMatches(it->name, name)) {
      Erase(it);
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
  for (const AttributeRecord& record : other) {
    if (!Find(record.name)) Append(record);
  }
}

void AttributeList::LowerCaseNames() noexcept {
  for (AttributeRecord& record : *this) record.name.ToLower();
}

void AttributeList::UpperCaseNames() noexcept {
  for (AttributeRecord& record : *this) record.name.ToUpper();
}

void AttributeList::SplitNamespaceAttributes() {
  constexpr std::u16string_view kXmlns = u"xmlns";
  // Only the attributes present on entry; twins appended here are not looked at again.
  const std::size_t count = size_;
  auto it = begin();
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
      Append(std::move(twin));
    }
  }
}

MarkupString AttributeList::Serialize(bool keep_quotes) const {
  MarkupString out;
  for (const AttributeRecord& record : *this) {
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
