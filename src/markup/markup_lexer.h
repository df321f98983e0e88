// MarkupLexer: splits template text into tokens, with modes for attribute values, script bodies
// and comments, and reads tags, declarations and CDATA sections on top of the tokens. It never
// changes the text; the repairs it wants go to an EditSink, its warnings to a WarningSink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "markup/edit_sink.h"
#include "markup/markup_char_classes.h"
#include "markup/markup_string.h"
#include "markup/tag_record.h"
#include "markup/text_scanner.h"
#include "markup/warning_sink.h"

namespace kpx {

// Token kinds; the numbers are what callers compare against.
enum class LexToken : std::uint8_t {
  kEnd = 0,            // nothing left but whitespace and line breaks
  kAbort = 1,          // an unterminated string, comment or script comment; the caller stops
  kName = 2,           // name characters starting with a letter, digit or "_"
  kTagOpen = 3,        // "<" that may open a tag (only "<" is consumed)
  kDeclOpen = 4,       // "<!" not followed by "--", or "<%", "<?", "<@"
  kEndTagOpen = 5,     // "</"
  kHtmlString = 6,     // quoted attribute value (attribute-value mode)
  kScriptString = 7,   // quoted string literal (script mode)
  kTagClose = 8,       // ">"
  kServerClose = 9,    // "!>", "%>", "?>" or "@>"
  kLBrace = 10,        // "{"
  kRBrace = 11,        // "}"
  kEquals = 12,        // "="
  kComment = 13,       // "<!--" through "-->"
  kBlockComment = 14,  // "/*" through "*/" (script mode)
  kLineComment = 15,   // "//" through the end of the line (script mode)
  kOther = 16,         // a delimiter, a run of other characters, or a name starting "-#:"
};

// Short name of a token kind ("Name", "TagOpen", ...), for messages and test dumps.
std::string_view LexTokenName(LexToken kind);

// A token as offsets into the unchanged text; nothing is copied.
struct TokenSpan {
  LexToken kind = LexToken::kEnd;
  std::size_t begin = 0;  // first character of the token's source text
  std::size_t end = 0;    // just past it
  // The token text: the content between the quotes for strings, else begin..end.
  std::size_t text_begin = 0;
  std::size_t text_end = 0;
};

class MarkupLexer : public TextScanner {
 public:
  explicit MarkupLexer(std::u16string text);
  explicit MarkupLexer(const MarkupString& text);
  explicit MarkupLexer(BorrowedText text);

  // --- Settings; each can be changed at any time. ---
  // Quotes start script strings, "/*" and "//" start comments, and "<" opens a tag only when a
  // name follows it and then another name or ">".
  bool script_mode() const { return script_mode_; }
  void set_script_mode(bool on) { script_mode_ = on; }
  // Quotes start attribute strings; the tag parser turns it on for the length of a tag.
  bool attribute_value_mode() const { return attribute_value_mode_; }
  void set_attribute_value_mode(bool on) { attribute_value_mode_ = on; }
  // Whether repairs go to the edit sink (on by default).
  bool record_repairs() const { return record_repairs_; }
  void set_record_repairs(bool on) { record_repairs_ = on; }
  // "<!--" inside a comment opens a nested level.
  bool nested_comments() const { return nested_comments_; }
  void set_nested_comments(bool on) { nested_comments_ = on; }
  // Set while an attribute string holds "<%" without its "%>"; may carry over to the next string.
  bool server_code_in_string() const { return server_code_in_string_; }
  void set_server_code_in_string(bool on) { server_code_in_string_ = on; }
  // Attribute that receives a "{Name}" placeholder written in attribute position (empty: none).
  const MarkupString& placeholder_attribute_name() const { return placeholder_attribute_; }
  void set_placeholder_attribute_name(std::u16string_view name);
  // Attribute that collects the text of junk inside a tag (empty: none).
  const MarkupString& junk_attribute_name() const { return junk_attribute_; }
  void set_junk_attribute_name(std::u16string_view name);
  EditSink* edit_sink() const { return edit_sink_; }
  void set_edit_sink(EditSink* sink) { edit_sink_ = sink; }
  WarningSink* warning_sink() const { return warning_sink_; }
  void set_warning_sink(WarningSink* sink) { warning_sink_ = sink; }
  // Deepest nesting level seen in the last comment read with nested comments on.
  int deepest_comment_level() const { return deepest_comment_level_; }

  // --- Tokens ---
  // Reads the next token after whitespace and line breaks. Never fails: unterminated constructs
  // give kAbort, anything unexpected kOther.
  LexToken NextToken();
  // As above, and stores the token text in text (string content without quotes; the source text
  // for every other kind).
  LexToken NextToken(MarkupString* text);
  const TokenSpan& LastToken() const { return token_; }
  // Assigns the last token's text (as LastTokenText()) to to.
  void AssignLastTokenText(MarkupString& to) const {
    to.AssignFrom(Text(), token_.text_begin, token_.text_end - token_.text_begin);
  }
  std::u16string_view LastTokenText() const {
    return Text().substr(token_.text_begin, token_.text_end - token_.text_begin);
  }
  std::u16string_view LastTokenSource() const {
    return Text().substr(token_.begin, token_.end - token_.begin);
  }

  // --- Constructs made of tokens ---
  // Reads one start or end tag at the position into record (or a scratch record when null),
  // recording its repairs when record repairs is on. Returns false when no tag starts here (the
  // position is back where it was) or when the tag was abandoned: a "<" met inside it or a fifth
  // junk token. An abandoned tag withdraws every edit it recorded and leaves the position at the
  // "<" that interrupted it, or after the fifth junk token.
  bool ParseTag(TagRecord* record);
  // Reads "<!", "<%", "<?" or "<@" with its name and everything up to the token that closes it;
  // quoted text inside does not end it. Returns false (position unchanged) when no such block
  // with a name starts here. Leaves script mode off.
  bool ParseServerBlock(MarkupString* name);
  // Reads a CDATA section; an opener in another letter case is accepted and repaired. Returns
  // false (position unchanged) when none starts here. The content runs to the end of the text
  // when the section is not closed.
  bool ParseCData(MarkupString* content);

  // Edits recorded by this lexer so far, less those it withdrew.
  std::size_t edits_recorded() const { return edits_recorded_; }

 protected:
  void RecordInsert(std::size_t position, std::u16string_view text, bool after);
  void RecordDelete(std::size_t position, std::size_t count);
  void WithdrawEdits(std::size_t count);
  void Warn(std::u16string_view key, std::size_t offset);

  TokenSpan token_;  // the last token read

  // Reads the token at start when its first character is neither a delimiter nor "=" nor 0 (a
  // name or a run of other characters, the same in every mode) and returns true; returns false,
  // reading nothing, for any other character. start is at most the length, and no blank.
  bool ReadPlainRun(std::size_t start) {
    if (InMask(start, kScanOwnToken)) return false;
    // A name runs to the first character that is not a name character, any other run to a
    // name character, a delimiter or 0: both are where the next run end lies.
    const LexToken kind = InMask(start, kScanNameStart) ? LexToken::kName : LexToken::kOther;
    const std::size_t end = FindInMask(start + 1, kScanRunEnd);
    pos_ = end;
    token_ = TokenSpan{kind, start, end, start, end};
    return true;
  }

  // ParseTag for a tag of the shape nearly all tags have, reading from "<" at tag_start into the
  // reset record; outside script mode and server code only. Returns false, having changed
  // nothing but the record, for any other tag (ParseTag reads those).
  bool ParsePlainTag(TagRecord& record, std::size_t tag_start);

  // Name of the last block ParseServerBlock read.
  std::size_t declaration_name_begin_ = 0;
  std::size_t declaration_name_end_ = 0;

 private:
  // Forwards the escaping edits to the edit sink through the lexer's counter.
  class CountingSink final : public EditSink {
   public:
    explicit CountingSink(MarkupLexer* lexer) : lexer_(lexer) {}
    void Insert(std::size_t position, std::u16string_view text, bool after) override {
      lexer_->RecordInsert(position, text, after);
    }
    void Delete(std::size_t position, std::size_t count) override {
      lexer_->RecordDelete(position, count);
    }
    void Withdraw(std::size_t count) override { lexer_->WithdrawEdits(count); }

   private:
    MarkupLexer* lexer_;
  };

  // Result of an earlier comment scan, reused when a caller reads a comment again from inside
  // one that did not close (so that re-reading stays linear).
  struct CommentMemo {
    std::size_t opener = 0;  // offset of "<!--"
    std::size_t end = 0;     // just past the closing "-->", or npos when it never closes
    int deepest = 1;
  };
  static constexpr std::size_t kNoEnd = static_cast<std::size_t>(-1);

  LexToken Finish(LexToken kind, std::size_t begin);
  LexToken FinishText(LexToken kind, std::size_t begin, std::size_t text_begin,
                      std::size_t text_end);

  LexToken ReadAfterAngle(std::size_t start);
  LexToken ReadAfterSlash(std::size_t start);
  LexToken ReadRun(std::size_t start);
  LexToken ReadComment(std::size_t start);
  LexToken ReadNestedComment(std::size_t start);
  LexToken ReadFlatComment(std::size_t start);
  LexToken ReadBlockComment(std::size_t start);
  LexToken ReadLineComment(std::size_t start);
  LexToken ReadScriptString(std::size_t start, char16_t quote);
  LexToken ReadAttributeString(std::size_t start, char16_t quote);
  // After a closing attribute quote at quote_pos that is followed by something else than a
  // separator: whether an attribute starts right behind it (the space between them is missing).
  bool AttributeFollowsQuote(std::size_t quote_pos) const;
  // In script mode: whether "<" just before from opens a tag (a name, then a name or ">").
  bool ScriptTagFollows(std::size_t from) const;
  // Whether "</script>" (any letter case) starts at offset.
  bool ScriptEndAt(std::size_t offset) const;

  // Tag parser helpers (tag_parser.cc).
  struct TagParseState;
  LexToken ReadTagToken();
  void ParseAttribute(TagRecord& record, TagParseState& state);
  void ReadUnquotedValue(AttributeRecord& attribute, std::size_t value_start, bool skip_quote);
  bool ReadServerCodeValue(AttributeRecord& attribute, std::size_t string_begin);
  void ParsePlaceholder(TagRecord& record, TagParseState& state);
  void CountJunk(TagParseState& state);
  void FinishTag(TagRecord& record, TagParseState& state);

  bool script_mode_ = false;
  bool attribute_value_mode_ = false;
  bool record_repairs_ = true;
  bool nested_comments_ = false;
  bool server_code_in_string_ = false;
  MarkupString placeholder_attribute_;
  MarkupString junk_attribute_;
  EditSink* edit_sink_ = nullptr;
  WarningSink* warning_sink_ = nullptr;
  int deepest_comment_level_ = 0;

  std::size_t edits_recorded_ = 0;
  CountingSink counting_sink_{this};
  TagRecord scratch_record_;

  // Memos that keep repeated reads of one unterminated construct linear.
  std::vector<CommentMemo> nested_memo_;  // openers of the last unclosed nested comment scan
  std::size_t flat_memo_from_ = kNoEnd;   // a flat comment search started here...
  std::size_t flat_memo_close_ = kNoEnd;  // ...found "-->" here (kNoEnd: none)
  // Per quote character (0: double, 1: apostrophe): attribute strings that start at or after
  // this offset run to the end of the text.
  std::size_t unclosed_attribute_from_[2] = {kNoEnd, kNoEnd};
  // Last server-code marker inside such a string: its offset and whether it was "<%".
  std::size_t last_marker_at_[2] = {kNoEnd, kNoEnd};
  bool last_marker_opens_[2] = {false, false};
  // The last script string read: later strings of the same quote that start inside it end
  // where it ended.
  struct ScriptStringMemo {
    std::size_t begin = kNoEnd;
    std::size_t stop = 0;  // position after the string
    char16_t quote = 0;
    LexToken kind = LexToken::kEnd;
    bool closed = false;  // ended at its quote (the content stops one before stop)
  } script_memo_;
  // The last server-code value that found no end: searched from here, stopped there.
  std::size_t server_code_miss_from_ = kNoEnd;
  std::size_t server_code_miss_at_ = 0;
};

}  // namespace kpx
