// What a converter keeps between operations: the edit list's buffers are reused after ordinary
// pages and given back after a call that made them large (a long insert, a page of very many
// edits), whatever the number of edits.
#include <gtest/gtest.h>

#include <string>

#include "com/bstr.h"
#include "com/com_object.h"
#include "server/xh2x_converter.h"
#include "textutil/edit_session.h"

namespace kpx {
namespace {

std::u16string Repeat(std::u16string_view text, size_t times) {
  std::u16string out;
  out.reserve(text.size() * times);
  for (size_t i = 0; i < times; ++i) out.append(text);
  return out;
}

struct HeldRow {
  const char* name;
  std::u16string page;
  std::u16string meta;  // empty: makeExtensible, else insertMETA with it
  bool keeps_some;      // an ordinary call leaves its buffers for the next one
};

TEST(WorkingMemoryTest, LargeCallsGiveTheirBuffersBack) {
  const std::u16string small_page = u"<html><head><title>t</title></head><body><P>x<BR></body>";
  const HeldRow rows[] = {
      {"ordinary page", small_page, u"", true},
      {"20 MB meta", small_page, u"<meta content=\"" + std::u16string(20'000'000, u'x') + u"\">",
       false},
      {"400,000 edits", Repeat(u"<P CLASS=a><BR></P>\n", 100'000), u"", false},
  };
  for (const HeldRow& row : rows) {
    SCOPED_TRACE(row.name);
    ComPtr<XH2XConverter> converter = MakeCom<XH2XConverter>();
    Bstr page(row.page), result;
    if (row.meta.empty()) {
      EXPECT_EQ(converter->makeExtensible(page.Get(), result.Put()), S_FALSE);
    } else {
      Bstr meta(row.meta);
      EXPECT_EQ(converter->insertMETA(page.Get(), meta.Get(), result.Put()), S_OK);
      EXPECT_GT(result.View().size(), row.meta.size());
    }
    EXPECT_LE(converter->WorkingBytesHeld(), EditSession::kBytesWorthKeeping);
    EXPECT_EQ(converter->WorkingBytesHeld() > 0, row.keeps_some);
  }
}

}  // namespace
}  // namespace kpx
