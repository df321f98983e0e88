// Compiling stylesheets and running transforms with libxslt, under the stand-in's safety rules:
// documents that a stylesheet imports or reads through document() load without network access,
// external entities or DTDs; transforms may not write files or create directories; every
// message goes into the error instead of standard error.
#pragma once

#include <libxslt/xsltInternals.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "xmldom/node_ref.h"

namespace kpx {

using StylesheetHandle = std::shared_ptr<xsltStylesheet>;

// Compiles the stylesheet that a document (or an element as its root) holds, from a copy of it.
// Throws ConverterError(E_FAIL, message) when it does not compile, ConverterError(E_INVALIDARG)
// for a node that is neither a document nor an element.
StylesheetHandle CompileStylesheet(const NodeRef& stylesheet);

// A top-level parameter: a string value, or an XPath expression (a number or boolean).
struct XsltParameter {
  std::string name;   // UTF-8
  std::string value;  // UTF-8
  bool is_string = true;
};

// A function that stylesheets may call during a transform, as {namespace_uri}name(...). Its
// arguments arrive as strings (UTF-8; numbers written as XPath writes them, "12", "1.5", "NaN",
// whatever the process locale); it answers a boolean. It runs inside libxslt: a call that throws
// stops the transform, and RunTransform throws that exception once libxslt has returned.
struct XsltExtensionFunction {
  std::string namespace_uri;
  std::string name;
  std::function<bool(const std::vector<std::string>& args)> call;
};

// Runs the stylesheet over a copy of the input (a document, or an element as the copy's root) and
// returns the result serialized as the stylesheet's xsl:output asks, as UTF-8 text: an encoding
// that xsl:output names still appears in the declaration, but the characters are not converted
// (the caller hands them out as UTF-16).
// Throws ConverterError(E_FAIL, message) when the transform fails or is terminated, or what an
// extension function threw.
// The extension functions are available to that transform only.
std::string RunTransform(const StylesheetHandle& stylesheet, const NodeRef& input,
                         const std::vector<XsltParameter>& parameters,
                         const std::vector<XsltExtensionFunction>& extensions = {});

}  // namespace kpx
