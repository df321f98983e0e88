// The JSON report of a batch run (--report FILE): the run, then one object per item.
#pragma once

#include <string>
#include <vector>

#include "x2x/batch_inputs.h"
#include "x2x/batch_runner.h"

#include "x2x/operation_table.h"

namespace x2x {

struct BatchSummary {
  std::string operation;
  std::string out;
  unsigned workers = 1;
  double milliseconds = 0;
};

// An item's lines on standard error, each prefixed with its name: the host's messages, the error
// text (errors:), x2x's notes, and for a failure status "x2x: OPERATION returned NAME (0x...)".
std::vector<std::string> ItemLines(const OperationSpec& operation, const BatchItem& item,
                                   const ItemOutcome& outcome);

// "x2x batch: OPERATION: N files, F failed, S.S s".
std::string SummaryLine(const BatchSummary& summary, size_t files, size_t failed);

// The report's text, two-space indented and ending with a line break. Texts that are not UTF-8
// (a file name can be anything) have their bad bytes replaced by U+FFFD.
std::string BatchReportText(const BatchSummary& summary, const std::vector<BatchItem>& items,
                            const std::vector<ItemOutcome>& outcomes);

}  // namespace x2x
