// Everything a host compiles against: the COM subset, the XML document interfaces, the host
// interfaces, and the converter's classes and entry points.
#pragma once

#include "kpx/com.h"
#include "kpx/converter.h"
#include "kpx/host.h"
#include "kpx/mshtml.h"
#include "kpx/msxml.h"
