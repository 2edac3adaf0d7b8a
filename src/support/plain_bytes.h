#pragma once
// Plain records as bytes, for the processes of a run, which all run the same
// build: what one appends, another takes back in the same order.
#include <cstddef>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace verdalis {

template <class X>
void putBytes(std::string& out, const X& x) {
  static_assert(std::is_trivially_copyable<X>::value, "plain records only");
  out.append(reinterpret_cast<const char*>(&x), sizeof x);
}

template <class X>
void takeBytes(const std::string& in, std::size_t& at, X& x) {
  static_assert(std::is_trivially_copyable<X>::value, "plain records only");
  std::memcpy(&x, in.data() + at, sizeof x);
  at += sizeof x;
}

// `count` records from `from`, without their count.
template <class X>
void putRecords(std::string& out, const X* from, std::size_t count) {
  static_assert(std::is_trivially_copyable<X>::value, "plain records only");
  out.append(reinterpret_cast<const char*>(from), count * sizeof(X));
}

template <class X>
void takeRecords(const std::string& in, std::size_t& at, X* into, std::size_t count) {
  static_assert(std::is_trivially_copyable<X>::value, "plain records only");
  if (count > 0) std::memcpy(into, in.data() + at, count * sizeof(X));
  at += count * sizeof(X);
}

// A vector with its length.
template <class X>
void putVector(std::string& out, const std::vector<X>& v) {
  putBytes(out, static_cast<unsigned long long>(v.size()));
  putRecords(out, v.data(), v.size());
}

template <class X>
void takeVector(const std::string& in, std::size_t& at, std::vector<X>& v) {
  unsigned long long size = 0;
  takeBytes(in, at, size);
  v.resize(static_cast<std::size_t>(size));
  takeRecords(in, at, v.data(), v.size());
}

inline void putText(std::string& out, const std::string& text) {
  putBytes(out, static_cast<unsigned long long>(text.size()));
  out += text;
}

inline std::string takeText(const std::string& in, std::size_t& at) {
  unsigned long long size = 0;
  takeBytes(in, at, size);
  std::string text = in.substr(at, size);
  at += size;
  return text;
}

}  // namespace verdalis
