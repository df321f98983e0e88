#include "x2x/profile_check_tool.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "base/status.h"
#include "base/utf.h"
#include "com/bstr.h"
#include "page/xml_text.h"
#include "profile/converter_profile.h"
#include "profile/dom_reading.h"
#include "profile/profile_description.h"
#include "profile/profile_diagnostics.h"
#include "profile/profile_loader.h"
#include "profile/reverse_profile.h"
#include "x2x/input_decoding.h"
#include "x2x/status_names.h"
#include "x2x/xml_documents.h"

namespace x2x {

namespace {

// What the converter's sinks put before each finding, and how much of a message they keep.
constexpr std::u16string_view kForwardPrefix = u"Converter profile loading error: ";
constexpr std::u16string_view kReversePrefix = u"Reverse converter profile loading error: ";
constexpr size_t kMessageLength = 255;

constexpr std::u16string_view kForwardRoot = u"xconverterProfile";
constexpr std::u16string_view kReverseRoot = u"xconverterReverseProfile";

std::u16string_view Bounded(std::u16string_view text) {
  if (text.size() <= kMessageLength) return text;
  size_t length = kMessageLength;
  if (text[length - 1] >= 0xD800 && text[length - 1] <= 0xDBFF) --length;  // keep pairs whole
  return text.substr(0, length);
}

struct Finding {
  bool is_error;
  std::string where;
  std::string message;
};

// An element as a step of a path: its name and the attribute that tells it from its siblings.
std::string Step(IXMLDOMNode* element) {
  constexpr std::u16string_view kTelling[] = {u"target", u"name",    u"type",     u"prefix",
                                              u"key",    u"defined", u"undefined"};
  std::u16string step = kpx::NodeName(element);
  for (std::u16string_view wanted : kTelling) {
    for (const kpx::DomAttribute& attribute : kpx::AttributesOf(element)) {
      if (attribute.name != wanted) continue;
      std::u16string value =
          attribute.value.size() > 40 ? attribute.value.substr(0, 37) + u"..." : attribute.value;
      return kpx::ToUtf8(step + u"[" + attribute.name + u"=\"" + value + u"\"]");
    }
  }
  return kpx::ToUtf8(step);
}

// "/root/mode[target="design"]/html:tag[name="b"]" for an element of the profile.
std::string PathOf(IXMLDOMNode* node) {
  std::string path;
  ComPtr<IXMLDOMNode> at(node);
  while (at && kpx::NodeType(at.Get()) == NODE_ELEMENT) {
    path.insert(0, "/" + Step(at.Get()));
    at = kpx::ParentNode(at.Get());
  }
  return path.empty() ? "(the document)" : path;
}

// Prints each finding at once, worded as the converter's sink words it, and keeps where it was.
class FindingPrinter final : public kpx::ProfileDiagnostics {
 public:
  FindingPrinter(std::u16string_view prefix, std::ostream& err) : prefix_(prefix), err_(err) {}

  void Report(bool is_error, IXMLDOMNode* node, std::u16string_view message) override {
    std::string text = kpx::ToUtf8(Bounded(message));
    err_ << (is_error ? "error: " : "warning: ") << kpx::ToUtf8(prefix_) << text << "\n";
    findings_.push_back({is_error, node ? PathOf(node) : "(the document)", std::move(text)});
  }

  // A finding of this tool's own (not the loader's: no prefix).
  void Warn(const std::string& where, std::u16string_view message) {
    std::string text = kpx::ToUtf8(message);
    err_ << "warning: " << text << "\n";
    findings_.push_back({false, where, std::move(text)});
  }

  const std::vector<Finding>& findings() const { return findings_; }

 private:
  std::u16string_view prefix_;
  std::ostream& err_;
  std::vector<Finding> findings_;
};

void WriteFindings(const std::vector<Finding>& findings, std::ostream& out) {
  size_t errors = 0;
  for (const Finding& finding : findings) errors += finding.is_error ? 1 : 0;
  const size_t warnings = findings.size() - errors;
  if (findings.empty()) {
    out << "Findings: none\n";
    return;
  }
  out << "Findings: " << errors << (errors == 1 ? " error, " : " errors, ") << warnings
      << (warnings == 1 ? " warning" : " warnings") << " (on standard error), at:\n";
  for (const Finding& finding : findings) {
    out << "  " << (finding.is_error ? "error   " : "warning ") << finding.where << ": "
        << finding.message << "\n";
  }
}

std::u16string RootName(IXMLDOMNode* document) {
  ComPtr<IXMLDOMNode> root = kpx::FindRootElement(document);
  return root ? kpx::NodeName(root.Get()) : u"";
}

// The summary of a profile whose root was wrong: what the root is, and a hint when it is the
// other kind of profile.
void WriteWrongRoot(IXMLDOMNode* document, bool reverse, std::ostream& out) {
  const std::u16string root = RootName(document);
  out << "Not loaded: the root element is <" << kpx::ToUtf8(root) << ">, not <"
      << kpx::ToUtf8(reverse ? kReverseRoot : kForwardRoot) << ">.\n";
  if (!reverse && root == kReverseRoot) {
    out << "This is a reverse converter profile: check it with --reverse.\n";
  } else if (reverse && root == kForwardRoot) {
    out << "This is a forward converter profile: check it without --reverse.\n";
  }
}

bool CheckForward(IXMLDOMNode* document, const CommandOptions& options, std::ostream& out,
                  std::ostream& err) {
  FindingPrinter printer(kForwardPrefix, err);
  kpx::ConverterProfile profile(&printer);
  std::string symbols;
  for (const std::string& symbol : options.defines) {
    profile.Define(kpx::ToUtf16(symbol));
    symbols += (symbols.empty() ? "" : ", ") + symbol;
  }
  const bool loaded = kpx::ProfileLoader::Load(document, profile);
  // Flag names become attribute names: the converter skips those that are no XML names.
  for (const auto& mode : profile.modes()) {
    for (const kpx::ProfileRule* rule : mode->rules()) {
      for (const std::u16string& flag : rule->flags.names()) {
        if (kpx::IsQName(flag)) continue;
        printer.Warn("mode \"" + kpx::ToUtf8(mode->name()) + "\"",
                     u"flag name is no XML name, page XML leaves it out: " + flag);
      }
    }
  }
  out << "Defined symbols: " << (symbols.empty() ? "none" : symbols) << "\n";
  WriteFindings(printer.findings(), out);
  if (!loaded) {
    WriteWrongRoot(document, false, out);
    return false;
  }
  out << "Modes: " << profile.modes().size();
  std::string names;
  for (const auto& mode : profile.modes()) {
    names += (names.empty() ? "" : ", ") + kpx::ToUtf8(mode->name());
  }
  out << (names.empty() ? "" : " (" + names + ")") << "\n";
  if (!profile.FindMode(u"default")) {
    out << "There is no mode \"default\": a conversion uses only the rules of the mode it asks "
           "for.\n";
  }
  for (const auto& mode : profile.modes()) {
    out << "\n" << kpx::ToUtf8(kpx::DescribeMode(*mode, options.listRules));
  }
  return true;
}

bool CheckReverse(IXMLDOMNode* document, std::ostream& out, std::ostream& err) {
  FindingPrinter printer(kReversePrefix, err);
  kpx::ReverseProfile profile(&printer);
  const bool loaded = profile.Load(document);
  WriteFindings(printer.findings(), out);
  if (!loaded) {
    WriteWrongRoot(document, true, out);
    return false;
  }
  out << kpx::ToUtf8(kpx::DescribeSubstitutions(profile.table()));
  return true;
}

}  // namespace

int RunProfileCheck(const CommandOptions& options, Console& console) {
  const bool from_input = options.input.empty() || options.input == "-";
  const std::string name = from_input ? "standard input" : options.input;
  LoadedDocument loaded;
  try {
    for (const std::string& symbol : options.defines) {
      if (auto bad = kpx::FindInvalidUtf8(symbol)) {
        throw UsageError{"--define: invalid UTF-8 at byte offset " + std::to_string(*bad)};
      }
    }
    if (from_input) {
      loaded = LoadXmlText(ReadInputText(options.input, console.in).View(), name);
    } else {
      // Read once for a clear message when the file is missing; the converter loads by path.
      std::string error;
      if (!ReadInputBytes(options.input, console.in, &error)) throw UsageError{error};
      loaded = LoadXmlFile(options.input);
    }
  } catch (const UsageError& e) {
    console.err << "x2x: " << e.message << "\n";
    return kExitUsage;
  }
  if (!loaded.document) {
    console.err << "x2x: " << loaded.error << "\n";
    return kExitUsage;
  }
  console.out << (options.reverse ? "Reverse converter profile: " : "Converter profile: ") << name
              << "\n";
  try {
    const bool ok = options.reverse
                        ? CheckReverse(loaded.document.Get(), console.out, console.err)
                        : CheckForward(loaded.document.Get(), options, console.out, console.err);
    return ok ? kExitSuccess : kExitFailure;
  } catch (const kpx::ConverterError& e) {
    console.err << "x2x: profile-check: reading " << name << " failed: the XML document returned "
                << DescribeStatus(e.code()) << "\n";
    return kExitFailure;
  }
}

}  // namespace x2x
