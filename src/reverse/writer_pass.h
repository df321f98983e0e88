// The page XML writer's pass, item by item: what each item of a template becomes (CDATA sections
// around literal text, elements for components, blocks, placeholders and resources), written to a
// PageXmlOutput in position order. A driver reads the items with a document scanner and hands
// them over, alone (page_xml_writer.cc) or together with the pre-processing
// (back_transformation.cc), which may have changed a tag on the way.
#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "kpx/converter.h"
#include "kpx/host.h"
#include "markup/document_scanner.h"
#include "reverse/literal_run.h"
#include "reverse/page_xml_output.h"
#include "reverse/page_xml_writer.h"
#include "reverse/tag_edits.h"
#include "reverse/tag_names.h"

namespace kpx {

// What the pre-processing did to a tag, as the writer sees the tag then. By default nothing.
struct TagChange {
  // The tag's text after the pre-processing, when that is more than the one "/" below; the
  // record handed over with it was read from this text (its positions count from its start).
  std::optional<std::u16string_view> rewritten;
  bool slash = false;       // a "/" put in front of the tag's closing ">"
  bool nbsp_after = false;  // "&nbsp;" put right behind the tag
};

class WriterPass {
 public:
  // text (the scanner's text) must outlive the pass; the page XML goes to output, whose source
  // it is. host: the page, or the component a fragment belongs to.
  WriterPass(std::u16string_view text, IUnknown* host, IComponentIDs* ids,
             const PageSettings& settings, PageXmlOutput& output);
  WriterPass(const WriterPass&) = delete;
  WriterPass& operator=(const WriterPass&) = delete;

  // The item the scanner has just read, other than a tag. After a placeholder the scanner is
  // moved behind it.
  void Item(MarkupItem kind, DocumentScanner& scanner);
  // In place of text items the scanner was moved over (SkipPlainText), none a "{".
  void PassText() {
    if (!erasing_) after_block_comment_ = false;
  }
  // A tag [start, end) of the text, its record and what the pre-processing did to it; name: its
  // name as ClassifyTagName gives it, when the caller has it.
  void Tag(const TagRecord& tag, std::size_t start, std::size_t end, const TagChange& change = {},
           const TagName* name = nullptr);
  // After the last item: closes what is open and writes the root's end tag.
  void Finish();
  // The root's start tag (empty for a fragment): what stands in front of the output.
  std::u16string TakeRoot() { return std::move(root_); }

 private:
  struct OpenElement {
    std::u16string end_tag;
    bool one_tag = false;     // ends after the matching end tag of tag_name
    std::u16string tag_name;  // lower case
    std::size_t depth = 0;    // start tags of that name opened inside it and not yet closed
    LONG id = 0;              // what an end marker names it by
    std::u16string name_key;  // lower case
    bool pushed_scope = false;
  };
  // An extent whose text goes (atomic selection, resources): from where, and what ends it.
  struct Erasing {
    bool by_marker = false;
    LONG id = 0;
    std::u16string key;  // marker: the lower-cased name; tag: the tag name
    std::size_t depth = 0;
    std::size_t from = 0;
    std::u16string end_tag;
  };
  // The attributes of a start tag that the writer asks about, each the first of its name (null:
  // none), found in one walk over the tag.
  struct Attributes {
    const AttributeRecord* remove_on_bt = nullptr;  // kpsRemoveOnBT
    const AttributeRecord* serviceable = nullptr;   // kpsServiceable
    const AttributeRecord* tag_content = nullptr;   // kpstagcontent
    const AttributeRecord* option_block = nullptr;  // kpsOptionBlock
    PathMarkers paths;                              // kpsDynamicStyle, kpsI18Ned
  };

  void Out(std::size_t position, std::u16string_view text) { out_.Insert(position, text); }
  void SkipWords(DocumentScanner& scanner);
  void InsertOutside(std::size_t position, std::u16string_view text);
  // Declares the prefix of a name written in the page XML (names are short, and few hold a
  // colon).
  void AddPrefix(std::u16string_view name) {
    if (name.empty() || name[0] == u':') return;
    for (std::size_t i = 1; i < name.size(); ++i) {
      if (name[i] == u':') {
        AddPrefixBefore(name, i);
        return;
      }
    }
  }
  void AddPrefixBefore(std::u16string_view name, std::size_t colon);
  void Placeholder(DocumentScanner& scanner);
  void TemplateCData(const DocumentScanner& scanner);
  void StartTag(const TagRecord& tag, std::size_t start, std::size_t end, const TagChange& change,
                const TagName& kind);
  void LiteralTag(const TagRecord& tag, std::size_t start, std::size_t end, bool candidate,
                  const TagChange& change);
  void CountNesting(std::u16string_view name);
  void EndTag(std::u16string_view name, std::size_t start, std::size_t end);
  std::pair<std::size_t, std::size_t> MarkerSpan(const TagRecord& tag, std::size_t start,
                                                 std::size_t end, bool look_before) const;
  void Serviceable(const TagRecord& tag, std::size_t start, std::size_t end, bool has_content,
                   const TagChange& change);
  void CloseMarker(const TagRecord& tag, std::size_t start, std::size_t end, LONG id,
                   std::u16string_view name, const TagChange& change);
  void TagWhileErasing(const TagRecord& tag, std::size_t start, std::size_t end);
  void StopErasing(std::size_t to);
  void Push(OpenElement element, ComPtr<HostPageModel> scope);
  void PopTo(std::size_t index, std::size_t position);
  void AppendBlockComment(std::u16string& out, std::u16string_view word, std::u16string_view block);
  void ResetOptionBlock(std::size_t at);
  void ChangeOptionBlock(std::size_t at, std::u16string_view block, bool comment_before);
  void WriteRoot(std::size_t size);

  std::u16string_view text_;
  PageXmlOutput& out_;
  LiteralRun run_;
  IComponentIDs* ids_;
  const PageSettings& settings_;
  ComPtr<HostPageModel> bottom_;
  ComPtr<HostPageModel> page_;
  bool is_page_ = false;

  std::vector<ComPtr<HostPageModel>> scopes_;  // host objects of the contexts, innermost last
  std::vector<bool> scope_has_children_;
  std::vector<OpenElement> open_;      // component elements written and not closed yet
  std::vector<std::size_t> one_tags_;  // indexes into open_ of the one-tag components
  std::vector<OpenElement> removals_;  // kpsRemoveOnBT tags waiting for their end tag
  std::unordered_map<LONG, std::vector<std::size_t>> by_id_;
  std::unordered_map<std::u16string, std::vector<std::size_t>> by_name_;
  std::optional<Erasing> erasing_;
  std::set<std::u16string> prefixes_;
  std::u16string option_block_;
  bool option_begin_written_ = false;
  bool after_block_comment_ = false;
  Attributes attributes_;        // of the start tag being read
  std::vector<BackEdit> edits_;  // its edits as a literal tag
  std::u16string scratch_;       // an element or a rewritten tag being made
  std::u16string comment_;       // a block comment being made
  std::u16string root_;
};

}  // namespace kpx
