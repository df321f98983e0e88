// Text form of GUIDs: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
#include <cstdio>

#include "kpx/com.h"

namespace {

int HexValue(OLECHAR c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads `digits` hex digits at text[*pos]; false when one is not a hex digit.
bool ReadHex(LPCOLESTR text, int* pos, int digits, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < digits; ++i) {
    int h = HexValue(text[*pos]);
    if (h < 0) return false;
    v = v * 16 + static_cast<uint32_t>(h);
    ++*pos;
  }
  *value = v;
  return true;
}

bool Expect(LPCOLESTR text, int* pos, OLECHAR c) {
  if (text[*pos] != c) return false;
  ++*pos;
  return true;
}

}  // namespace

extern "C" {

KPX_API int32_t StringFromGUID2(REFGUID g, OLECHAR* out, int32_t capacity) noexcept {
  constexpr int kLength = 38;
  if (!out || capacity < kLength + 1) return 0;
  char buffer[kLength + 1];
  std::snprintf(buffer, sizeof buffer, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  for (int i = 0; i <= kLength; ++i) out[i] = static_cast<OLECHAR>(buffer[i]);
  return kLength + 1;
}

KPX_API HRESULT CLSIDFromString(LPCOLESTR text, CLSID* out) noexcept {
  if (!text || !out) return E_INVALIDARG;
  int pos = 0;
  uint32_t d1, d2, d3, b;
  GUID g{};
  if (!Expect(text, &pos, '{') || !ReadHex(text, &pos, 8, &d1) || !Expect(text, &pos, '-') ||
      !ReadHex(text, &pos, 4, &d2) || !Expect(text, &pos, '-') || !ReadHex(text, &pos, 4, &d3) ||
      !Expect(text, &pos, '-')) {
    return E_INVALIDARG;
  }
  g.Data1 = d1;
  g.Data2 = static_cast<uint16_t>(d2);
  g.Data3 = static_cast<uint16_t>(d3);
  for (int i = 0; i < 8; ++i) {
    if (i == 2 && !Expect(text, &pos, '-')) return E_INVALIDARG;
    if (!ReadHex(text, &pos, 2, &b)) return E_INVALIDARG;
    g.Data4[i] = static_cast<uint8_t>(b);
  }
  if (!Expect(text, &pos, '}') || text[pos] != 0) return E_INVALIDARG;
  *out = g;
  return S_OK;
}

}  // extern "C"
