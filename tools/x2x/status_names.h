// Names of the status codes that x2x reports, for its closing status line.
#pragma once

#include <string>
#include <string_view>

#include "kpx/com.h"

namespace x2x {

// The symbolic name of a status ("S_OK", "E_NOTIMPL", ...), or "HRESULT" for one without a name.
std::string_view StatusName(HRESULT hr);

// "NAME (0xHHHHHHHH)", the form every x2x status report uses.
std::string DescribeStatus(HRESULT hr);

}  // namespace x2x
