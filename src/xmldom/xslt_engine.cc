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

#include <mutex>
#include <string>
#include <string_view>

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

xmlDoc* SafeDocLoader(const xmlChar* uri, xmlDict* dict, int options, void* ctxt,
                      xsltLoadType type) {
  try {
    if (!uri || !IsReadableLocalName(uri)) return nullptr;
  } catch (...) {
    return nullptr;
  }
  xsltDocLoaderFunc wrapped;
  {
    LoaderSwap& swap = Loader();
    std::lock_guard<std::mutex> lock(swap.mutex);
    wrapped = swap.wrapped;
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

// Calls the extension function that the running transform registered under the called name.
void CallExtension(xmlXPathParserContextPtr parser, int nargs) {
  xsltTransformContextPtr tctxt = xsltXPathGetTransformContext(parser);
  auto* extensions =
      tctxt ? static_cast<const std::vector<XsltExtensionFunction>*>(tctxt->_private) : nullptr;
  std::string_view name = XmlView(parser->context->function);
  std::string_view uri = XmlView(parser->context->functionURI);
  const XsltExtensionFunction* function = nullptr;
  if (extensions) {
    for (const XsltExtensionFunction& candidate : *extensions) {
      if (candidate.name == name && candidate.namespace_uri == uri) function = &candidate;
    }
  }
  std::vector<std::string> args(static_cast<size_t>(nargs > 0 ? nargs : 0));
  for (int i = nargs - 1; i >= 0; --i) {
    XmlString value(xmlXPathPopString(parser));
    args[static_cast<size_t>(i)] = std::string(value.View());
  }
  bool result = false;
  if (function) {
    try {
      result = function->call(args);
    } catch (...) {
      result = false;
    }
  }
  valuePush(parser, xmlXPathNewBoolean(result ? 1 : 0));
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
  auto prefs = NewSecurityPrefs();
  std::unique_ptr<xsltTransformContext, TransformContextFree> ctxt(
      xsltNewTransformContext(stylesheet.get(), source));
  if (!ctxt) throw std::bad_alloc();
  if (xsltSetCtxtSecurityPrefs(prefs.get(), ctxt.get()) != 0) throw std::bad_alloc();
  xsltSetCtxtParseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_NOCDATA);
  ctxt->_private = const_cast<std::vector<XsltExtensionFunction>*>(&extensions);
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
  if (!result || ctxt->state == XSLT_STATE_ERROR || ctxt->state == XSLT_STATE_STOPPED) {
    throw ConverterError(E_FAIL, FailureText(capture, "the transform failed"));
  }
  return Serialize(result.get(), stylesheet.get());
}

}  // namespace kpx
