// Several converters at once, one per thread, each running over the corpus pages what the library
// does today: the page utilities, the raw conversion, the cleaner and table edits through the HTML
// document. Every result must be the one a single thread got. The tsan build runs this (label
// "threads") under ThreadSanitizer, which also reports any memory they share without order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "base/utf.h"
#include "cleaner/html_cleaner.h"
#include "com/bstr.h"
#include "htmldom/html_test_support.h"
#include "kpx/kpxhtml2xml.h"

namespace kpx::testing {
namespace {

namespace fs = std::filesystem;

// The tidy regression pages up to this size: all but the one of 65,000 nested elements, which
// keeps the cleaner busy for seconds. About 370 pages, 0.9 MB.
constexpr std::uintmax_t kPageLimit = 64 * 1024;
constexpr int kThreads = 4;

struct Page {
  std::string name;
  std::u16string text;
};

// A corpus page as text: UTF-16 with its mark, UTF-8, or else one byte per character.
std::u16string ReadPage(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
  }
  if (!FindInvalidUtf8(bytes)) return ToUtf16(bytes);
  return std::u16string(bytes.begin(), bytes.end());
}

std::vector<Page> CorpusPages() {
  const fs::path folder = fs::path(KPX_SOURCE_DIR "/../shared/corpus") / "tidy-cases";
  std::vector<Page> pages;
  if (!fs::is_directory(folder)) return pages;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == ".html" &&
        entry.file_size() <= kPageLimit) {
      pages.push_back({entry.path().filename().string(), ReadPage(entry.path())});
    }
  }
  std::sort(pages.begin(), pages.end(),
            [](const Page& a, const Page& b) { return a.name < b.name; });
  return pages;
}

ComPtr<IXH2XConverter> NewConverter() {
  ComPtr<IClassFactory> factory;
  ComPtr<IXH2XConverter> converter;
  EXPECT_EQ(DllGetClassObject(CLSID_XH2XConverter, IClassFactory::kIID, factory.PutVoid()), S_OK);
  if (factory) factory->CreateInstance(nullptr, IXH2XConverter::kIID, converter.PutVoid());
  return converter;
}

// One worker's objects, made on its thread and used only there, and what they make of a page:
// one entry per operation, its status and its text.
class Worker {
 public:
  Worker() : converter_(NewConverter()) {}

  std::vector<std::u16string> Run(const std::u16string& page) {
    results_.clear();
    Bstr html(page);
    Utility(&IXH2XConverter::makeExtensible, html);
    converter_->setPublishMode(VARIANT_TRUE);
    Utility(&IXH2XConverter::makeExtensible, html);
    converter_->setPublishMode(VARIANT_FALSE);
    Utility(&IXH2XConverter::balance, html);
    Utility(&IXH2XConverter::moveBodyTags, html);
    Utility(&IXH2XConverter::prepareDoctypeForSection508, html);
    Utility(&IXH2XConverter::maskDoctype, html);
    Bstr meta(u"<meta name=\"robots\" content=\"noindex\">");
    Bstr with_meta;
    HRESULT hr = converter_->insertMETA(html.Get(), meta.Get(), with_meta.Put());
    Record(hr, with_meta.View());
    Bstr path(u"http://host/app");
    Bstr resolved;
    hr = converter_->resolvePaths(html.Get(), path.Get(), resolved.Put());
    Record(hr, resolved.View());
    RawConversion(html);
    Clean(page, CleanerMode::kHtml, true);
    Clean(page, CleanerMode::kXhtml, false);
    EditTable(html, opInsertColumn);
    EditTable(html, opDeleteRow);
    return std::move(results_);
  }

 private:
  using Utility2 = HRESULT (IXH2XConverter::*)(BSTR, BSTR*);

  void Record(HRESULT hr, std::u16string_view text) {
    results_.push_back(ToUtf16(std::to_string(hr)) + u":" + std::u16string(text));
  }

  void Utility(Utility2 operation, const Bstr& html) {
    Bstr out;
    const HRESULT hr = (converter_.Get()->*operation)(html.Get(), out.Put());
    Record(hr, out.View());
  }

  void RawConversion(const Bstr& html) {
    ComPtr<IXMLDOMDocument> document;
    const HRESULT hr = converter_->convertRawWithDOM(html.Get(), document.Put());
    Bstr xml;
    if (document) document->get_xml(xml.Put());
    Record(hr, xml.View());
  }

  void Clean(const std::u16string& page, CleanerMode mode, bool pipeline) {
    HtmlCleaner cleaner;
    cleaner.SetMode(mode);
    cleaner.SetOption(kPreserveCaseSwitch, pipeline);
    cleaner.SetOption(kOmitImplicitFormSwitch, pipeline);
    std::u16string output;
    Record(cleaner.Run(page, &output), output + u"\n" + cleaner.messages());
  }

  // The operation with the caret at the start of the first cell of the page's first table.
  void EditTable(const Bstr& html, enumTableOperation operation) {
    ComPtr<IHTMLDocument2> document;
    HRESULT hr = CoCreateInstance(CLSID_HTMLDocument, nullptr, CLSCTX_ALL, IHTMLDocument2::kIID,
                                  document.PutVoid());
    if (SUCCEEDED(hr)) hr = document.As<IHTMLDocumentText>()->loadHTML(html.Get());
    if (FAILED(hr)) return Record(hr, u"load");
    const ComPtr<IHTMLElement> table = TableAt(document.Get());
    const ComPtr<IHTMLElement> cell = table ? CellAt(table.Get(), 0, 0) : nullptr;
    if (!cell) return Record(S_FALSE, u"no table cell");
    SelectCaret(document.Get(), cell.Get());
    hr = converter_->performTableOperation(document.Get(), operation);
    Record(hr, ToUtf16(DocumentHtml(document.Get())));
  }

  ComPtr<IXH2XConverter> converter_;
  std::vector<std::u16string> results_;
};

TEST(ConcurrentConvertersTest, EachThreadGetsTheSingleThreadedResults) {
  const std::vector<Page> pages = CorpusPages();
  if (pages.empty()) GTEST_SKIP() << "no corpus beside the source tree";
  std::vector<std::vector<std::u16string>> expected;
  {
    Worker alone;
    for (const Page& page : pages) expected.push_back(alone.Run(page.text));
  }

  // Each thread starts at another place in the list, so that different pages and operations
  // overlap; each keeps its differences for the main thread to report.
  std::vector<std::vector<std::string>> differences(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      Worker worker;
      for (size_t k = 0; k < pages.size(); ++k) {
        const size_t i = (k + pages.size() * t / kThreads) % pages.size();
        const std::vector<std::u16string> got = worker.Run(pages[i].text);
        for (size_t op = 0; op < got.size(); ++op) {
          if (op >= expected[i].size() || got[op] != expected[i][op]) {
            differences[t].push_back(pages[i].name + " operation " + std::to_string(op));
          }
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_TRUE(differences[t].empty()) << "thread " << t << ": " << differences[t].size()
                                        << " differ, first " << differences[t].front();
  }
}

}  // namespace
}  // namespace kpx::testing
