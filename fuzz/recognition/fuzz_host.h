// What the recognition fuzz targets share: a fixture host made from inline text (no files), a
// converter initialized on it, and a check that stops the run.
#pragma once

#include <libxml/parser.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "kpx/converter.h"
#include "server/registration.h"
#include "server/xh2x_converter.h"
#include "x2x/fixture_host.h"
#include "x2x/host_file_loader.h"

namespace fuzz_host {

inline void Check(bool condition) {
  if (!condition) std::abort();
}

inline void Quiet(void*, const char*, ...) {}

// The host of the whole run, made once, with libxml2's own messages kept quiet.
inline x2x::FixtureHost& Host(std::string_view host_xml) {
  static x2x::FixtureHost* host = [&] {
    kpx::RegisterStandInClasses();
    xmlSetGenericErrorFunc(nullptr, &Quiet);
    auto no_files = [](const std::filesystem::path&, std::string* error) {
      *error = "no files while fuzzing";
      return std::optional<std::string>();
    };
    return new x2x::FixtureHost(x2x::ParseHostFile(host_xml, "fuzz.xml", "/", no_files),
                                [](const x2x::SwitchQuestion&) { return x2x::SwitchAnswer{}; });
  }();
  return *host;
}

// A converter initialized on the host.
inline ComPtr<IXH2XConverter> Converter(x2x::FixtureHost& host) {
  ComPtr<IXH2XConverter> converter;
  Check(kpx::CreateXH2XConverter(nullptr, IXH2XConverter::kIID, converter.PutVoid()) == S_OK);
  Check(converter->initialize(host.Application()) == S_OK);
  return converter;
}

}  // namespace fuzz_host
