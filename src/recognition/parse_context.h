// The context of one parse: the root page node and the parse document that every node shares
// (the template text, the scanner over it, the error list, the open-tag stack, the host component
// registry, the tags to parse), the operation flags, and the way back to the host for component
// classes, positional messages and the out-of-sync question. Both parsers run over it.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "host/host_services.h"
#include "host/page_model.h"
#include "markup/document_scanner.h"
#include "markup/warning_sink.h"
#include "page/page_node.h"
#include "recognition/component_class.h"
#include "recognition/line_index.h"
#include "recognition/open_tag_stack.h"
#include "recognition/parse_error_list.h"

namespace kpx {

// Operation flag bits that recognition reads.
enum RecognitionFlag : uint32_t {
  kRecognizeWarnings = 0x02,  // positional messages are reported
  kCollectRegistry = 0x04,    // the page's components are entered in the registry first
  kAbortOutOfSync = 0x10,     // out of sync: stop (or ask, with kAskUser)
  kAskUser = 0x20,
  kGenerationMode = 0x40,  // "checked" is the on/off attribute of inputs
  kCommentState = 0x80,
  kProfileCleared = 0x10000,
  kExtraResources = 0x200000,
};

// What recognition needs of the converter.
struct RecognitionHost {
  HostApplication* application = nullptr;  // null: no host bound
  long verbosity_level = 0;
};

class ParseContext final : public PageDocument, private WarningSink {
 public:
  // Reads the page's identifier and name, "ShowTranslations" and the site's "htmlTagsToParse"
  // from the host. page is the host page (or parent component) object. The context reads text
  // where it lies, without a copy (a template may be many megabytes): it must stay unchanged for
  // as long as the context and its tree live.
  ParseContext(const RecognitionHost& host, IUnknown* page, BorrowedText text, uint32_t flags);
  // A temporary would be gone before the tree that points into it.
  ParseContext(const RecognitionHost&, IUnknown*, std::u16string&&, uint32_t) = delete;
  ~ParseContext() override;

  PageNode& Root() { return *root_; }
  const PageNode& Root() const { return *root_; }
  PageNode* current = nullptr;  // where the following content goes
  DocumentScanner& Scanner() { return scanner_; }
  uint32_t Flags() const { return root_->flags; }

  // Positional message: needs kRecognizeWarnings and the verbosity gate (errors from level 1,
  // warnings from 2).
  void ReportAt(bool is_error, size_t offset, std::u16string_view key,
                std::initializer_list<std::u16string_view> args);
  void RecordError(int code, size_t offset);
  const std::vector<ParseError>& Errors() const { return errors_; }

  // The template does not match the host's page model. Returns true when the parse must stop:
  // with kAbortOutOfSync and without kAskUser at once; with both when the user says No (asked
  // once per parse).
  bool OutOfSync();
  bool Aborted() const { return aborted_; }

  const ComponentClass& Classify(std::u16string_view type);
  bool IsContainerType(std::u16string_view type) const override;

  // Whether start tags of this (lower-case) name become element nodes.
  bool ParsesTag(std::u16string_view lowered) const {
    return tags_to_parse_.find(lowered) != tags_to_parse_.end();
  }
  // Whether any tag does.
  bool ParsesTags() const { return !tags_to_parse_.empty(); }

  OpenTagStack& OpenTags() { return open_tags_; }
  LineIndex::Position PositionOf(size_t offset);

  // Host components.
  HostPageModel* PageModel() const { return page_model_.Get(); }
  PageModelReader& Model() { return model_; }
  HostServices Host() const { return HostServices(host_.application); }
  // A component named name anywhere on the page (first in document order).
  ComPtr<HostPageModel> FindOnPage(std::u16string_view name);
  // A component for a block: among the components of the nearest node with a host object, then
  // anywhere on the page.
  ComPtr<HostPageModel> FindForBlock(const PageNode* from, std::u16string_view name);
  // The registry of matched components: whether component was matched in this parse, and marking.
  bool IsMatched(HostPageModel* component);
  void MarkMatched(HostPageModel* component);
  // The node name of a component node: the canonical name of the host component's type.
  std::u16string ComponentNodeName(HostPageModel* component);
  // The host component's type name and identifier, asked once per component and parse.
  const std::u16string& ComponentType(HostPageModel* component) { return Facts(component).type; }
  long ComponentId(HostPageModel* component) { return Facts(component).id; }

  // Records error 10 when a host call failed since the last check.
  void CheckHostCalls(size_t offset);

 private:
  void Report(std::u16string_view key, size_t offset, int argument) override;
  struct ComponentFacts {
    std::pair<long, std::u16string> registry_key;  // (parent identifier, lower-case name)
    std::u16string type;
    long id = 0;
  };
  // What the parse needs of a host component, by object (a host that hands out the same object
  // for a component is asked once; another one is asked again, which is still right).
  const ComponentFacts& Facts(HostPageModel* component);
  std::pair<long, std::u16string> RegistryKey(HostPageModel* component) {
    return Facts(component).registry_key;
  }
  std::unordered_map<HostPageModel*, ComponentFacts> facts_;
  std::vector<ComPtr<HostPageModel>> facts_holders_;  // keeps the objects behind facts_ alive

  const std::u16string_view text_;  // the caller's template: the document and scanner read it
  RecognitionHost host_;
  ComPtr<HostPageModel> page_model_;
  IUnknown* page_;
  PageModelReader model_;
  std::unique_ptr<PageNode> root_;
  DocumentScanner scanner_;
  std::optional<LineIndex> lines_;  // made when a position is first reported
  OpenTagStack open_tags_;
  std::vector<ParseError> errors_;
  std::set<std::u16string, std::less<>> tags_to_parse_;
  std::unordered_map<std::u16string, ComponentClass> classes_;
  // (parent identifier, lower-case name) -> matched
  std::map<std::pair<long, std::u16string>, bool> registry_;
  std::optional<std::unordered_map<std::u16string, ComPtr<HostPageModel>>> page_index_;
  std::u16string lookup_name_;
  bool aborted_ = false;
  bool asked_ = false;
};

}  // namespace kpx
