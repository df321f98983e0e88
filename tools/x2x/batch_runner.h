// Runs one operation over the items of a batch on worker threads. Each worker keeps one
// converter and one fixture host for all the items it takes, as a host application keeps its
// converter; each item gets a host started afresh with just its page, so that it converts as
// x2x would convert it alone.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "x2x/batch_inputs.h"
#include "x2x/command_options.h"
#include "x2x/fixture_host.h"
#include "x2x/operation_table.h"

namespace x2x {

struct BatchJob {
  const OperationSpec* operation = nullptr;
  CommandOptions options;
  HostData base;                // the host without its pages
  std::vector<PageData> pages;  // the host file's pages
  LONG nextPageId = 1;          // for a page made for a file that no host page is named after
  unsigned workers = 1;
};

// What became of one item.
struct ItemOutcome {
  bool ran = false;  // the operation was called: status holds what it returned
  HRESULT status = S_OK;
  bool ok = false;
  bool written = false;  // the result was written to the item's output
  double milliseconds = 0;
  std::vector<HostMessage> messages;
  std::u16string errors;           // the converter's error text, when it has one
  std::vector<std::string> notes;  // x2x's own: why the item failed outside the operation
};

struct BatchCounts {
  size_t done = 0;
  size_t failed = 0;
  std::uintmax_t bytesDone = 0;
};

// The page an input file is the template of: the host's page named after the file (its name
// without the extension), else a new page with that name, the file's name and folder.
PageData PageForFile(const BatchJob& job, const BatchItem& item, std::u16string text);

// Runs the items, largest first, on job.workers threads. finished(index, outcome) is called on
// the calling thread in item order as the items complete; progress(counts) after those calls and
// every quarter of a second.
std::vector<ItemOutcome> RunBatchItems(
    const BatchJob& job, const std::vector<BatchItem>& items,
    const std::function<void(size_t, const ItemOutcome&)>& finished,
    const std::function<void(const BatchCounts&)>& progress);

}  // namespace x2x
