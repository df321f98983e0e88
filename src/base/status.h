// Failures inside the library: an exception that carries an HRESULT and an optional message, and
// the guard that turns every exception into a status at an exported boundary.
#pragma once

#include <exception>
#include <new>
#include <string>
#include <utility>

#include "kpx/com.h"

namespace kpx {

class ConverterError : public std::exception {
 public:
  explicit ConverterError(HRESULT code, std::string message = {})
      : code_(code), message_(std::move(message)) {}
  HRESULT code() const noexcept { return code_; }
  const char* what() const noexcept override {
    return message_.empty() ? "converter error" : message_.c_str();
  }

 private:
  HRESULT code_;
  std::string message_;
};

// Throws a ConverterError for a failure status; returns the status otherwise.
inline HRESULT ThrowIfFailed(HRESULT hr) {
  if (FAILED(hr)) throw ConverterError(hr);
  return hr;
}

// Runs body and returns its status; nothing thrown inside crosses the boundary.
template <class F>
HRESULT Guarded(F&& body) noexcept {
  try {
    return body();
  } catch (const ConverterError& e) {
    return e.code();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace kpx
