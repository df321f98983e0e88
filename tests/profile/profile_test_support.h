// Helpers for the profile tests: documents made through the class table, a diagnostics sink that
// records what it is told, and short ways to write profiles.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/msxml.h"
#include "profile/profile_diagnostics.h"
#include "xmldom/classes.h"

namespace kpx::testing {

// The stand-in classes are entered in the class table before the first test runs.
inline const bool kXmlDomClassesRegistered = (RegisterXmlDomClasses(), true);

struct Finding {
  bool is_error = false;
  std::string message;

  friend bool operator==(const Finding&, const Finding&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Finding& f) {
    return out << (f.is_error ? "error: " : "warning: ") << f.message;
  }
};

inline Finding Error(std::string message) {
  return {true, std::move(message)};
}
inline Finding Warning(std::string message) {
  return {false, std::move(message)};
}

class RecordingDiagnostics final : public ProfileDiagnostics {
 public:
  void Report(bool is_error, IXMLDOMNode*, std::u16string_view message) override {
    findings.push_back({is_error, ToUtf8(message)});
  }
  std::vector<Finding> findings;
};

// A document loaded from UTF-8 text; the test fails when it does not load.
inline ComPtr<IXMLDOMDocument> LoadDocument(std::string_view xml) {
  ComPtr<IXMLDOMDocument> doc;
  EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                             doc.PutVoid()),
            S_OK);
  Bstr text(ToUtf16(xml));
  VARIANT_BOOL ok = VARIANT_FALSE;
  EXPECT_EQ(doc->loadXML(text.Get(), &ok), S_OK) << xml;
  EXPECT_EQ(ok, VARIANT_TRUE) << xml;
  return doc;
}

// A forward profile document around the given children of the root, with the prefixes declared.
inline std::string ForwardProfile(std::string_view modes) {
  return "<xconverterProfile xmlns:html='urn:h' xmlns:kps='urn:k' xmlns:sgml='urn:s'>" +
         std::string(modes) + "</xconverterProfile>";
}

// One mode named "m" holding the given children.
inline std::string OneMode(std::string_view body) {
  return ForwardProfile("<mode target='m'>" + std::string(body) + "</mode>");
}

inline std::string ReadFile(const std::string& path) {
  std::string bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
  }
  return bytes;
}

}  // namespace kpx::testing
