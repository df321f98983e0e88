// One-time set-up of libxml2, and of libxslt and EXSLT, for the whole process.
#pragma once

namespace kpx {

// Each sets up the libraries' process-wide tables (parser, dictionaries and encodings; XSLT
// extensions) exactly once. Their own set-up on first use is not safe when two threads get there
// at the same time, so everything in this module calls the one it needs before its first call
// into them; later calls cost one check. Done on first use rather than when the library is
// loaded: what they allocate is never freed, and a host that loads and unloads the library
// without using them should not be left with it.
void InitXmlParser();
void InitXslt();  // the parser too

}  // namespace kpx
