// The batch's workers and the thread that hands their outcomes on in order.
#include "x2x/batch_runner.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <numeric>
#include <sstream>
#include <thread>

#include "base/large_buffers.h"
#include "base/utf.h"
#include "x2x/input_bytes.h"
#include "x2x/input_decoding.h"
#include "x2x/operation_runner.h"
#include "x2x/status_names.h"

namespace fs = std::filesystem;

namespace x2x {

namespace {

// parse and forwardTransformationWithDOM share one re-entrancy flag in the library: while one
// runs anywhere in the process, a call to either does nothing. Their calls take turns here.
bool RunsOneAtATime(const OperationSpec& operation) {
  return operation.name == "parse" || operation.name == "forwardTransformationWithDOM";
}

std::mutex& OneAtATime() {
  static std::mutex mutex;
  return mutex;
}

// Writes the result of a successful call to path; false with a note when it cannot. The text
// goes to a file beside it that is then renamed over it: a result is whole or absent, and a
// symbolic link at its place is replaced, never followed to what it points at.
bool WriteResult(const fs::path& path, OperationCall& call, const CommandOptions& options,
                 RunReport& report) {
  std::error_code ec;
  fs::path partial = path;
  partial += ".x2x-partial";
  const auto mode = std::ios::binary | std::ios::trunc;
  std::ofstream out(partial, mode);
  // Its folder is made when missing, not asked after for every file: most exist already.
  if (!out && errno == ENOENT) {
    fs::create_directories(path.parent_path(), ec);
    out.open(partial, mode);
  }
  if (!out) {
    report.AddNote("x2x: cannot write " + path.string() + ": " + std::strerror(errno));
    return false;
  }
  bool delivered = DeliverResults(call, options, out, report) == kExitSuccess;
  out.close();
  if (delivered && !out) report.AddNote("x2x: cannot write " + path.string());
  if (delivered && out) {
    fs::rename(partial, path, ec);
    if (!ec) return true;
    report.AddNote("x2x: cannot write " + path.string() + ": " + ec.message());
  }
  fs::remove(partial, ec);
  return false;
}

// The file's text; throws UsageError. A decoding error leaves the path out: the item's lines
// start with it.
kpx::Bstr ReadItemText(const fs::path& path) {
  std::istringstream noInput;
  std::string error;
  std::optional<InputBytes> bytes = InputBytes::Read(path.string(), noInput, &error);
  if (!bytes) throw UsageError{error};
  DecodedInput decoded = DecodeInput(bytes->View());
  if (decoded.text.IsNull()) throw UsageError{decoded.error};
  return std::move(decoded.text);
}

class BatchWorker {
 public:
  explicit BatchWorker(const BatchJob& job) : job_(job) {}

  ItemOutcome Run(const BatchItem& item) {
    const auto start = std::chrono::steady_clock::now();
    ItemOutcome outcome;
    try {
      Convert(item, outcome);
    } catch (const UsageError& e) {
      outcome.notes.push_back("x2x: " + e.message);
    } catch (const std::bad_alloc&) {
      outcome.notes.push_back("x2x: out of memory");
    } catch (const std::exception& e) {
      outcome.notes.push_back(std::string("x2x: ") + e.what());
    }
    if (!outcome.written) {
      // No result: a file left by an earlier run must not pass for this one's.
      std::error_code ec;
      fs::remove(item.output, ec);
    }
    outcome.milliseconds =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return outcome;
  }

 private:
  void Convert(const BatchItem& item, ItemOutcome& outcome) {
    const OperationSpec& operation = *job_.operation;
    kpx::Bstr text;
    PageData page;
    if (item.hostPage) {
      page = job_.pages[*item.hostPage];
      if (operation.input != InputKind::kNone) text = kpx::Bstr(page.templateText);
    } else {
      text = ReadItemText(item.input);
      page = PageForFile(job_, item, kpx::CopyOfLargeText(text.View()));
      if (operation.input == InputKind::kNone) text = kpx::Bstr();
    }
    HostData data = job_.base;
    data.pages.push_back(std::move(page));
    if (!host_ || !host_->Idle()) StartOver();
    host_->Reset(std::move(data));
    if (!session_) {
      session_ = std::make_unique<ConverterSession>(operation, job_.options, host_->Application());
    }
    IXH2XConverter* converter = session_->Converter();
    if (!converter) {
      std::string error = session_->Error();
      session_.reset();
      throw UsageError{"cannot create the converter: " + error};
    }

    PreparedCall prepared;
    RunReport report;
    PrepareCall(operation, job_.options, *host_, 0, std::move(text), item.name, prepared);
    prepared.call.converter = converter;
    {
      std::unique_lock<std::mutex> turn(OneAtATime(), std::defer_lock);
      if (RunsOneAtATime(operation)) turn.lock();
      outcome.status = operation.call(prepared.call);
    }
    outcome.ran = true;
    outcome.ok = SUCCEEDED(outcome.status);
    if (outcome.ok && HasResult(prepared.call)) {
      outcome.ok = outcome.written = WriteResult(item.output, prepared.call, job_.options, report);
    }
    ReadErrors(operation, converter, report);
    prepared.Clear();
    outcome.messages = host_->Messages();
    outcome.errors = report.Errors();
    outcome.notes = session_->Notes();
    outcome.notes.insert(outcome.notes.end(), report.Notes().begin(), report.Notes().end());
    // The converter keeps its error text until a recognition replaces it; a fresh one for the
    // next item, so that an item that fails earlier does not show this one's errors.
    if (!outcome.errors.empty()) session_.reset();
  }

  // A new host (at first, or when the library still holds a page of the old one), and with it a
  // new converter.
  void StartOver() {
    session_.reset();
    SwitchAnswerSource answer;
    if (job_.options.Given(kOptAnswer)) {
      bool yes = job_.options.answer == "yes";
      answer = [yes](const SwitchQuestion&) { return SwitchAnswer{yes, false}; };
    }
    host_ = std::make_unique<FixtureHost>(job_.base, answer);
  }

  const BatchJob& job_;
  std::unique_ptr<FixtureHost> host_;
  std::unique_ptr<ConverterSession> session_;
};

}  // namespace

PageData PageForFile(const BatchJob& job, const BatchItem& item, std::u16string text) {
  const std::u16string name = kpx::ToUtf16(item.input.stem().string());
  PageData page;
  auto named = std::find_if(job.pages.begin(), job.pages.end(),
                            [&](const PageData& p) { return p.name == name; });
  if (named != job.pages.end()) {
    page = *named;
  } else {
    std::error_code ec;
    page.id = job.nextPageId;
    page.name = name;
    page.fileName = kpx::ToUtf16(item.input.filename().string());
    page.directory = kpx::ToUtf16(fs::absolute(item.input, ec).parent_path().string());
  }
  page.templateText = std::move(text);
  return page;
}

std::vector<ItemOutcome> RunBatchItems(
    const BatchJob& job, const std::vector<BatchItem>& items,
    const std::function<void(size_t, const ItemOutcome&)>& finished,
    const std::function<void(const BatchCounts&)>& progress) {
  std::vector<ItemOutcome> outcomes(items.size());
  // Largest first: the largest files bound the run's length, so they must not start last.
  std::vector<size_t> order(items.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return items[a].bytes > items[b].bytes; });

  std::atomic<size_t> next{0};
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<bool> complete(items.size());
  size_t awaited = 0;  // the item the calling thread hands on next: only its end wakes it
  BatchCounts counts;
  auto work = [&] {
    BatchWorker worker(job);
    for (size_t k; (k = next++) < order.size();) {
      const size_t index = order[k];
      ItemOutcome outcome = worker.Run(items[index]);
      bool wake = false;
      {
        std::lock_guard<std::mutex> lock(mutex);
        ++counts.done;
        if (!outcome.ok) ++counts.failed;
        counts.bytesDone += items[index].bytes;
        outcomes[index] = std::move(outcome);
        complete[index] = true;
        wake = index == awaited;
      }
      if (wake) changed.notify_one();
    }
  };
  std::vector<std::thread> threads;
  const size_t workers = std::clamp<size_t>(job.workers, 1, items.size());
  for (size_t i = 0; i < workers; ++i) threads.emplace_back(work);

  // Wakes for the item awaited, and four times a second for the progress line.
  size_t handed = 0;
  std::unique_lock<std::mutex> lock(mutex);
  while (handed < items.size()) {
    changed.wait_for(lock, std::chrono::milliseconds(250), [&] { return complete[handed]; });
    const BatchCounts now = counts;
    size_t ready = handed;
    while (ready < items.size() && complete[ready]) ++ready;
    awaited = ready;
    lock.unlock();
    // Outcomes before `ready` are complete and no worker touches them again.
    for (; handed < ready; ++handed) finished(handed, outcomes[handed]);
    progress(now);
    lock.lock();
  }
  lock.unlock();
  for (std::thread& thread : threads) thread.join();
  return outcomes;
}

}  // namespace x2x
