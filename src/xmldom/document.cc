// The DOMDocument object: loading, the parse error and the document element.
#include "xmldom/document.h"

#include <libxml/xmlerror.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "base/status.h"
#include "base/utf.h"
#include "com/bstr.h"

namespace kpx {

namespace {

ComPtr<IXMLDOMParseError> MakeParseError(ParseErrorInfo info) {
  return ComPtr<IXMLDOMParseError>::Adopt(new ParseErrorObject(std::move(info)));
}

struct FileClose {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// The bytes of a file, or a load error that names it. Only regular files are read: a device or
// a pipe could block or never end.
bool ReadFileBytes(const std::string& path, std::string& bytes, ParseErrorInfo& error) {
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    error.code = XML_IO_LOAD_ERROR;
    error.url = path;
    error.reason = "The file '" + path + "' cannot be read: it is not a regular file";
    return false;
  }
  std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.c_str(), "rb"));
  int failure = file ? 0 : errno;
  if (file) {
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) bytes.append(chunk, got);
    if (std::ferror(file.get())) failure = errno ? errno : EIO;
  }
  if (failure == 0) return true;
  error.code = XML_IO_LOAD_ERROR;
  error.url = path;
  error.reason = "The file '" + path + "' cannot be read: " + std::strerror(failure);
  return false;
}

}  // namespace

DomDocument::DomDocument() : doc_(NewEmptyXmlDoc()), error_(MakeParseError({})) {}

NodeRef DomDocument::GetNodeRef() {
  return {ComPtr<IXMLDOMDocument>(this), doc_, reinterpret_cast<xmlNode*>(doc_.get())};
}

XmlParseOptions DomDocument::ParseOptions() const {
  XmlParseOptions options;
  options.keep_blank_text = preserve_white_space_ != VARIANT_FALSE;
  return options;
}

HRESULT DomDocument::Accept(ParseOutcome outcome, VARIANT_BOOL* success) {
  const bool parsed = outcome.doc != nullptr;
  XmlDocHandle doc = parsed ? std::move(outcome.doc) : NewEmptyXmlDoc();
  ComPtr<IXMLDOMParseError> error = MakeParseError(parsed ? ParseErrorInfo{} : outcome.error);
  doc_ = std::move(doc);
  error_ = std::move(error);
  *success = parsed ? VARIANT_TRUE : VARIANT_FALSE;
  return parsed ? S_OK : S_FALSE;
}

HRESULT DomDocument::get_documentElement(IXMLDOMElement** element) {
  if (!element) return E_POINTER;
  *element = nullptr;
  xmlNode* root = xmlDocGetRootElement(doc_.get());
  if (!root) return S_FALSE;
  return Guarded([&] {
    *element = MakeElementObject({ComPtr<IXMLDOMDocument>(this), doc_, root}).Detach();
    return S_OK;
  });
}

HRESULT DomDocument::get_parseError(IXMLDOMParseError** error) {
  return CopyOut(error_.Get(), error);
}

HRESULT DomDocument::loadXML(BSTR xml, VARIANT_BOOL* success) {
  if (!success) return E_POINTER;
  *success = VARIANT_FALSE;
  return Guarded(
      [&] { return Accept(ParseXmlText(ToUtf8(BstrView(xml)), ParseOptions()), success); });
}

HRESULT DomDocument::load(VARIANT source, VARIANT_BOOL* success) {
  if (!success) return E_POINTER;
  *success = VARIANT_FALSE;
  BSTR path_text;
  if (source.vt == VT_BSTR) {
    path_text = source.bstrVal;
  } else if (source.vt == (VT_BSTR | VT_BYREF) && source.pbstrVal) {
    path_text = *source.pbstrVal;
  } else {
    return E_INVALIDARG;
  }
  return Guarded([&] {
    const std::string path = ToUtf8(BstrView(path_text));
    ParseOutcome outcome;
    std::string bytes;
    if (path.empty()) {
      outcome.error.code = XML_IO_LOAD_ERROR;
      outcome.error.reason = "No file name was given to load";
    } else if (path.find('\0') != std::string::npos) {
      outcome.error.code = XML_IO_LOAD_ERROR;
      outcome.error.reason = "The file name contains a NUL character";
    } else if (ReadFileBytes(path, bytes, outcome.error)) {
      outcome = ParseXmlBytes(bytes, path, ParseOptions());
    }
    return Accept(std::move(outcome), success);
  });
}

HRESULT DomDocument::get_async(VARIANT_BOOL* async) {
  if (!async) return E_POINTER;
  *async = async_;
  return S_OK;
}

HRESULT DomDocument::put_async(VARIANT_BOOL async) {
  async_ = async ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT DomDocument::get_preserveWhiteSpace(VARIANT_BOOL* preserve) {
  if (!preserve) return E_POINTER;
  *preserve = preserve_white_space_;
  return S_OK;
}

HRESULT DomDocument::put_preserveWhiteSpace(VARIANT_BOOL preserve) {
  preserve_white_space_ = preserve ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

}  // namespace kpx
