// Whether two libtidy documents may run on two threads at once, observed: one thread cleans an
// HTML5 page, the other an HTML 4.01 page, both with a block inside a link, which the two modes
// parse differently (HTML5 keeps the div in the link, HTML 4 moves it out). Each result is
// compared with what the same page gives on one thread. libtidy keeps its tag table in one
// process-wide array that every parse sets to the mode of its document, so a run on the other
// thread can change what this one parses. Prints the number of results that differ; exit status
// 1 when any did. Usage: tidy_threads_probe [ROUNDS] (default 20000).
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

constexpr char kHtml5[] =
    "<!DOCTYPE html><html><head><title>t</title></head><body><a href=\"x\"><div>block</div></a>"
    "</body></html>";
constexpr char kHtml4[] =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\"><html><head><title>t"
    "</title></head><body><a href=\"x\"><div>block</div></a></body></html>";

// One document of its own, created and released here: nothing is shared through the API.
std::string Clean(const char* html) {
  TidyDoc document = tidyCreate();
  TidyBuffer output;
  TidyBuffer errors;
  tidyBufInit(&output);
  tidyBufInit(&errors);
  tidySetErrorBuffer(document, &errors);
  tidyOptSetBool(document, TidyForceOutput, yes);
  tidyParseString(document, html);
  tidyCleanAndRepair(document);
  tidySaveBuffer(document, &output);
  std::string text(output.bp ? reinterpret_cast<const char*>(output.bp) : "", output.size);
  tidyBufFree(&output);
  tidyBufFree(&errors);
  tidyRelease(document);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const long rounds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 20000;
  const std::string alone5 = Clean(kHtml5);
  const std::string alone4 = Clean(kHtml4);
  long differ5 = 0;
  long differ4 = 0;
  auto run = [rounds](const char* html, const std::string& alone, long* differ) {
    for (long i = 0; i < rounds; ++i) {
      if (Clean(html) != alone) ++*differ;
    }
  };
  std::thread html5(run, kHtml5, std::cref(alone5), &differ5);
  std::thread html4(run, kHtml4, std::cref(alone4), &differ4);
  html5.join();
  html4.join();
  std::printf(
      "libtidy %s, %ld rounds on each of two threads: the HTML5 page differed %ld times, "
      "the HTML 4.01 page %ld times\n",
      tidyLibraryVersion(), rounds, differ5, differ4);
  return differ5 + differ4 > 0 ? 1 : 0;
}
