// libxml2 parsing with element positions.
#include "x2x/located_xml.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <climits>
#include <exception>
#include <optional>

#include "base/utf.h"

namespace x2x {

// The parse in progress: reached from the libxml2 callbacks through the context's user field.
// The callbacks throw nothing into libxml2: an exception stops the parse, and is thrown again
// once libxml2 has returned.
struct LocatedXmlParse {
  LocatedXml* owner;
  xmlParserCtxt* context;
  startElementNsSAX2Func buildElement;
  std::optional<std::string> firstError;
  TextPosition errorPosition;
  std::exception_ptr failure;

  static LocatedXmlParse* Of(void* ctx) {
    return static_cast<LocatedXmlParse*>(static_cast<xmlParserCtxt*>(ctx)->_private);
  }

  void Stop() noexcept {
    if (!failure) failure = std::current_exception();
    xmlStopParser(context);
  }

  size_t Offset() const {
    const xmlParserInput* in = context->input;
    return static_cast<size_t>(in->consumed) + static_cast<size_t>(in->cur - in->base);
  }

  // Called when a start tag has been read: the tree builder makes the element, and its "<" is the
  // last one before the parser's position ("<" cannot occur inside a start tag).
  static void OnStartElement(void* ctx, const xmlChar* localname, const xmlChar* prefix,
                             const xmlChar* uri, int nbNamespaces, const xmlChar** namespaces,
                             int nbAttributes, int nbDefaulted,
                             const xmlChar** attributes) noexcept {
    auto* context = static_cast<xmlParserCtxt*>(ctx);
    LocatedXmlParse* parse = Of(ctx);
    parse->buildElement(ctx, localname, prefix, uri, nbNamespaces, namespaces, nbAttributes,
                        nbDefaulted, attributes);
    if (!context->node) return;
    std::string_view bytes = parse->owner->bytes_;
    size_t offset = std::min(parse->Offset(), bytes.size());
    size_t start = bytes.rfind('<', offset == 0 ? 0 : offset - 1);
    try {
      parse->owner->starts_[context->node] = start == std::string_view::npos ? 0 : start;
    } catch (...) {
      parse->Stop();
    }
  }

  // A DOCTYPE could declare entities; host files have no use for one, so none is read.
  static void OnInternalSubset(void* ctx, const xmlChar*, const xmlChar*, const xmlChar*) noexcept {
    LocatedXmlParse* parse = Of(ctx);
    try {
      if (!parse->firstError) {
        parse->firstError = "a host file takes no DOCTYPE";
        // Point at the declaration's start rather than where the parser stands inside it.
        size_t offset = std::min(parse->Offset(), parse->owner->bytes_.size());
        size_t start = parse->owner->bytes_.rfind("<!DOCTYPE", offset);
        parse->errorPosition =
            parse->owner->positions_.Locate(start == std::string_view::npos ? offset : start);
      }
    } catch (...) {
      parse->Stop();
    }
    xmlStopParser(parse->context);
  }

  static void OnError(void* userData, xmlError* error) noexcept {
    LocatedXmlParse* parse = Of(userData);
    if (parse->firstError || !error || error->level < XML_ERR_ERROR) return;
    try {
      std::string message = error->message ? error->message : "not well-formed";
      while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
      parse->firstError = "not well-formed XML: " + message;
      parse->errorPosition.line = error->line > 0 ? static_cast<size_t>(error->line) : 1;
      parse->errorPosition.column = error->int2 > 0 ? static_cast<size_t>(error->int2) : 1;
    } catch (...) {
      parse->Stop();
    }
  }
};

namespace {

struct ContextDeleter {
  void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

bool IsUtf8Name(const xmlChar* encoding) {
  if (!encoding) return true;
  std::string name(reinterpret_cast<const char*>(encoding));
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return name == "UTF-8" || name == "UTF8" || name == "US-ASCII" || name == "ASCII";
}

}  // namespace

LocatedXml::LocatedXml(std::string_view bytes, std::string displayName)
    : bytes_(bytes), displayName_(std::move(displayName)), positions_(bytes) {
  auto fail = [&](TextPosition at, const std::string& message) {
    throw HostFileError(displayName_ + ":" + std::to_string(at.line) + ":" +
                        std::to_string(at.column) + ": " + message);
  };
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    fail({}, "host files are UTF-8; this one starts with a UTF-16 byte-order mark");
  }
  if (auto bad = kpx::FindInvalidUtf8(bytes)) {
    fail(positions_.Locate(*bad), "invalid UTF-8 (byte offset " + std::to_string(*bad) + ")");
  }
  if (bytes.empty()) fail({}, "not well-formed XML: Document is empty");
  if (bytes.size() > static_cast<size_t>(INT_MAX)) fail({}, "file too large");

  xmlInitParser();
  std::unique_ptr<xmlParserCtxt, ContextDeleter> context(
      xmlCreateMemoryParserCtxt(bytes.empty() ? "" : bytes.data(), static_cast<int>(bytes.size())));
  if (!context) throw std::bad_alloc();
  // No network, no entity substitution, no DTD loading: the defaults plus NONET.
  xmlCtxtUseOptions(context.get(), XML_PARSE_NONET);
  LocatedXmlParse parse{this, context.get(), context->sax->startElementNs, std::nullopt, {}, {}};
  context->_private = &parse;
  context->sax->startElementNs = &LocatedXmlParse::OnStartElement;
  context->sax->internalSubset = &LocatedXmlParse::OnInternalSubset;
  context->sax->serror = &LocatedXmlParse::OnError;
  context->sax->warning = nullptr;
  xmlParseDocument(context.get());
  doc_.reset(context->myDoc);
  context->myDoc = nullptr;
  if (parse.failure) std::rethrow_exception(parse.failure);

  if (parse.firstError) fail(parse.errorPosition, *parse.firstError);
  if (!context->wellFormed || !doc_ || !Root()) {
    fail(positions_.Locate(bytes.size()), "not well-formed XML: no root element");
  }
  if (!IsUtf8Name(doc_->encoding)) {
    fail({}, "host files are UTF-8; this one declares the encoding " +
                 std::string(reinterpret_cast<const char*>(doc_->encoding)));
  }
}

TextPosition LocatedXml::Where(const xmlNode* element) const {
  auto it = starts_.find(element);
  return it == starts_.end() ? TextPosition{} : positions_.Locate(it->second);
}

void LocatedXml::Fail(const xmlNode* element, const std::string& message) const {
  TextPosition at = Where(element);
  throw HostFileError(displayName_ + ":" + std::to_string(at.line) + ":" +
                      std::to_string(at.column) + ": " + message);
}

}  // namespace x2x
