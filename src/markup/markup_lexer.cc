// The token readers of MarkupLexer: one reader per construct, chosen by the first character.
#include "markup/markup_lexer.h"

#include <algorithm>
#include <utility>

#include "base/ascii_case.h"
#include "markup/markup_char_classes.h"

namespace kpx {

namespace {

constexpr std::u16string_view kScriptEndTag = u"</script>";

constexpr int QuoteIndex(char16_t quote) {
  return quote == u'"' ? 0 : 1;
}

}  // namespace

std::string_view LexTokenName(LexToken kind) {
  switch (kind) {
    case LexToken::kEnd:
      return "End";
    case LexToken::kAbort:
      return "Abort";
    case LexToken::kName:
      return "Name";
    case LexToken::kTagOpen:
      return "TagOpen";
    case LexToken::kDeclOpen:
      return "DeclOpen";
    case LexToken::kEndTagOpen:
      return "EndTagOpen";
    case LexToken::kHtmlString:
      return "HtmlString";
    case LexToken::kScriptString:
      return "ScriptString";
    case LexToken::kTagClose:
      return "TagClose";
    case LexToken::kServerClose:
      return "ServerClose";
    case LexToken::kLBrace:
      return "LBrace";
    case LexToken::kRBrace:
      return "RBrace";
    case LexToken::kEquals:
      return "Equals";
    case LexToken::kComment:
      return "Comment";
    case LexToken::kBlockComment:
      return "BlockComment";
    case LexToken::kLineComment:
      return "LineComment";
    case LexToken::kOther:
      return "Other";
  }
  return "?";
}

MarkupLexer::MarkupLexer(std::u16string text) : TextScanner(std::move(text)) {
  placeholder_attribute_.SetCaseSensitive(false);
  junk_attribute_.SetCaseSensitive(false);
}

MarkupLexer::MarkupLexer(const MarkupString& text) : MarkupLexer(std::u16string(text.View())) {}

MarkupLexer::MarkupLexer(BorrowedText text) : TextScanner(text) {
  placeholder_attribute_.SetCaseSensitive(false);
  junk_attribute_.SetCaseSensitive(false);
}

void MarkupLexer::set_placeholder_attribute_name(std::u16string_view name) {
  placeholder_attribute_.Assign(name);
}

void MarkupLexer::set_junk_attribute_name(std::u16string_view name) {
  junk_attribute_.Assign(name);
}

void MarkupLexer::RecordInsert(std::size_t position, std::u16string_view text, bool after) {
  if (edit_sink_ == nullptr) return;
  edit_sink_->Insert(position, text, after);
  ++edits_recorded_;
}

void MarkupLexer::RecordDelete(std::size_t position, std::size_t count) {
  if (edit_sink_ == nullptr) return;
  edit_sink_->Delete(position, count);
  ++edits_recorded_;
}

void MarkupLexer::WithdrawEdits(std::size_t count) {
  if (edit_sink_ == nullptr || count == 0) return;
  count = std::min(count, edits_recorded_);
  edit_sink_->Withdraw(count);
  edits_recorded_ -= count;
}

void MarkupLexer::Warn(std::u16string_view key, std::size_t offset) {
  if (warning_sink_ != nullptr) warning_sink_->Report(key, offset, 0);
}

LexToken MarkupLexer::Finish(LexToken kind, std::size_t begin) {
  return FinishText(kind, begin, begin, pos_);
}

LexToken MarkupLexer::FinishText(LexToken kind, std::size_t begin, std::size_t text_begin,
                                 std::size_t text_end) {
  token_ = TokenSpan{kind, begin, pos_, text_begin, text_end};
  return kind;
}

LexToken MarkupLexer::NextToken(MarkupString* text) {
  LexToken kind = NextToken();
  if (text != nullptr) AssignLastTokenText(*text);
  return kind;
}

LexToken MarkupLexer::NextToken() {
  SkipBlanks();
  const std::size_t start = pos_;
  if (pos_ >= size_) return Finish(LexToken::kEnd, start);
  const char16_t c = data_[pos_];
  switch (c) {
    case u'!':
    case u'%':
    case u'?':
    case u'@':
      pos_ += CharAt(pos_ + 1) == u'>' ? 2 : 1;
      return Finish(pos_ - start == 2 ? LexToken::kServerClose : LexToken::kOther, start);
    case u'"':
    case u'\'':
      if (script_mode_) return ReadScriptString(start, c);
      if (attribute_value_mode_) return ReadAttributeString(start, c);
      ++pos_;
      return Finish(LexToken::kOther, start);
    case u'/':
      return ReadAfterSlash(start);
    case u'<':
      return ReadAfterAngle(start);
    case u'=':
      ++pos_;
      return Finish(LexToken::kEquals, start);
    case u'>':
      ++pos_;
      return Finish(LexToken::kTagClose, start);
    case u'{':
      ++pos_;
      return Finish(LexToken::kLBrace, start);
    case u'}':
      ++pos_;
      return Finish(LexToken::kRBrace, start);
    default:
      return ReadRun(start);
  }
}

// A run of name characters is a Name unless it starts with "-", "#" or ":". Anything else is
// one delimiter, or a run of characters that are neither name characters nor delimiters; a
// zero character inside the text stands alone.
LexToken MarkupLexer::ReadRun(std::size_t start) {
  if (ReadPlainRun(start)) return token_.kind;
  // A delimiter read here, or a zero character, stands alone.
  pos_ = start + 1;
  return Finish(LexToken::kOther, start);
}

LexToken MarkupLexer::ReadAfterAngle(std::size_t start) {
  const char16_t next = CharAt(start + 1);
  switch (next) {
    case u'!':
      if (CharAt(start + 2) == u'-' && CharAt(start + 3) == u'-') return ReadComment(start);
      pos_ = start + 2;
      return Finish(LexToken::kDeclOpen, start);
    case u'%':
    case u'?':
    case u'@':
      pos_ = start + 2;
      return Finish(LexToken::kDeclOpen, start);
    case u'/':
      pos_ = start + 2;
      return Finish(LexToken::kEndTagOpen, start);
    default:
      pos_ = start + 1;
      // In a script body "a<b" is an expression: only "<" with a name and then another name or
      // ">" behind it is taken for a tag. Otherwise "<" is a delimiter of its own.
      if (script_mode_ && !ScriptTagFollows(pos_)) return Finish(LexToken::kOther, start);
      return Finish(LexToken::kTagOpen, start);
  }
}

bool MarkupLexer::ScriptTagFollows(std::size_t from) const {
  std::size_t p = from;
  while (p < size_ && IsBlank(data_[p])) ++p;
  if (p >= size_ || !HasCharClass(data_[p], kCharNameStart)) return false;
  while (p < size_ && HasCharClass(data_[p], kCharName)) ++p;
  while (p < size_ && IsBlank(data_[p])) ++p;
  return p < size_ && (data_[p] == u'>' || HasCharClass(data_[p], kCharNameStart));
}

bool MarkupLexer::ScriptEndAt(std::size_t offset) const {
  return offset < size_ && data_[offset] == u'<' &&
         StartsWithIgnoringAsciiCase(Text().substr(offset), kScriptEndTag);
}

LexToken MarkupLexer::ReadAfterSlash(std::size_t start) {
  const char16_t next = CharAt(start + 1);
  if (next == u'*') {
    if (script_mode_) return ReadBlockComment(start);
    pos_ = start + 2;
    return Finish(LexToken::kOther, start);
  }
  if (next == u'/') {
    if (!script_mode_) {
      pos_ = start + 2;
      return Finish(LexToken::kOther, start);
    }
    // "//>" in a script body is no comment: the first "/" stands alone.
    if (CharAt(start + 2) != u'>') return ReadLineComment(start);
  }
  pos_ = start + 1;
  return Finish(LexToken::kOther, start);
}

// "/*" through "*/", or up to a "</script>" that ends the script body first.
LexToken MarkupLexer::ReadBlockComment(std::size_t start) {
  std::size_t p = start + 2;
  for (; p < size_; ++p) {
    const char16_t c = data_[p];
    if (c == u'*' && CharAt(p + 1) == u'/') {
      pos_ = p + 2;
      return Finish(LexToken::kBlockComment, start);
    }
    if (c == u'<' && ScriptEndAt(p)) {
      pos_ = p;
      return Finish(LexToken::kBlockComment, start);
    }
  }
  pos_ = size_;
  return Finish(LexToken::kAbort, start);
}

// "//" through the next line feed, or up to a "</script>" on the same line.
LexToken MarkupLexer::ReadLineComment(std::size_t start) {
  std::size_t p = start + 2;
  for (; p < size_; ++p) {
    const char16_t c = data_[p];
    if (c == u'\n') {
      ++p;
      break;
    }
    if (c == u'<' && ScriptEndAt(p)) break;
  }
  pos_ = p;
  return Finish(LexToken::kLineComment, start);
}

LexToken MarkupLexer::ReadComment(std::size_t start) {
  return nested_comments_ ? ReadNestedComment(start) : ReadFlatComment(start);
}

// Without nesting a comment ends at the first "-->" after its "<!--".
LexToken MarkupLexer::ReadFlatComment(std::size_t start) {
  const std::size_t from = start + 4;
  std::size_t close = kNoEnd;
  // A comment that starts inside the range of the last search ends where that one did.
  if (flat_memo_from_ != kNoEnd && from >= flat_memo_from_ &&
      (flat_memo_close_ == kNoEnd || from <= flat_memo_close_)) {
    close = flat_memo_close_;
  } else {
    for (std::size_t p = from; p + 2 < size_; ++p) {
      if (data_[p] == u'-' && data_[p + 1] == u'-' && data_[p + 2] == u'>') {
        close = p;
        break;
      }
    }
    flat_memo_from_ = from;
    flat_memo_close_ = close;
  }
  deepest_comment_level_ = 1;
  if (close == kNoEnd) {
    pos_ = size_;
    return Finish(LexToken::kAbort, start);
  }
  pos_ = close + 3;
  return Finish(LexToken::kComment, start);
}

// With nesting, "<!--" opens one more level and "-->" closes one. A scan that reaches the end
// unclosed remembers, for every opener it passed, where a comment starting there ends: a caller
// that then re-reads from inside it gets the answer without scanning again.
LexToken MarkupLexer::ReadNestedComment(std::size_t start) {
  if (!nested_memo_.empty() && start >= nested_memo_.front().opener &&
      start <= nested_memo_.back().opener) {
    auto it = std::lower_bound(
        nested_memo_.begin(), nested_memo_.end(), start,
        [](const CommentMemo& memo, std::size_t offset) { return memo.opener < offset; });
    if (it != nested_memo_.end() && it->opener == start) {
      deepest_comment_level_ = it->deepest;
      if (it->end == kNoEnd) {
        pos_ = size_;
        return Finish(LexToken::kAbort, start);
      }
      pos_ = it->end;
      return Finish(LexToken::kComment, start);
    }
  }

  struct Open {
    std::size_t memo_index;
    int level;       // level after this opener
    int max_inside;  // deepest level reached while it was open
  };
  std::vector<CommentMemo> openers;
  std::vector<Open> stack;
  openers.push_back({start, kNoEnd, 1});
  stack.push_back({0, 1, 1});
  auto close_top = [&](std::size_t end) {
    Open top = stack.back();
    stack.pop_back();
    openers[top.memo_index].end = end;
    openers[top.memo_index].deepest = top.max_inside - top.level + 1;
    if (!stack.empty()) stack.back().max_inside = std::max(stack.back().max_inside, top.max_inside);
  };

  std::size_t p = start + 4;
  while (p < size_) {
    const char16_t c = data_[p];
    if (c == u'-' && CharAt(p + 1) == u'-' && CharAt(p + 2) == u'>') {
      p += 3;
      close_top(p);
      if (stack.empty()) {
        deepest_comment_level_ = openers.front().deepest;
        pos_ = p;
        return Finish(LexToken::kComment, start);
      }
    } else if (c == u'<' && CharAt(p + 1) == u'!' && CharAt(p + 2) == u'-' &&
               CharAt(p + 3) == u'-') {
      const int level = stack.back().level + 1;
      openers.push_back({p, kNoEnd, 1});
      stack.push_back({openers.size() - 1, level, level});
      p += 4;
    } else {
      ++p;
    }
  }
  // Unclosed: the openers still open never close either.
  while (!stack.empty()) {
    const std::size_t index = stack.back().memo_index;
    close_top(kNoEnd);
    openers[index].end = kNoEnd;
  }
  deepest_comment_level_ = openers.front().deepest;
  nested_memo_ = std::move(openers);
  pos_ = size_;
  return Finish(LexToken::kAbort, start);
}

// A script string runs to its matching quote. A quote right after a backslash stays inside,
// unless that backslash follows another one. A line break or the end of the text leaves it
// unterminated (Abort); a "</script>" ends it early, with a warning, so the body still ends.
LexToken MarkupLexer::ReadScriptString(std::size_t start, char16_t quote) {
  ScriptStringMemo& memo = script_memo_;
  if (!(memo.quote == quote && memo.begin != kNoEnd && start > memo.begin && start < memo.stop &&
        (!memo.closed || start < memo.stop - 1))) {
    memo = ScriptStringMemo{start, size_, quote, LexToken::kAbort, false};
    for (std::size_t p = start + 1; p < size_; ++p) {
      const char16_t c = data_[p];
      if (c == quote) {
        if (data_[p - 1] == u'\\' && data_[p - 2] != u'\\') continue;
        memo.stop = p + 1;
        memo.kind = LexToken::kScriptString;
        memo.closed = true;
        break;
      }
      if (c == u'<' && ScriptEndAt(p)) {
        memo.stop = p;
        memo.kind = LexToken::kScriptString;
        break;
      }
      if (HasCharClass(c, kCharLineBreak)) {
        memo.stop = p;
        break;
      }
    }
  }
  pos_ = memo.stop;
  if (memo.closed) return FinishText(LexToken::kScriptString, start, start + 1, memo.stop - 1);
  Warn(kWarnUnclosedScriptString, start);
  if (memo.kind == LexToken::kAbort) return Finish(LexToken::kAbort, start);
  return FinishText(LexToken::kScriptString, start, start + 1, memo.stop);
}

// An attribute string runs to a matching quote that is followed by a separator. A matching
// quote followed by anything else is content (title="a"b" holds a"b), unless the next
// attribute starts right behind it: then the space between them is missing, and it is reported
// and repaired.
LexToken MarkupLexer::ReadAttributeString(std::size_t start, char16_t quote) {
  const int qi = QuoteIndex(quote);
  if (unclosed_attribute_from_[qi] != kNoEnd && start >= unclosed_attribute_from_[qi]) {
    // Known to run to the end; only the server-code markers inside matter.
    if (last_marker_at_[qi] != kNoEnd && last_marker_at_[qi] > start) {
      server_code_in_string_ = last_marker_opens_[qi];
    }
    pos_ = size_;
    Warn(kWarnUnclosedHtmlString, start);
    return Finish(LexToken::kAbort, start);
  }
  std::size_t last_marker = kNoEnd;
  bool last_marker_opens = false;
  // Only quotes, "<" and "%" matter; the masks find them without looking at the rest.
  for (std::size_t p = FindInMask(start + 1, kScanStringStop); p < size_;
       p = FindInMask(p + 1, kScanStringStop)) {
    const char16_t c = data_[p];
    if (c == u'<') {
      if (CharAt(p + 1) == u'%') {
        server_code_in_string_ = true;
        last_marker = p;
        last_marker_opens = true;
      }
    } else if (c == u'%') {
      if (CharAt(p + 1) == u'>') {
        server_code_in_string_ = false;
        last_marker = p;
        last_marker_opens = false;
      }
    } else if (c == quote) {
      const std::size_t after = p + 1;
      bool ends = after >= size_ ||
                  HasCharClass(data_[after], kCharQuoteFollower | kCharWhitespace | kCharLineBreak);
      if (!ends && AttributeFollowsQuote(p)) {
        Warn(kWarnMissedSpaceBetweenAttributes, after);
        if (record_repairs_) RecordInsert(after, u" ", true);
        ends = true;
      }
      if (ends) {
        pos_ = after;
        return FinishText(LexToken::kHtmlString, start, start + 1, p);
      }
    }
  }
  unclosed_attribute_from_[qi] = start;
  last_marker_at_[qi] = last_marker;
  last_marker_opens_[qi] = last_marker_opens;
  pos_ = size_;
  Warn(kWarnUnclosedHtmlString, start);
  return Finish(LexToken::kAbort, start);
}

bool MarkupLexer::AttributeFollowsQuote(std::size_t quote_pos) const {
  std::size_t p = quote_pos + 1;
  while (p < size_) {
    char32_t c = data_[p];
    std::size_t width = 1;
    if (c >= 0xD800 && c <= 0xDBFF && p + 1 < size_ && data_[p + 1] >= 0xDC00 &&
        data_[p + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (data_[p + 1] - 0xDC00);
      width = 2;
    }
    if (c != U'_' && !IsUnicodeLetterOrDigit(c)) break;
    p += width;
  }
  while (p < size_ && HasCharClass(data_[p], kCharWhitespace)) ++p;
  if (p >= size_) return false;
  if (data_[p] == u'>') return true;
  if (data_[p] != u'=') return false;
  ++p;
  while (p < size_ && HasCharClass(data_[p], kCharWhitespace)) ++p;
  return p < size_ && (data_[p] == u'"' || data_[p] == u'\'');
}

}  // namespace kpx
