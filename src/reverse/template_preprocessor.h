// Template pre-processing: undoes what the IDE's HTML editor did to a template before the page XML
// writer reads it (coloured font decoration, absolute file URLs, percent-encoded braces, renamed
// attributes, misplaced tags, component extents in design HTML). One pass over the text with the
// document scanner, item by item, recording edits that are applied at once afterwards, unless
// the page XML writer rides along (back_transformation.h).
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kpx/host.h"
#include "markup/document_scanner.h"
#include "profile/substitution_table.h"
#include "reverse/attribute_repairs.h"
#include "reverse/tag_edits.h"

namespace kpx {

// The colour used when the registry lists none.
inline constexpr std::u16string_view kDefaultRemovedFontColour = u"#0066cc";

// The colours of a registry value ("#aabbcc;red"): split at ";", trimmed, lower-cased, empty
// items skipped; the default colour when there is no value or it yields none.
std::vector<std::u16string> RemovedFontColours(std::optional<std::u16string_view> value);

struct PreprocessOptions {
  std::vector<std::u16string> colours;  // as RemovedFontColours gives them
  // The reverse profile's substitutions; null when no reverse profile is loaded.
  const SubstitutionTable* substitutions = nullptr;
};

// The characters a template is read with: the reverse profile's substitutions applied, or without
// a profile "&#194;" (what the editor writes for U+00C2) replaced. Nothing when the text needs no
// change.
std::optional<std::u16string> RepairCharacters(std::u16string_view text,
                                               const SubstitutionTable* table);

// The host formatter of one call: created and initialised with the page's context.
class Formatter {
 public:
  explicit Formatter(HostPageModel* page);
  HRESULT status() const { return status_; }
  // The formatter's answer for one extent (cut at its first NUL), or nullopt when it fails.
  std::optional<std::u16string> Format(std::u16string_view extent);

 private:
  ComPtr<HostFormatter> formatter_;
  HRESULT status_ = S_OK;
};

// The pass over a text whose characters are repaired, item by item as scanner reads them. Tags
// are read with attribute escaping off.
class PrePass {
 public:
  // text (the scanner's) must outlive the pass.
  PrePass(std::u16string_view text, DocumentScanner& scanner, HostPageModel* page,
          const PreprocessOptions& options, Formatter& formatter);
  PrePass(const PrePass&) = delete;
  PrePass& operator=(const PrePass&) = delete;

  // The item the scanner has just read, in script mode or not and with server code in a string or
  // not (the scanner's modes before it).
  void Item(MarkupItem kind, bool script_before, bool server_before);
  // After the last item: whether the template passed the check (a span without any
  // kpsServiceable attribute does not).
  bool Finish();

  // Whether every edit so far lies inside the tag it was made for, or is the "&nbsp;" put right
  // behind a span: nothing moved, erased again later, cut or waiting for the formatter.
  bool local() const { return local_; }
  // The edits made for the last tag read, in position order (while local, none kept beyond it).
  std::span<const BackEdit> LastTagEdits() const { return tag_edits_; }
  // The name of the last start tag read, as ClassifyTagName gives it.
  const TagName& LastTagName() const { return last_tag_name_; }

  // After Finish: every edit in position order (equal positions in the order they were made).
  // What a later rule erased whole (a font tag, the start tag of a stray paragraph) takes the
  // edits made inside it with it.
  std::vector<BackEdit>& Edits();

 private:
  enum class Open : unsigned char { kForm, kP, kFont };
  struct OpenTag {
    Open kind;
    std::size_t start;
    std::size_t end;
    bool remove;      // a font with a listed colour
    bool dead;        // erased as the nearest open p of a stray </p>
    std::size_t cut;  // its entry in cuts_, or kNoCut
  };
  // A tag between <html> and <body> that belongs in the body: its text with its own edits is
  // moved behind <body> when one comes.
  struct Cut {
    std::size_t start;
    std::size_t end;
    std::vector<BackEdit> edits;
    bool erased = false;  // erased by a later rule: nothing of it is moved
  };
  // A component extent going to the formatter.
  struct Extent {
    Extent(std::size_t start_at, std::u16string_view tag_name) : start(start_at), name(tag_name) {}
    std::size_t start;
    std::u16string name;
    std::size_t depth = 0;
    std::vector<std::pair<std::size_t, std::size_t>> removed;  // listed font tags in it
    std::vector<std::pair<std::size_t, std::size_t>> fonts;    // its open fonts (listed or not)
    std::vector<bool> font_listed;
  };
  static constexpr std::size_t kNoCut = static_cast<std::size_t>(-1);
  static constexpr std::size_t kNoHead = static_cast<std::size_t>(-1);

  // The edits a start tag makes in its own text (or, "&nbsp;", right behind a span).
  void TagEdits(const TagRecord& tag, const TagName& kind, std::size_t start, std::size_t end,
                std::vector<BackEdit>& edits, AttributeFindings& found) const;
  // Keeps every edit from now on (and finds those of the tags before the current one again):
  // the pre-processing's edits are to be applied on their own.
  void Record();
  void FindEditsAgain();
  void Tag(const TagName& kind, bool in_extent);
  void EndTag(std::u16string_view name, bool font, bool in_extent);
  void TagInsideExtent(bool font);
  void FinishSpanCut(std::size_t end);
  void CommitCuts(std::size_t body_end);
  void EraseTag(std::size_t start, std::size_t end, std::size_t cut);
  void Push(Open kind, std::size_t start, std::size_t end, bool remove, std::size_t cut);
  void Pop();
  bool HasNoPosition(LONG id);
  bool OnlyBlanks(std::size_t from, std::size_t to) const;
  std::u16string EditedText(std::size_t start, std::size_t end, std::vector<BackEdit> edits) const;

  std::u16string_view text_;
  DocumentScanner& scanner_;
  HostPageModel* page_;
  const PreprocessOptions& options_;
  PathContext paths_;
  Formatter& formatter_;

  // A tag whose edits were not kept (while local): where it starts, and the modes it was read in.
  struct EditedTag {
    std::size_t start;
    bool script;
    bool server;
  };

  std::vector<BackEdit> edits_;      // kept once recording
  std::vector<BackEdit> tag_edits_;  // the last tag's
  std::vector<EditedTag> edited_tags_;
  bool script_before_ = false;  // the scanner's modes before the item being read
  bool server_before_ = false;
  TagName last_tag_name_;
  bool local_ = true;
  bool recording_ = false;
  AttributeFindings found_;  // what the current tag's attributes tell
  std::vector<OpenTag> open_;
  std::vector<std::size_t> p_open_;     // indexes into open_ of the open p tags
  std::vector<std::size_t> form_open_;  // and of the open forms
  std::vector<Cut> cuts_;
  std::optional<Cut> cut_span_;  // a span being cut whole
  std::size_t span_depth_ = 0;
  std::optional<Extent> extent_;
  bool in_prologue_ = false;  // after <html>, before <body>
  std::size_t head_end_ = kNoHead;
  bool saw_serviceable_ = false;
  bool saw_span_ = false;
};

}  // namespace kpx
