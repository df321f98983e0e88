// libxslt compile and transform runs.
#include "xmldom/xslt_engine.h"

#include <libxml/parser.h>
#include <libxml/uri.h>
#include <libxslt/documents.h>
#include <libxslt/extensions.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/variables.h>
#include <libxslt/xsltutils.h>

#include <sys/stat.h>

#include <exception>
#include <mutex>
#include <string>
#include <string_view>

#include "base/classic_locale.h"
#include "base/status.h"
#include "xmldom/error_capture.h"
#include "xmldom/strings.h"
#include "xmldom/tree_copy.h"
#include "xmldom/xml_library.h"

namespace kpx {

namespace {

// What libxslt loads on a stylesheet's behalf (xsl:import, xsl:include, document()) is parsed
// without the substitution, DTD loading and network access that libxslt asks for by default.
// The loader is one for the process: while any compile or transform runs it is SafeDocLoader,
// which hands the cleaned options to the loader that was there before.
struct LoaderSwap {
  std::mutex mutex;
  int users = 0;
  xsltDocLoaderFunc wrapped = nullptr;
};

LoaderSwap& Loader() {
  static LoaderSwap swap;
  return swap;
}

// A local name that is not a regular file (a device such as /dev/zero, a pipe) could read
// forever; such names are refused. Names with another scheme are left to the loader (the network
// ones fail under XML_PARSE_NONET).
bool IsReadableLocalName(const xmlChar* uri) {
  std::string_view name = XmlView(uri);
  std::string path;
  if (name.rfind("file://", 0) == 0) {
    XmlString unescaped(reinterpret_cast<xmlChar*>(
        xmlURIUnescapeString(std::string(name.substr(7)).c_str(), 0, nullptr)));
    if (unescaped.IsNull()) return false;
    path = unescaped.View();
    if (path.rfind("localhost/", 0) == 0) path.erase(0, 9);
  } else if (name.find(':') == std::string_view::npos) {
    path = name;
  } else {
    return true;
  }
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Called by libxslt: nothing may be thrown from here (a document that cannot be looked at is not
// loaded).
xmlDoc* SafeDocLoader(const xmlChar* uri, xmlDict* dict, int options, void* ctxt,
                      xsltLoadType type) noexcept {
  xsltDocLoaderFunc wrapped = nullptr;
  try {
    if (!uri || !IsReadableLocalName(uri)) return nullptr;
    LoaderSwap& swap = Loader();
    std::lock_guard<std::mutex> lock(swap.mutex);
    wrapped = swap.wrapped;
  } catch (...) {
    return nullptr;
  }
  if (!wrapped) return nullptr;
  options &= ~(XML_PARSE_NOENT | XML_PARSE_DTDLOAD | XML_PARSE_DTDATTR | XML_PARSE_DTDVALID |
               XML_PARSE_XINCLUDE);
  options |= XML_PARSE_NONET;
  return wrapped(uri, dict, options, ctxt, type);
}

// Keeps SafeDocLoader installed for the life of a compile or transform.
class ScopedSafeLoader {
 public:
  ScopedSafeLoader() {
    LoaderSwap& swap = Loader();
    std::lock_guard<std::mutex> lock(swap.mutex);
    if (swap.users++ == 0) {
      swap.wrapped = xsltDocDefaultLoader;
      xsltDocDefaultLoader = &SafeDocLoader;
    }
  }
  ~ScopedSafeLoader() {
    LoaderSwap& swap = Loader();
    std::lock_guard<std::mutex> lock(swap.mutex);
    if (--swap.users == 0) xsltDocDefaultLoader = swap.wrapped;
  }
  ScopedSafeLoader(const ScopedSafeLoader&) = delete;
  ScopedSafeLoader& operator=(const ScopedSafeLoader&) = delete;
};

std::string FailureText(const ErrorCapture& capture, const char* fallback) {
  std::string text = capture.FirstLine();
  return text.empty() ? fallback : text;
}

// What a running transform's extension functions reach through the transform context: the
// functions, and the first exception one of them threw (carried past libxslt's frames and thrown
// again once the transform has returned).
struct ExtensionRun {
  const std::vector<XsltExtensionFunction>* functions = nullptr;
  std::exception_ptr failure;
};

// Calls the extension function that the running transform registered under the called name.
// Called by libxslt: an exception (out of memory while reading the arguments, or one thrown by the
// function) stops the transform and is kept for RunTransform.
void CallExtension(xmlXPathParserContextPtr parser, int nargs) noexcept {
  xsltTransformContextPtr tctxt = xsltXPathGetTransformContext(parser);
  auto* run = tctxt ? static_cast<ExtensionRun*>(tctxt->_private) : nullptr;
  int left = nargs;  // arguments still on the XPath stack
  try {
    std::string_view name = XmlView(parser->context->function);
    std::string_view uri = XmlView(parser->context->functionURI);
    const XsltExtensionFunction* function = nullptr;
    if (run && run->functions) {
      for (const XsltExtensionFunction& candidate : *run->functions) {
        if (candidate.name == name && candidate.namespace_uri == uri) function = &candidate;
      }
    }
    std::vector<std::string> args(static_cast<size_t>(nargs > 0 ? nargs : 0));
    for (; left > 0; --left) {
      XmlString value(xmlXPathPopString(parser));
      args[static_cast<size_t>(left - 1)] = std::string(value.View());
    }
    const bool result = function && function->call(args);
    valuePush(parser, xmlXPathNewBoolean(result ? 1 : 0));
  } catch (...) {
    for (; left > 0; --left) xmlFree(xmlXPathPopString(parser));
    if (run && !run->failure) run->failure = std::current_exception();
    if (tctxt) tctxt->state = XSLT_STATE_STOPPED;
    xmlXPathSetError(parser, XPATH_MEMORY_ERROR);
  }
}

struct TransformContextFree {
  void operator()(xsltTransformContext* ctxt) const { xsltFreeTransformContext(ctxt); }
};
struct SecurityPrefsFree {
  void operator()(xsltSecurityPrefs* prefs) const { xsltFreeSecurityPrefs(prefs); }
};
struct OutputBufferClose {
  void operator()(xmlOutputBuffer* buffer) const { xmlOutputBufferClose(buffer); }
};

// Reading files stays allowed (document() on local files); the network and writing are not.
std::unique_ptr<xsltSecurityPrefs, SecurityPrefsFree> NewSecurityPrefs() {
  std::unique_ptr<xsltSecurityPrefs, SecurityPrefsFree> prefs(xsltNewSecurityPrefs());
  if (!prefs) throw std::bad_alloc();
  for (xsltSecurityOption option : {XSLT_SECPREF_READ_NETWORK, XSLT_SECPREF_WRITE_NETWORK,
                                    XSLT_SECPREF_WRITE_FILE, XSLT_SECPREF_CREATE_DIRECTORY}) {
    if (xsltSetSecurityPrefs(prefs.get(), option, xsltSecurityForbid) != 0) {
      throw std::bad_alloc();
    }
  }
  return prefs;
}

std::string Serialize(xmlDoc* result, xsltStylesheet* stylesheet) {
  // No encoder: the characters stay UTF-8 whatever encoding xsl:output names.
  std::unique_ptr<xmlOutputBuffer, OutputBufferClose> buffer(xmlAllocOutputBuffer(nullptr));
  if (!buffer) throw std::bad_alloc();
  if (xsltSaveResultTo(buffer.get(), result, stylesheet) < 0) {
    throw ConverterError(E_FAIL, "the transform result could not be written");
  }
  const xmlChar* content = xmlOutputBufferGetContent(buffer.get());
  const size_t size = xmlOutputBufferGetSize(buffer.get());
  return content ? std::string(reinterpret_cast<const char*>(content), size) : std::string();
}

const xmlChar* Xml(const std::string& text) {
  return reinterpret_cast<const xmlChar*>(text.c_str());
}

}  // namespace

StylesheetHandle CompileStylesheet(const NodeRef& stylesheet) {
  InitXslt();
  OwnedXmlDoc copy = CopyAsDocument(stylesheet);
  ErrorCapture capture;
  ScopedSafeLoader loader;
  ScopedClassicLocale classic_numbers;
  xsltStylesheet* compiled = xsltParseStylesheetDoc(copy.get());
  if (!compiled) {
    // Without a stylesheet libxslt leaves the document with the caller.
    throw ConverterError(E_FAIL, FailureText(capture, "the stylesheet does not compile"));
  }
  copy.release();  // now owned by the stylesheet
  return StylesheetHandle(compiled, &xsltFreeStylesheet);
}

std::string RunTransform(const StylesheetHandle& stylesheet, const NodeRef& input,
                         const std::vector<XsltParameter>& parameters,
                         const std::vector<XsltExtensionFunction>& extensions) {
  InitXslt();
  // Always a copy: libxslt changes its input (xsl:strip-space frees text nodes that node objects
  // may hold), and entity references must become their text.
  OwnedXmlDoc copy = CopyAsDocument(input);
  xmlDoc* source = copy.get();

  ErrorCapture capture;
  ScopedSafeLoader loader;
  ScopedClassicLocale classic_numbers;  // XPath numbers become text as under "C"
  auto prefs = NewSecurityPrefs();
  std::unique_ptr<xsltTransformContext, TransformContextFree> ctxt(
      xsltNewTransformContext(stylesheet.get(), source));
  if (!ctxt) throw std::bad_alloc();
  if (xsltSetCtxtSecurityPrefs(prefs.get(), ctxt.get()) != 0) throw std::bad_alloc();
  xsltSetCtxtParseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_NOCDATA);
  ExtensionRun run{&extensions, nullptr};
  ctxt->_private = &run;
  for (const XsltExtensionFunction& function : extensions) {
    if (xsltRegisterExtFunction(ctxt.get(), Xml(function.name), Xml(function.namespace_uri),
                                &CallExtension) != 0) {
      throw std::bad_alloc();
    }
  }

  // Strings are registered as they are (no quoting to get wrong); expressions are evaluated by
  // the transform once it has its context.
  std::vector<const char*> expressions;
  for (const XsltParameter& parameter : parameters) {
    if (parameter.is_string) {
      if (xsltQuoteOneUserParam(ctxt.get(), Xml(parameter.name), Xml(parameter.value)) != 0) {
        throw ConverterError(E_FAIL, FailureText(capture, "a parameter could not be set"));
      }
    } else {
      expressions.push_back(parameter.name.c_str());
      expressions.push_back(parameter.value.c_str());
    }
  }
  expressions.push_back(nullptr);

  OwnedXmlDoc result(xsltApplyStylesheetUser(stylesheet.get(), source, expressions.data(), nullptr,
                                             nullptr, ctxt.get()));
  if (run.failure) std::rethrow_exception(run.failure);
  if (!result || ctxt->state == XSLT_STATE_ERROR || ctxt->state == XSLT_STATE_STOPPED) {
    throw ConverterError(E_FAIL, FailureText(capture, "the transform failed"));
  }
  return Serialize(result.get(), stylesheet.get());
}

}  // namespace kpx
