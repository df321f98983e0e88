// convertRawWithDOM: the cleaner in XML mode, loaded into a document; when the load itself fails,
// a log file beside the host program tells what went in and what came out.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <string_view>

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

// Appends text to bytes as UTF-16 code units, two bytes each (low byte first).
void AppendUtf16Le(std::string& bytes, std::u16string_view text) {
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
}

// Writes the log in one go. A symbolic link where the log goes is never followed (someone else's
// file would be overwritten), a FIFO there does not hold the host up, and a log that cannot be
// written is simply not written: the conversion's result does not depend on it.
void WriteLogFile(const std::string& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) return;
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  ::close(fd);
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
  std::string bytes;
  bytes.reserve(2 * (html.size() + xml.size() + messages.size() + error_line.size() + 128));
  for (std::u16string_view piece :
       {std::u16string_view(u"CXH2XConverter::convertRawWithDOM() log\n\n[HTML]\n\n"), html,
        std::u16string_view(u"\n\n[XML]\n\n"), xml,
        std::u16string_view(u"\n\n[input warnings]\n\n"), messages,
        std::u16string_view(u"\n\n[output errors]\n\n"), std::u16string_view(error_line)}) {
    AppendUtf16Le(bytes, piece);
  }
  WriteLogFile(ExecutableDirectory() + "/" + kLogName, bytes);
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
