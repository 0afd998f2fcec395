// Exceptions as a handler would let them escape, nested ones included.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>

// A logic_error with outer as its message, nesting a runtime_error with inner.
inline std::exception_ptr Nested(const std::string& inner, const std::string& outer) {
  try {
    try {
      throw std::runtime_error(inner);
    } catch (...) {
      std::throw_with_nested(std::logic_error(outer));
    }
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

template <class E>
std::exception_ptr Thrown(E e) {
  return std::make_exception_ptr(e);
}
