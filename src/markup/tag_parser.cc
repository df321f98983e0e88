// The tag parser of MarkupLexer: reads one start or end tag into a TagRecord and records the
// repairs the tag needs (quotes, values of minimized attributes, escapes, duplicates, junk).
#include <iterator>
#include <utility>

#include "base/ascii_case.h"
#include "markup/attribute_escaping.h"
#include "markup/markup_char_classes.h"
#include "markup/markup_lexer.h"

namespace kpx {

namespace {

// Value given to an "xmlns:" attribute written without one, so that the prefix stays declared.
constexpr std::u16string_view kDummyNamespaceUri = u"http://www.kpx.invalid/dummy-namespace";

// A tag holds at most this many junk tokens; the next one means it is no tag.
constexpr int kMaxJunkTokens = 4;

// Attribute-value mode is on exactly while a tag is read.
class AttributeValueModeScope {
 public:
  explicit AttributeValueModeScope(MarkupLexer& lexer) : lexer_(lexer) {
    lexer_.set_attribute_value_mode(true);
  }
  ~AttributeValueModeScope() { lexer_.set_attribute_value_mode(false); }
  AttributeValueModeScope(const AttributeValueModeScope&) = delete;
  AttributeValueModeScope& operator=(const AttributeValueModeScope&) = delete;

 private:
  MarkupLexer& lexer_;
};

QuoteKind QuoteKindOf(char16_t c) {
  if (c == u'"') return QuoteKind::kDouble;
  if (c == u'\'') return QuoteKind::kApostrophe;
  return QuoteKind::kNone;
}

}  // namespace

struct MarkupLexer::TagParseState {
  std::size_t edits_at_start = 0;
  std::size_t item_start = 0;  // where the token being handled began
  bool closed = false;
  bool aborted = false;
  bool duplicates = false;
  std::size_t abort_at = 0;         // where an abandoned tag leaves the position
  std::size_t junk_start = kNoEnd;  // pending junk, if any
  std::size_t junk_end = 0;         // end of the last junk token
  int junk_count = 0;
};

bool MarkupLexer::ParseTag(TagRecord* out) {
  TagRecord& record = out != nullptr ? *out : scratch_record_;
  record.Reset();
  record.name.SetCaseSensitive(false);
  SkipBlanks();
  const std::size_t tag_start = pos_;
  // Only "<" followed by something other than "!%?@" can give TagOpen or EndTagOpen; deciding
  // that here spares reading a whole comment twice.
  if (CharAt(pos_) != u'<') return false;
  const char16_t second = CharAt(pos_ + 1);
  if (second == u'!' || second == u'%' || second == u'?' || second == u'@') return false;
  if (!script_mode_ && !server_code_in_string_) {
    if (ParsePlainTag(record, tag_start)) return true;
    record.Reset();  // read it again, the general way
  }
  // "<" or "</" as ReadAfterAngle reads them, outside script mode without a branch on which.
  LexToken open;
  if (script_mode_) {
    open = ReadAfterAngle(tag_start);
  } else {
    const bool end_tag = second == u'/';
    pos_ = tag_start + 1 + (end_tag ? 1 : 0);
    open = Finish(end_tag ? LexToken::kEndTagOpen : LexToken::kTagOpen, tag_start);
  }
  if (open != LexToken::kTagOpen && open != LexToken::kEndTagOpen) {
    pos_ = tag_start;
    return false;
  }

  AttributeValueModeScope mode(*this);
  record.tag_start = tag_start;
  record.end_tag = open == LexToken::kEndTagOpen;
  // A tag name follows "<" directly and begins with an ASCII letter: "< p" and "<3" are text.
  const bool spaced = SkipBlanks();
  record.name_position = pos_;
  if (spaced || !HasCharClass(CharAt(pos_), kCharAsciiLetter)) {
    pos_ = tag_start;
    return false;
  }
  ReadPlainRun(pos_);  // a Name, as it starts with a letter
  AssignLastTokenText(record.name);

  TagParseState state;
  state.edits_at_start = edits_recorded_;
  while (!state.closed && !state.aborted) {
    SkipBlanks();
    if (pos_ >= size_) break;  // the text ended inside the tag
    state.item_start = pos_;
    const LexToken kind = ReadTagToken();
    switch (kind) {
      case LexToken::kName:
        ParseAttribute(record, state);
        break;
      case LexToken::kTagOpen:
      case LexToken::kDeclOpen:
        // A "<" inside a tag means the tag was never closed; the "<" is read again.
        state.aborted = true;
        state.abort_at = state.item_start;
        break;
      case LexToken::kTagClose:
      case LexToken::kServerClose:
        state.closed = true;
        break;
      case LexToken::kLBrace:
        ParsePlaceholder(record, state);
        break;
      default: {
        if (kind == LexToken::kOther && LastTokenSource() == u"/") {
          // "/" right before the end of the tag: self-closing. Looked at without reading on.
          std::size_t p = pos_;
          while (p < size_ && IsBlank(data_[p])) ++p;
          const char16_t c = CharAt(p);
          if (c == u'>' ||
              ((c == u'!' || c == u'%' || c == u'?' || c == u'@') && CharAt(p + 1) == u'>')) {
            record.self_closing = true;
            break;
          }
        }
        CountJunk(state);
        break;
      }
    }
  }
  if (state.aborted || state.junk_start != kNoEnd || !record.junk_ranges.empty()) {
    FinishTag(record, state);
  } else {
    record.needs_rewrite = state.duplicates || !state.closed;  // FinishTag's plain case
  }
  return !state.aborted;
}

// The shape of nearly every tag of real pages: a name, then attributes that are minimized or have
// a value in quotes, each after blanks, then ">" or "/>". Read here straight from the character
// masks, with no token in between. Anything else (junk, duplicates, placeholders, unquoted or
// unclosed values, server code, a quote that does not end its value, the end of the text) makes
// it return false having recorded nothing, changed nothing but the record, and the general
// parser reads the tag again. Its repairs (values of minimized attributes, escapes) are recorded
// at the end, in the order the general parser records them.
bool MarkupLexer::ParsePlainTag(TagRecord& record, std::size_t tag_start) {
  const bool end_tag = data_[tag_start + 1] == u'/';
  std::size_t p = tag_start + (end_tag ? 2 : 1);
  if (!HasCharClass(CharAt(p), kCharAsciiLetter)) return false;
  const std::size_t name_begin = p;
  p = FindInMask(p + 1, kScanRunEnd);
  record.tag_start = tag_start;
  record.end_tag = end_tag;
  record.name_position = name_begin;
  record.name.AssignFrom(Text(), name_begin, p - name_begin);
  for (;;) {
    p = FindInMask(p, kScanNotBlank);
    if (p >= size_) return false;
    const char16_t c = data_[p];
    if (c == u'>') break;
    if (c == u'/') {
      const std::size_t close = FindInMask(p + 1, kScanNotBlank);
      if (CharAt(close) != u'>') return false;
      record.self_closing = true;
      p = close;
      break;
    }
    if (!InMask(p, kScanNameStart)) return false;
    const std::size_t attribute_start = p;
    p = FindInMask(p + 1, kScanRunEnd);
    // Names read from the text compare ignoring case, as a plain view does.
    const std::u16string_view name = Text().substr(attribute_start, p - attribute_start);
    if (record.attributes.Find(name) != nullptr) return false;  // a duplicate
    AttributeRecord& attribute = record.attributes.AppendDefault();
    attribute.name.AssignFrom(Text(), attribute_start, name.size());
    attribute.name.SetCaseSensitive(false);
    attribute.name_position = attribute_start;
    attribute.from_source = true;
    const std::size_t equals = FindInMask(p, kScanNotBlank);
    if (CharAt(equals) != u'=') {
      // Minimized: its own name, in lower case, is its value.
      attribute.value.Assign(attribute.name.View());
      attribute.value.ToLower();
      attribute.value_position = p;
      continue;
    }
    const std::size_t open = FindInMask(equals + 1, kScanNotBlank);
    const char16_t quote = CharAt(open);
    if (quote != u'"' && quote != u'\'') return false;
    std::size_t close = open + 1;
    for (;; ++close) {
      close = FindInMask(close, kScanStringStop);
      if (close >= size_) return false;
      const char16_t stop = data_[close];
      if (stop == quote) break;
      if ((stop == u'<' && CharAt(close + 1) == u'%') ||
          (stop == u'%' && CharAt(close + 1) == u'>')) {
        return false;  // server code
      }
    }
    if (close + 1 < size_ &&
        !HasCharClass(data_[close + 1], kCharQuoteFollower | kCharWhitespace | kCharLineBreak)) {
      return false;  // a missing space, or a quote inside the value
    }
    attribute.equals_position = equals;
    attribute.value_position = open;
    attribute.quote_kind = QuoteKindOf(quote);
    attribute.value.AssignFrom(Text(), open + 1, close - open - 1);
    if (attribute.value.IsEmpty() &&
        StartsWithIgnoringAsciiCase(attribute.name.View(), u"xmlns:")) {
      attribute.value.Assign(kDummyNamespaceUri);
    }
    p = close + 1;
  }
  pos_ = p + 1;
  FinishText(LexToken::kTagClose, p, p, p + 1);
  attribute_value_mode_ = false;
  record.needs_rewrite = false;
  if (record_repairs_) {
    for (AttributeRecord& attribute : record.attributes) {
      if (attribute.quote_kind == QuoteKind::kNone) {
        MarkupString repair(u"=\"");
        repair.Append(attribute.value);
        repair.Append(u'"');
        RecordInsert(attribute.value_position, repair.View(), true);
      } else if (!AttributeEscapingOff()) {
        EscapeAttributeValue(attribute.value, &counting_sink_, attribute.value_position + 1);
      }
    }
  }
  return true;
}

// NextToken at a position that holds no blank, with the tokens most frequent inside a tag first.
LexToken MarkupLexer::ReadTagToken() {
  const std::size_t start = pos_;
  if (data_[start] == u'>') {
    pos_ = start + 1;
    return Finish(LexToken::kTagClose, start);
  }
  if (ReadPlainRun(start)) return token_.kind;
  return NextToken();
}

void MarkupLexer::ParseAttribute(TagRecord& record, TagParseState& state) {
  // Built in place at the end of the list (a duplicate is taken out again below).
  AttributeRecord& attribute = record.attributes.AppendDefault();
  AssignLastTokenText(attribute.name);
  attribute.name.SetCaseSensitive(false);
  attribute.name_position = state.item_start;
  attribute.from_source = true;
  const std::size_t edits_before = edits_recorded_;
  const std::size_t after_name = pos_;

  // The value, if "=" follows; value_offset is where its text starts in the source.
  std::size_t value_offset = kNoEnd;
  SkipBlanks();
  if (CharAt(pos_) == u'=') {
    attribute.equals_position = pos_;
    ++pos_;
    SkipBlanks();
    const std::size_t value_start = pos_;
    attribute.value_position = value_start;
    attribute.quote_kind = QuoteKindOf(CharAt(value_start));
    value_offset = value_start;
    if (attribute.quote_kind == QuoteKind::kNone) {
      ReadUnquotedValue(attribute, value_start, false);
    } else {
      // A string in attribute-value or script mode, read as NextToken would.
      const char16_t quote = data_[value_start];
      const LexToken kind = script_mode_            ? ReadScriptString(value_start, quote)
                            : attribute_value_mode_ ? ReadAttributeString(value_start, quote)
                                                    : NextToken();
      if (kind == LexToken::kHtmlString || kind == LexToken::kScriptString) {
        value_offset = value_start + 1;
        if (!(server_code_in_string_ && ReadServerCodeValue(attribute, value_start))) {
          AssignLastTokenText(attribute.value);
        }
      } else {
        // The string never closed: take the value as if unquoted, after its opening quote.
        value_offset = value_start + 1;
        ReadUnquotedValue(attribute, value_start, true);
      }
    }
  } else {
    // A minimized attribute gets its own name, in lower case, as its value.
    pos_ = after_name;
    attribute.value.Assign(attribute.name.View());
    attribute.value.ToLower();
    attribute.value_position = after_name;
    if (record_repairs_) {
      MarkupString repair(u"=\"");
      repair.Append(attribute.value);
      repair.Append(u'"');
      RecordInsert(after_name, repair.View(), true);
    }
  }

  const bool duplicate = record.attributes.Find(attribute.name) != &attribute;
  // A duplicate goes together with the repairs recorded for it.
  if (duplicate) WithdrawEdits(edits_recorded_ - edits_before);
  if (state.junk_start != kNoEnd) {
    record.junk_ranges.push_back({state.junk_start, state.item_start - state.junk_start});
    if (record_repairs_) RecordDelete(state.junk_start, state.item_start - state.junk_start);
    state.junk_start = kNoEnd;
  }
  if (duplicate) {
    // The first one stays.
    record.attributes.Erase(std::prev(record.attributes.end()));
    state.duplicates = true;
    if (record_repairs_) RecordDelete(state.item_start, pos_ - state.item_start);
    return;
  }
  if (value_offset != kNoEnd && record_repairs_ && !AttributeEscapingOff()) {
    EscapeAttributeValue(attribute.value, &counting_sink_, value_offset);
  }
  if (attribute.value.IsEmpty() && StartsWithIgnoringAsciiCase(attribute.name.View(), u"xmlns:")) {
    attribute.value.Assign(kDummyNamespaceUri);
  }
}

// An unquoted value runs to ">", whitespace, a line break or the end. A double quote right
// before ">" closes a value whose opening quote is missing (href=x"> holds x), so only the
// opening quote is added then.
void MarkupLexer::ReadUnquotedValue(AttributeRecord& attribute, std::size_t value_start,
                                    bool skip_quote) {
  const std::size_t begin = value_start + (skip_quote ? 1 : 0);
  std::size_t end = begin;
  while (end < size_ && data_[end] != u'>' && !IsBlank(data_[end])) ++end;
  const bool closing_quote =
      !skip_quote && end > begin && end < size_ && data_[end] == u'>' && data_[end - 1] == u'"';
  attribute.value.Assign(Text().substr(begin, end - begin - (closing_quote ? 1 : 0)));
  pos_ = end;
  if (!record_repairs_) return;
  if (skip_quote) {
    // An unclosed quoted value: close it with its own quote.
    const char16_t quote[1] = {data_[value_start]};
    RecordInsert(end, std::u16string_view(quote, 1), true);
    return;
  }
  RecordInsert(value_start, u"\"", true);
  if (!closing_quote) RecordInsert(end, u"\"", true);
}

// A value that opened server code ("<%") whose string ended before the code was closed: the
// quotes inside belong to the code. The value runs on past the "%>" to the next quote of its
// own kind; both of its quotes are then already the same, so nothing is repaired. A "<" that
// opens no server code, or the end of the text, met first means the code never closes here:
// the value stays as the string read.
bool MarkupLexer::ReadServerCodeValue(AttributeRecord& attribute, std::size_t string_begin) {
  const char16_t quote = data_[string_begin];
  // A search that starts inside one that failed fails at the same place.
  if (server_code_miss_from_ != kNoEnd && pos_ >= server_code_miss_from_ &&
      pos_ < server_code_miss_at_) {
    return false;
  }
  std::size_t p = pos_;
  bool code_closed = false;
  for (; p < size_; ++p) {
    const char16_t c = data_[p];
    if (!code_closed) {
      if (c == u'%' && CharAt(p + 1) == u'>') {
        code_closed = true;
        ++p;
      } else if (c == u'<' && CharAt(p + 1) != u'%') {
        break;
      }
    } else if (c == quote) {
      attribute.value.Assign(Text().substr(string_begin + 1, p - string_begin - 1));
      pos_ = p + 1;
      server_code_in_string_ = false;
      return true;
    } else if (c == u'<') {
      break;
    }
  }
  server_code_miss_from_ = pos_;
  server_code_miss_at_ = p;
  return false;
}

// "{Name}" in attribute position: the placeholder attribute receives it, or it is junk. When it
// is not a placeholder the brace alone is junk and reading goes on right after it.
void MarkupLexer::ParsePlaceholder(TagRecord& record, TagParseState& state) {
  const std::size_t after_brace = pos_;
  std::size_t p = pos_;
  while (p < size_ && IsBlank(data_[p])) ++p;
  const std::size_t name_begin = p;
  std::size_t name_end = p;
  if (p < size_ && HasCharClass(data_[p], kCharNameStart)) {
    while (p < size_ && HasCharClass(data_[p], kCharName)) ++p;
    name_end = p;
    while (p < size_ && IsBlank(data_[p])) ++p;
  }
  const bool placeholder = name_end > name_begin && CharAt(p) == u'}';
  if (!placeholder) {
    pos_ = after_brace;
    if (state.junk_start == kNoEnd) state.junk_start = state.item_start;
    state.junk_end = pos_;
    return;
  }
  pos_ = p + 1;
  if (!junk_attribute_.IsEmpty()) {
    CountJunk(state);
    return;
  }
  if (!placeholder_attribute_.IsEmpty() &&
      record.attributes.Find(placeholder_attribute_) == nullptr) {
    // Junk before the placeholder ends where it starts, as before an attribute.
    if (state.junk_start != kNoEnd) {
      record.junk_ranges.push_back({state.junk_start, state.item_start - state.junk_start});
      if (record_repairs_) RecordDelete(state.junk_start, state.item_start - state.junk_start);
      state.junk_start = kNoEnd;
    }
    MarkupString value(u"{");
    value.Append(Text().substr(name_begin, name_end - name_begin));
    value.Append(u'}');
    AttributeRecord* added = record.attributes.Add(placeholder_attribute_, value.View());
    added->name_position = state.item_start;
    return;
  }
  if (state.junk_start == kNoEnd) state.junk_start = state.item_start;
  state.junk_end = pos_;
}

void MarkupLexer::CountJunk(TagParseState& state) {
  if (state.junk_start == kNoEnd) state.junk_start = state.item_start;
  state.junk_end = pos_;
  if (state.junk_count == kMaxJunkTokens) {
    state.aborted = true;
    state.abort_at = pos_;
    return;
  }
  ++state.junk_count;
}

void MarkupLexer::FinishTag(TagRecord& record, TagParseState& state) {
  if (state.aborted) {
    WithdrawEdits(edits_recorded_ - state.edits_at_start);
    pos_ = state.abort_at;
    return;
  }
  if (state.junk_start != kNoEnd) {
    record.junk_ranges.push_back({state.junk_start, state.junk_end - state.junk_start});
  }
  record.needs_rewrite = state.duplicates || !state.closed;
  if (!junk_attribute_.IsEmpty() && !record.junk_ranges.empty() &&
      record.attributes.Find(junk_attribute_) == nullptr) {
    AttributeRecord* junk = record.attributes.Add(junk_attribute_, u"");
    for (const JunkRange& range : record.junk_ranges) {
      junk->value.Append(Text().substr(range.start, range.length));
    }
  }
}

}  // namespace kpx
