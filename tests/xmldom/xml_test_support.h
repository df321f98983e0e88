// Helpers for the XML stand-in tests: making documents, loading text, reading node properties as
// std::u16string.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "com/bstr.h"
#include "kpx/com.h"
#include "kpx/msxml.h"
#include "xmldom/classes.h"

namespace kpx::testing {

// The stand-in classes are entered in the class table before the first test runs.
inline const bool kXmlDomClassesRegistered = (RegisterXmlDomClasses(), true);

inline ComPtr<IXMLDOMDocument> NewDocument() {
  ComPtr<IXMLDOMDocument> doc;
  EXPECT_EQ(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                             doc.PutVoid()),
            S_OK);
  return doc;
}

// loadXML; returns the status, success in *ok.
inline HRESULT LoadText(IXMLDOMDocument* doc, std::u16string_view text, bool* ok = nullptr) {
  Bstr xml(text);
  VARIANT_BOOL success = 1;  // neither true nor false, so an unset result shows
  HRESULT hr = doc->loadXML(xml.Get(), &success);
  EXPECT_TRUE(success == VARIANT_TRUE || success == VARIANT_FALSE);
  if (ok) *ok = success == VARIANT_TRUE;
  return hr;
}

inline ComPtr<IXMLDOMDocument> Loaded(std::u16string_view text) {
  ComPtr<IXMLDOMDocument> doc = NewDocument();
  bool ok = false;
  EXPECT_EQ(LoadText(doc.Get(), text, &ok), S_OK);
  EXPECT_TRUE(ok);
  return doc;
}

// Reads a BSTR property: Read(node, &IXMLDOMNode::get_xml).
template <class T, class Getter>
std::u16string Read(T* object, Getter getter) {
  Bstr text;
  EXPECT_TRUE(SUCCEEDED((object->*getter)(text.Put())));
  return text.Str();
}

inline std::u16string Xml(IXMLDOMNode* node) {
  return Read(node, &IXMLDOMNode::get_xml);
}
inline std::u16string Name(IXMLDOMNode* node) {
  return Read(node, &IXMLDOMNode::get_nodeName);
}
inline std::u16string Text(IXMLDOMNode* node) {
  return Read(node, &IXMLDOMNode::get_text);
}

inline ComPtr<IXMLDOMElement> Root(IXMLDOMDocument* doc) {
  ComPtr<IXMLDOMElement> root;
  EXPECT_EQ(doc->get_documentElement(root.Put()), S_OK);
  return root;
}

// Same COM object (compares IUnknown pointers).
inline bool SameObject(IUnknown* a, IUnknown* b) {
  ComPtr<IUnknown> ua, ub;
  if (a) a->QueryInterface(IUnknown::kIID, ua.PutVoid());
  if (b) b->QueryInterface(IUnknown::kIID, ub.PutVoid());
  return ua.Get() == ub.Get();
}

// A file in the temporary folder, removed when the test ends.
class TempFile {
 public:
  TempFile(const std::string& stem, std::string_view bytes) {
    static int counter = 0;
    path_ = std::filesystem::temp_directory_path() /
            (stem + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter));
    std::ofstream out(path_, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  ~TempFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace kpx::testing
