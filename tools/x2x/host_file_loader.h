// Reads a host file (the XML description of the fixture host; its format is documented in
// docs/host-file.md) into HostData.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "x2x/host_data.h"
#include "x2x/located_xml.h"

namespace x2x {

// Reads a file that a host file names (a page template); nullopt with *error set when it cannot.
using HostFileReader =
    std::function<std::optional<std::string>(const std::filesystem::path&, std::string* error)>;

// Reads from the disk.
HostFileReader DiskFileReader();

// Loads a host file. Throws HostFileError: "cannot read FILE: reason", or
// "FILE:LINE:COL: message" for a file that is not XML, has the wrong root element, misses a
// required attribute, holds a bad number or value, repeats a name, or names a template that
// cannot be read.
HostData LoadHostFile(const std::string& path);

// Parses the bytes of a host file. displayName starts every message; relative paths resolve
// against baseDirectory; reader reads template files.
HostData ParseHostFile(std::string_view bytes, const std::string& displayName,
                       const std::filesystem::path& baseDirectory, const HostFileReader& reader);

// The host without a file: no options, texts, project or registry, and one empty page (id 1,
// name "Page") whose directory is baseDirectory.
HostData EmptyHostData(const std::filesystem::path& baseDirectory);

}  // namespace x2x
