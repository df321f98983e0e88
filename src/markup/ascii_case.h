// Markup names fold case as every name of the system does.
#pragma once

#include "platform/ascii_case.h"
