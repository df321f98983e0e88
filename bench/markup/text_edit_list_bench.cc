// TextEditList::Apply on generated pages of 1, 4 and 16 MB with 1,000 to 100,000 edits, the mix
// a scanner records (and, apart, lists that need the edit-by-edit replay): quotes inserted around
// values, escapes (a delete and an insert at one offset), lower-cased names, removed ranges and
// inserts tied at one offset. Throughput counts the page's size in UTF-8 (the generated page is
// ASCII: one byte per character).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "markup/text_edit_list.h"

namespace {

std::u16string MakePage(std::size_t length) {
  static constexpr std::u16string_view kChunk =
      u"<TD CLASS=cell><A HREF=page.html?a=1&b=2>Link text</A> & more <B>bold</B></TD>\n";
  std::u16string page;
  page.reserve(length);
  while (page.size() < length) page.append(kChunk.substr(0, length - page.size()));
  return page;
}

kpx::TextEditList MakeList(std::size_t megabytes, std::size_t edit_count) {
  const std::size_t length = megabytes << 20;
  kpx::TextEditList list{MakePage(length)};
  std::mt19937_64 random(megabytes * 1000003 + edit_count);
  // Edits are recorded as a scanner goes forward: one site per stride, in order.
  const std::size_t stride = length / (edit_count / 2 + 1);
  std::size_t at = 0;
  while (list.EditCount() < edit_count && at + 16 < length) {
    switch (random() % 5) {
      case 0:  // quotes around an unquoted value
        list.Insert(at, u"\"", true);
        list.Insert(at + 4, u"\"", true);
        break;
      case 1:  // an escaped character
        list.Delete(at + 1, 1);
        list.Insert(at + 1, u"&amp;", true);
        break;
      case 2:  // a lower-cased tag name and a minimized attribute's value
        list.LowerCase(at, 2);
        list.Insert(at + 2, u"=\"checked\"", true);
        break;
      case 3:  // a removed duplicate attribute with an insert tied at its start
        list.Delete(at + 3, 6);
        list.Insert(at + 3, u" ", false);
        break;
      default:  // inserts tied at one offset
        list.Insert(at + 2, u"<p>", false);
        list.Insert(at + 2, u"</p>", true);
        break;
    }
    at += stride;
  }
  return list;
}

void BM_TextEditListApply(benchmark::State& state) {
  const auto megabytes = static_cast<std::size_t>(state.range(0));
  const auto edits = static_cast<std::size_t>(state.range(1));
  const kpx::TextEditList prototype = MakeList(megabytes, edits);
  kpx::TextEditList list;
  for (auto _ : state) {
    state.PauseTiming();
    list = prototype;
    state.ResumeTiming();
    list.Apply();
    benchmark::DoNotOptimize(list.Text().data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(prototype.Text().size()));
  state.counters["edits"] = static_cast<double>(prototype.EditCount());
}
BENCHMARK(BM_TextEditListApply)
    ->ArgsProduct({{1, 4, 16}, {1000, 10000, 100000}})
    ->ArgNames({"MB", "edits"})
    ->Unit(benchmark::kMillisecond);

// Lists that only the edit-by-edit replay takes (every delete shares characters with the one
// before it, a move now and then): its time must grow as n log n in the edits, not n squared.
void BM_TextEditListReplay(benchmark::State& state) {
  const auto edit_count = static_cast<std::size_t>(state.range(0));
  const std::size_t length = std::size_t{4} << 20;
  kpx::TextEditList prototype{MakePage(length)};
  const std::size_t stride = length / (edit_count / 3 + 1);
  for (std::size_t at = 0; prototype.EditCount() < edit_count && at + 16 < length; at += stride) {
    prototype.Delete(at, 6);
    prototype.Delete(at + 3, 6);
    if (at % 7 == 0) {
      prototype.Move(at + 10, 2, at, true);
    } else {
      prototype.Insert(at + 4, u"<x>", true);
    }
  }
  kpx::TextEditList list;
  for (auto _ : state) {
    state.PauseTiming();
    list = prototype;
    state.ResumeTiming();
    list.Apply();
    benchmark::DoNotOptimize(list.Text().data());
  }
  state.counters["edits"] = static_cast<double>(prototype.EditCount());
  state.counters["per_edit"] = benchmark::Counter(
      static_cast<double>(prototype.EditCount()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TextEditListReplay)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->ArgName("edits")
    ->Unit(benchmark::kMillisecond);

// The floor: copying the page once, which any apply has to do.
void BM_CopyPage(benchmark::State& state) {
  const std::u16string page = MakePage(static_cast<std::size_t>(state.range(0)) << 20);
  for (auto _ : state) {
    std::u16string copy(page);
    benchmark::DoNotOptimize(copy.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_CopyPage)->Arg(1)->Arg(4)->Arg(16)->ArgName("MB")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
