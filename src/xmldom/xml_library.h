// One-time set-up of libxml2, libxslt and EXSLT for the whole process.
#pragma once

namespace kpx {

// Initializes the libraries' process-wide tables (parser, dictionaries, encodings, XSLT
// extensions) exactly once. Their first-use initialization is not safe when two threads get there
// at the same time, so everything in this module that calls them first calls this; later calls
// cost one check.
void InitXmlLibraries();

}  // namespace kpx
