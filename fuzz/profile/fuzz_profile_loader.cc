// Fuzz target: arbitrary bytes (UTF-8, invalid bytes replaced) loaded as an XML document and read
// both as a forward and as a reverse converter profile, with symbols defined.
// Invariants: a load succeeds exactly when the root element has the profile's name; a failed
// load reports one error; every finding has a text; each mode's indexed lists account for every
// rule once by kind and once by domain type; no domain stays open after loading; applying the
// substitution table to a key gives the value of the first pair with that key, and leaves a text
// without first characters unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/utf.h"
#include "com/bstr.h"
#include "kpx/msxml.h"
#include "profile/converter_profile.h"
#include "profile/dom_reading.h"
#include "profile/profile_diagnostics.h"
#include "profile/profile_loader.h"
#include "profile/reverse_profile.h"
#include "xmldom/classes.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

class CountingDiagnostics final : public kpx::ProfileDiagnostics {
 public:
  void Report(bool is_error, IXMLDOMNode*, std::u16string_view message) override {
    Check(!message.empty());
    errors += is_error ? 1 : 0;
    ++findings;
  }
  size_t errors = 0;
  size_t findings = 0;
};

void CheckMode(const kpx::ProfileMode& mode) {
  size_t by_kind = 0;
  size_t by_domain = 0;
  size_t domainless = 0;
  for (size_t slot = 0; slot < kpx::kRuleKindSlots; ++slot) {
    by_kind += mode.RulesOfKind(static_cast<kpx::RuleKind>(slot)).size();
    domainless += mode.DomainlessRulesOfKind(static_cast<kpx::RuleKind>(slot)).size();
  }
  for (size_t slot = 0; slot < kpx::kDomainTypeSlots; ++slot) {
    by_domain += mode.RulesOfDomain(static_cast<kpx::DomainType>(slot)).size();
  }
  Check(by_kind == mode.rules().size() && by_domain == mode.rules().size());
  Check(domainless == mode.RulesOfDomain(kpx::DomainType::kNone).size());
  Check(mode.RulesOfKind(kpx::RuleKind::kNone).empty());
  Check(mode.current_domain_type == kpx::DomainType::kNone && !mode.current_domain_names.IsSet());
  for (const kpx::ProfileRule* rule : mode.rules()) Check(rule->mode == &mode);
}

void CheckTable(const kpx::SubstitutionTable& table) {
  for (const kpx::SubstitutionTable::Pair& pair : table.pairs()) {
    Check(!pair.key.empty() && !pair.value.empty());
    const std::u16string* first = table.Find(pair.key);
    Check(first != nullptr);
    Check(table.Apply(pair.key) == *first);
  }
  std::u16string plain;
  for (char16_t c = u' '; c < 0x7F; ++c) {
    if (!table.IsFirstCharacter(c)) plain.push_back(c);
  }
  Check(table.Apply(plain) == plain);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  kpx::Bstr text(kpx::ToUtf16(bytes));
  ComPtr<IXMLDOMDocument> doc;
  kpx::RegisterXmlDomClasses();
  Check(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_ALL, IXMLDOMDocument::kIID,
                         doc.PutVoid()) == S_OK);
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (doc->loadXML(text.Get(), &ok) != S_OK || ok != VARIANT_TRUE) return 0;
  ComPtr<IXMLDOMNode> root = kpx::FindRootElement(doc.Get());
  Check(static_cast<bool>(root));
  const std::u16string root_name = kpx::NodeName(root.Get());

  CountingDiagnostics forward_findings;
  kpx::ConverterProfile profile(&forward_findings);
  profile.Define(u"includeablePage");
  profile.Define(u"sym");
  const bool forward = kpx::ProfileLoader::Load(doc.Get(), profile);
  Check(forward == (root_name == u"xconverterProfile"));
  if (!forward) Check(forward_findings.errors == 1 && forward_findings.findings == 1);
  for (const auto& mode : profile.modes()) CheckMode(*mode);

  CountingDiagnostics reverse_findings;
  kpx::ReverseProfile reverse(&reverse_findings);
  const bool loaded = reverse.Load(doc.Get());
  Check(loaded == (root_name == u"xconverterReverseProfile") && loaded == reverse.loaded());
  if (!loaded) Check(reverse_findings.errors == 1 && reverse.table().IsEmpty());
  CheckTable(reverse.table());
  return 0;
}
