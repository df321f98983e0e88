// x2x batch end to end: a folder tree of templates converted file by file, on one and on four
// workers, the results beside those of x2x run on each file alone, the report and the exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/program_runner.h"
#include "x2x/batch_progress.h"

namespace {

namespace fs = std::filesystem;
using kpx::testing::ProgramRun;

// Options that make the converter talk: every message, the cleaner's included.
constexpr char kHostOptions[] =
    "<options><section name=\"HTMLFormatting\">"
    "<option name=\"ConverterVerbosityLevel\" value=\"3\"/></section></options>"
    "<project><value name=\"siteLanguage\" value=\"en\"/></project>";

class BatchProgramTest : public kpx::testing::X2xProgramRunner {
 protected:
  // Writes a file below the test's folder, making its folders.
  std::string Put(const std::string& relative, const std::string& bytes) {
    fs::create_directories((dir_ / relative).parent_path());
    return File(relative, bytes);
  }

  // Every file below folder by its relative path, with its bytes.
  static std::map<std::string, std::string> Tree(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
      if (entry.is_regular_file())
        files[entry.path().lexically_relative(folder).string()] = Read(entry.path().string());
    }
    return files;
  }

  // x2x on one file alone, with the page a batch makes for it: named after the file, the next
  // identifier after the host's pages (id; a host file without pages has page 1), the file's
  // name and folder.
  ProgramRun Alone(const std::string& operation, const fs::path& file,
                   const std::string& hostContent = "", const std::string& id = "1") {
    const std::string host =
        File("alone.xml", "<host>" + hostContent + "<page id=\"" + id + "\" name=\"" +
                              file.stem().string() + "\" file=\"" + file.filename().string() +
                              "\" directory=\"" + file.parent_path().string() +
                              "\"><template file=\"" + file.string() + "\"/></page></host>");
    std::vector<std::string> args{operation, "--host", host};
    if (operation != "convertWithTidy") args.push_back(file.string());
    return X2x(args);
  }

  // The stderr lines of a batch run that belong to one file, its name taken off.
  static std::vector<std::string> LinesOf(const ProgramRun& run, const std::string& name) {
    std::vector<std::string> lines;
    for (const std::string& line : run.ErrLines()) {
      if (line.rfind(name + ": ", 0) == 0) lines.push_back(line.substr(name.size() + 2));
    }
    return lines;
  }
};

TEST_F(BatchProgramTest, ConvertsATreeFileByFileAndReportsEveryFile) {
  Put("site/index.html", "<html><body><p>{Title}</p></body></html>");
  Put("site/a/list.htm", "<table><tr><td>x</td></tr></table>");
  Put("site/a/b/part.tpl", "<!-- BEGIN Grid G --><p>{Name}</p><!-- END Grid G -->");
  Put("site/a/red.html", "<span>red</span>");  // a span without kpsServiceable: E_INVALIDARG
  Put("site/a/latin.html", "<p>caf\xE9</p>");  // ISO-8859-1
  Put("site/notes.txt", "not a template");
  Put("out/a/red.xml", "left by an earlier run");
  const fs::path site = dir_ / "site";
  const fs::path out = dir_ / "out";

  ProgramRun run = X2x({"batch", "backTransformation", "--jobs", "4", "--report",
                        (dir_ / "report.json").string(), "--out", out.string(), site.string()});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.find('\r'), std::string::npos) << "no progress line off a terminal";
  EXPECT_EQ(run.LastErrLine().rfind("x2x batch: backTransformation: 5 files, 2 failed, ", 0), 0u);
  EXPECT_EQ(LinesOf(run, (site / "a/red.html").string()),
            std::vector<std::string>{"x2x: backTransformation returned E_INVALIDARG (0x80070057)"});
  EXPECT_EQ(LinesOf(run, (site / "a/latin.html").string()),
            std::vector<std::string>{"x2x: invalid UTF-8 at byte offset 6"});

  const auto results = Tree(out);
  std::vector<std::string> names;
  for (const auto& [name, bytes] : results) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"a/b/part.xml", "a/list.xml", "index.xml"}));
  for (const char* input : {"index.html", "a/list.htm", "a/b/part.tpl"}) {
    SCOPED_TRACE(input);
    fs::path result = fs::path(input).replace_extension(".xml");
    EXPECT_EQ(results.at(result.string()), Alone("backTransformation", site / input).out);
  }

  const auto report = nlohmann::json::parse(Read((dir_ / "report.json").string()));
  EXPECT_EQ(report["operation"], "backTransformation");
  EXPECT_EQ(report["files"], 5);
  EXPECT_EQ(report["failed"], 2);
  std::vector<std::string> rows;
  for (const auto& item : report["items"]) {
    fs::path path = item["path"].get<std::string>();
    rows.push_back(path.lexically_relative(site).string() + " " + item["status"].dump() + " " +
                   item["hresult"].dump() + " " + item["ok"].dump() + " " +
                   (item["output"].is_null() ? "-" : fs::path(item["output"]).filename().string()) +
                   " " + item["notes"].dump());
    EXPECT_GE(item["timeMs"].get<double>(), 0);
  }
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "a/b/part.tpl \"S_OK\" \"0x00000000\" true part.xml []",
                      "a/latin.html null null false - [\"x2x: invalid UTF-8 at byte offset 6\"]",
                      "a/list.htm \"S_OK\" \"0x00000000\" true list.xml []",
                      "a/red.html \"E_INVALIDARG\" \"0x80070057\" false - []",
                      "index.html \"S_OK\" \"0x00000000\" true index.xml []",
                  }));

  run = X2x({"batch", "backTransformation", "--jobs", "1", "--out", (dir_ / "one").string(),
             site.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Tree(dir_ / "one"), results);
}

// A file named after a page of the host file takes that page's components; the others get new
// pages with the host's options. --all-pages converts the host's own pages.
TEST_F(BatchProgramTest, FilesTakeTheHostPageNamedAfterThem) {
  const std::string host =
      File("host.xml", std::string("<host>") + kHostOptions +
                           "<page id=\"7\" name=\"index\"><component id=\"3\" name=\"Title\" "
                           "type=\"Label\"/></page><page id=\"8\" name=\"about\" file=\"a.htm\">"
                           "<template>&lt;b&gt;{Title}</template></page></host>");
  Put("site/index.html", "<p>{Title}</p>");
  Put("site/other.html", "<p>{Title}</p>");
  ProgramRun run = X2x({"batch", "convertCustom", "--host", host, "--out", (dir_ / "out").string(),
                        (dir_ / "site").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto results = Tree(dir_ / "out");
  EXPECT_NE(results.at("index.xml").find("<Page id=\"7\" name=\"index\">"), std::string::npos);
  EXPECT_NE(results.at("index.xml").find("<Label id=\"3\" name=\"Title\""), std::string::npos);
  EXPECT_NE(results.at("other.xml").find("<Page id=\"9\" name=\"other\">"), std::string::npos);
  EXPECT_EQ(results.at("other.xml").find("<Label"), std::string::npos);
  EXPECT_EQ(LinesOf(run, (dir_ / "site/other.html").string()),
            std::vector<std::string>{"warning: no converter profile specified"});

  run = X2x({"batch", "convertWithTidy", "--host", host, "--all-pages", "--out",
             (dir_ / "pages").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto pages = Tree(dir_ / "pages");
  EXPECT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages.at("a.xml"), X2x({"convertWithTidy", "--host", host, "--page", "about"}).out);
  EXPECT_EQ(pages.at("index.xml"), X2x({"convertWithTidy", "--host", host}).out);
}

// Real pages: each result, and each file's messages, as x2x gives them for the file alone.
TEST_F(BatchProgramTest, CorpusPagesConvertAsTheyDoAlone) {
  const fs::path corpus = KPX_SOURCE_DIR "/../shared/corpus/tidy-cases";
  if (!fs::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(corpus)) {
    if (entry.path().extension() == ".html" && entry.file_size() < 16 * 1024)
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  fs::create_directories(dir_ / "site");
  std::vector<fs::path> copied;
  for (size_t i = 0; i < files.size(); i += std::max<size_t>(1, files.size() / 12)) {
    copied.push_back(dir_ / "site" / files[i].filename());
    fs::copy_file(files[i], copied.back());
  }
  const std::string host = File("host.xml", std::string("<host>") + kHostOptions + "</host>");
  ProgramRun four = X2x({"batch", "convertWithTidy", "--host", host, "--jobs", "4", "--out",
                         (dir_ / "four").string(), (dir_ / "site").string()});
  ProgramRun one = X2x({"batch", "convertWithTidy", "--host", host, "--jobs", "1", "--out",
                        (dir_ / "one").string(), (dir_ / "site").string()});
  EXPECT_EQ(Tree(dir_ / "four"), Tree(dir_ / "one"));
  const auto results = Tree(dir_ / "four");
  for (const fs::path& file : copied) {
    SCOPED_TRACE(file.filename().string());
    ProgramRun alone = Alone("convertWithTidy", file, kHostOptions, "2");
    auto result = results.find(fs::path(file.filename()).replace_extension(".xml").string());
    EXPECT_EQ(result == results.end() ? "" : result->second, alone.out);
    std::vector<std::string> messages = alone.ErrLines();
    if (alone.status == 0) messages.pop_back();  // the status line: a batch leaves it out
    EXPECT_EQ(LinesOf(four, file.string()), messages);
  }
}

TEST_F(BatchProgramTest, RefusesWhatWouldOverwriteAnInputOrCannotRun) {
  const std::string site = Put("site/index.html", "<p>a</p>");
  Put("site/index.htm", "<p>b</p>");
  const std::string folder = (dir_ / "site").string();
  const std::string out = (dir_ / "out").string();
  const struct {
    std::vector<std::string> args;
    std::string message;
  } kCases[] = {
      {{"balance", "--out", folder, folder}, "is the input folder"},
      {{"balance", "--out", folder, site}, "would overwrite the input"},
      {{"convertWithTidy", "--out", out, folder}, "would both be written to"},
      {{"balance", "--out", out, "--report", site, site}, "is an input"},
      {{"convertWithTidy", "--all-pages", "--out", out}, "--all-pages needs --host"},
      {{"balance", "--include", "*.tpl", "--out", out, folder}, "no input file found"},
      {{"performTableOperation", "--out", out, folder}, "cannot run over files"},
      {{"balance", "--page", "P", "--out", out, folder}, "--page"},
  };
  for (const auto& c : kCases) {
    std::vector<std::string> args{"batch"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    ProgramRun run = X2x(args);
    SCOPED_TRACE(c.message);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
  }
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(Read(site), "<p>a</p>");
}

// Results land beside the inputs without touching them: an --out folder inside the input folder
// is not read as input, a link at a result's place is replaced rather than written through, and
// a linked folder that leads into the inputs is refused.
TEST_F(BatchProgramTest, ResultsNeverGoThroughLinksOntoInputs) {
  const std::string index = Put("site/index.html", "<html><body><p>a</p></body></html>");
  Put("site/sub/a.html", "<p>b</p>");
  const std::string site = (dir_ / "site").string();
  const std::string inside = (dir_ / "site/balanced").string();
  for (int run = 0; run < 2; ++run) {
    ProgramRun batch = X2x({"batch", "balance", "--out", inside, site});
    EXPECT_EQ(batch.status, 0) << batch.err;
    EXPECT_EQ(batch.LastErrLine().rfind("x2x batch: balance: 2 files, 0 failed", 0), 0u);
  }

  const fs::path out = dir_ / "out";
  fs::create_directories(out);
  fs::create_symlink(index, out / "index.html");
  ProgramRun batch = X2x({"batch", "balance", "--out", out.string(), site});
  EXPECT_EQ(batch.status, 0) << batch.err;
  EXPECT_FALSE(fs::is_symlink(out / "index.html"));
  EXPECT_EQ(Read(index), "<html><body><p>a</p></body></html>");

  fs::remove_all(out);
  fs::create_directories(out);
  fs::create_directory_symlink(dir_ / "site/sub", out / "sub");
  batch = X2x({"batch", "balance", "--out", out.string(), site});
  EXPECT_EQ(batch.status, 2);
  EXPECT_NE(batch.err.find("would overwrite the input"), std::string::npos) << batch.err;
  EXPECT_EQ(Read((dir_ / "site/sub/a.html").string()), "<p>b</p>");
}

TEST(BatchProgressTest, CountsRateAndTimeLeft) {
  const struct {
    x2x::BatchCounts counts;
    double seconds;
    std::string text;
  } kCases[] = {
      {{0, 0, 0}, 0, "0/10 files, 0 failed"},
      {{4, 1, 250}, 2, "4/10 files, 1 failed, 2.0 files/s, about 0:06 left"},
      {{5, 0, 10}, 100, "5/10 files, 0 failed, 0.1 files/s, about 2:45:00 left"},
      {{10, 2, 1000}, 8, "10/10 files, 2 failed, 1.2 files/s"},
  };
  for (const auto& c : kCases) EXPECT_EQ(x2x::ProgressText(c.counts, 10, 1000, c.seconds), c.text);
}

}  // namespace
