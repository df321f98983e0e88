// Parsing XML with libxml2 under the stand-in's safety rules.
#include "xmldom/xml_parser.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <algorithm>
#include <climits>
#include <memory>

#include "xmldom/error_capture.h"
#include "xmldom/strings.h"
#include "xmldom/xml_library.h"

namespace kpx {

namespace {

// How much of the error's line is kept on each side of the error.
constexpr size_t kSourceContext = 1024;

// The first error of a parse, filled in by the handler on the parser context.
struct FirstError {
  bool seen = false;
  ParseErrorInfo info;
  size_t byte_offset = 0;  // in the decoded (UTF-8) text
};

// Start of the UTF-8 character that holds p (never before begin).
const xmlChar* CharStart(const xmlChar* begin, const xmlChar* p) {
  while (p > begin && (*p & 0xC0) == 0x80) --p;
  return p;
}

// Records where the error is in the document's own input (not an entity's replacement text that
// the parser may be reading): offset, the line around it, and the column in UTF-16 units when the
// start of the line is still in the parser's buffer.
void RecordPosition(xmlParserCtxt* ctxt, FirstError& first) {
  if (ctxt->inputNr < 1 || !ctxt->inputTab[0]) return;
  const xmlParserInput* input = ctxt->inputTab[0];
  if (!input->base || !input->cur || !input->end || input->cur < input->base ||
      input->cur > input->end) {
    return;
  }
  first.byte_offset = input->consumed + static_cast<size_t>(input->cur - input->base);
  first.info.line = input->line;

  const xmlChar* line_start = input->cur;
  while (line_start > input->base && line_start[-1] != '\n' && line_start[-1] != '\r') --line_start;
  const bool whole_line = line_start > input->base || input->consumed == 0;
  if (whole_line) {
    const std::string_view before(reinterpret_cast<const char*>(line_start),
                                  static_cast<size_t>(input->cur - line_start));
    first.info.column = static_cast<LONG>(Utf16LengthOfUtf8Prefix(before, before.size()) + 1);
  }
  const xmlChar* from = line_start;
  if (input->cur - from > static_cast<ptrdiff_t>(kSourceContext)) {
    from = CharStart(input->base, input->cur - kSourceContext);
  }
  const xmlChar* to = input->cur;
  while (to < input->end && *to != '\n' && *to != '\r' && *to != 0 &&
         static_cast<size_t>(to - input->cur) < kSourceContext) {
    ++to;
  }
  to = CharStart(input->cur, to);
  first.info.source_text.assign(reinterpret_cast<const char*>(from),
                                static_cast<size_t>(to - from));
}

// Called by libxml2: nothing is thrown from here.
void OnParseError(void* data, xmlError* error) noexcept {
  auto* ctxt = static_cast<xmlParserCtxt*>(data);
  if (!ctxt || !error) return;
  auto* first = static_cast<FirstError*>(ctxt->_private);
  if (!first || first->seen || error->level < XML_ERR_ERROR) return;
  try {
    first->seen = true;
    first->info.code = error->code ? error->code : XML_ERR_INTERNAL_ERROR;
    std::string_view message = error->message ? error->message : "the text is not well-formed";
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
      message.remove_suffix(1);
    }
    first->info.reason = message;
    first->info.line = error->line;
    first->info.column = error->int2;
    RecordPosition(ctxt, *first);
  } catch (...) {
    // Out of memory while describing the error: the parse still fails and says so by status.
  }
}

struct ParserContextFree {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

ParseOutcome Parse(std::string_view bytes, const char* url, const char* encoding, int options) {
  ParseOutcome outcome;
  FirstError first;
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    outcome.error.code = XML_ERR_INTERNAL_ERROR;
    outcome.error.reason = "the text is too large to load";
    return outcome;
  }
  InitXmlParser();
  // Messages that bypass the context (encoding conversion, input errors), from the context's
  // making to its freeing.
  ErrorCapture stray;
  std::unique_ptr<xmlParserCtxt, ParserContextFree> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw std::bad_alloc();
  ctxt->_private = &first;
  ctxt->sax->serror = &OnParseError;

  // Never: XML_PARSE_NOENT (substitution would load external entities), XML_PARSE_DTDLOAD,
  // XML_PARSE_DTDVALID, XML_PARSE_DTDATTR, XML_PARSE_XINCLUDE.
  options |= XML_PARSE_NONET | XML_PARSE_NOWARNING;
  // An empty buffer still needs a valid address.
  const char* data = bytes.empty() ? "" : bytes.data();
  xmlDoc* parsed =
      xmlCtxtReadMemory(ctxt.get(), data, static_cast<int>(bytes.size()), url, encoding, options);
  XmlDocHandle doc = parsed ? AdoptXmlDoc(parsed) : nullptr;
  const bool ok = doc && ctxt->wellFormed && ctxt->nsWellFormed;
  if (ok) {
    outcome.doc = std::move(doc);
    return outcome;
  }
  outcome.error = std::move(first.info);
  if (!first.seen) {
    outcome.error.code = ctxt->errNo ? ctxt->errNo : XML_ERR_INTERNAL_ERROR;
    outcome.error.reason = stray.FirstLine();
    if (outcome.error.reason.empty()) outcome.error.reason = "the text is not well-formed";
  }
  outcome.error.position = static_cast<LONG>(std::min<size_t>(first.byte_offset, INT_MAX));
  if (url) outcome.error.url = url;
  return outcome;
}

}  // namespace

ParseOutcome ParseXmlText(std::string_view utf8, const XmlParseOptions& options) {
  int flags = XML_PARSE_IGNORE_ENC;
  if (!options.keep_blank_text) flags |= XML_PARSE_NOBLANKS;
  ParseOutcome outcome = Parse(utf8, nullptr, "UTF-8", flags);
  if (!outcome.doc) {
    const size_t units = Utf16LengthOfUtf8Prefix(utf8, static_cast<size_t>(outcome.error.position));
    outcome.error.position = static_cast<LONG>(std::min<size_t>(units, INT_MAX));
  }
  return outcome;
}

ParseOutcome ParseXmlBytes(std::string_view bytes, const std::string& url,
                           const XmlParseOptions& options) {
  int flags = 0;
  if (!options.keep_blank_text) flags |= XML_PARSE_NOBLANKS;
  return Parse(bytes, url.c_str(), nullptr, flags);
}

}  // namespace kpx
