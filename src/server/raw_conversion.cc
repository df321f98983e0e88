// convertRawWithDOM: the cleaner in XML mode, loaded into a document; when the load itself fails,
// a log file beside the host program tells what went in and what came out.
#include <cstdio>
#include <string>

#include "base/module_paths.h"
#include "base/stage_timer.h"
#include "base/status.h"
#include "cleaner/html_cleaner.h"
#include "com/bstr.h"
#include "server/xh2x_converter.h"

namespace kpx {

namespace {

constexpr const char* kLogName = "x2x_raw2xml.log";

// Every "&" is followed by "amp;", entity or not: the document then shows the cleaner's text as
// it was written.
std::u16string EscapeAmpersands(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 16);
  for (char16_t c : text) {
    out.push_back(c);
    if (c == u'&') out.append(u"amp;");
  }
  return out;
}

// Appends text to the log as UTF-16 code units, two bytes each (low byte first). The file is
// opened anew for each piece, as the log has always been written; one that cannot be opened is
// skipped.
void WriteLogPiece(const std::string& path, const char* mode, std::u16string_view text) {
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (!file) return;
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

std::u16string Ascii(const char* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<unsigned char>(*text));
  return out;
}

void WriteRawConversionLog(std::u16string_view html, std::u16string_view xml,
                           std::u16string_view messages, IXMLDOMDocument* document) {
  std::u16string error_line;
  ComPtr<IXMLDOMParseError> error;
  if (SUCCEEDED(document->get_parseError(error.Put())) && error) {
    LONG line = 0, column = 0;
    error->get_line(&line);
    error->get_linepos(&column);
    char position[64];
    std::snprintf(position, sizeof position, "line %ld, col %ld: ", static_cast<long>(line),
                  static_cast<long>(column));
    Bstr reason;
    error->get_reason(reason.Put());
    error_line = Ascii(position) + reason.Str();
  }
  const std::string path = ExecutableDirectory() + "/" + kLogName;
  WriteLogPiece(path, "wb", u"CXH2XConverter::convertRawWithDOM() log");
  WriteLogPiece(path, "ab", u"\n\n[HTML]\n\n");
  WriteLogPiece(path, "ab", html);
  WriteLogPiece(path, "ab", u"\n\n[XML]\n\n");
  WriteLogPiece(path, "ab", xml);
  WriteLogPiece(path, "ab", u"\n\n[input warnings]\n\n");
  WriteLogPiece(path, "ab", messages);
  WriteLogPiece(path, "ab", u"\n\n[output errors]\n\n");
  WriteLogPiece(path, "ab", error_line);
}

}  // namespace

HRESULT XH2XConverter::convertRawWithDOM(BSTR bstrHTML, IXMLDOMDocument** ppXML) {
  return Guarded([&]() -> HRESULT {
    if (!ppXML) return E_INVALIDARG;
    *ppXML = nullptr;
    HtmlCleaner cleaner;
    cleaner.SetMode(CleanerMode::kXml);
    std::u16string cleaned;
    HRESULT hr = cleaner.Run(BstrView(bstrHTML), &cleaned);
    if (FAILED(hr)) return hr;
    std::u16string xml = EscapeAmpersands(cleaned);

    ComPtr<IXMLDOMDocument> document;
    hr = CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                          document.PutVoid());
    if (FAILED(hr)) return hr;
    if (!document) return E_FAIL;
    std::u16string_view text = xml;
    if (!text.empty() && (text.front() == 0xFEFF || text.front() == 0xFFFE)) text.remove_prefix(1);
    Bstr load_text(text);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    {
      StageTimer timer("!xml");
      hr = document->loadXML(load_text.Get(), &loaded);
    }
    if (hr == S_OK) {
      if (loaded == VARIANT_FALSE) return S_FALSE;
      *ppXML = document.Detach();
      return S_OK;
    }
    WriteRawConversionLog(BstrView(bstrHTML), text, cleaner.messages(), document.Get());
    return hr;
  });
}

}  // namespace kpx
