// A map of at most a few entries that forgets the least recently used one to make room, so that
// whatever a caller asks for, it holds no more than its capacity. A hit costs one hash look-up
// and allocates nothing; only a miss scans the entries for the oldest, which is cheap while the
// capacity stays small.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>

template <class Key, class Value, class Hash>
class LruMap {
 public:
  explicit LruMap(std::size_t capacity) : capacity_(std::max<std::size_t>(capacity, 1)) {}

  // The value kept for key, which becomes the most recently used; null if none is.
  Value* Find(const Key& key) {
    const auto it = entries_.find(key);
    if (it == entries_.end()) return nullptr;
    it->second.lastUse = ++uses_;
    return &it->second.value;
  }

  // Keeps value for key, which is not kept yet.
  Value& Put(Key key, Value value) {
    if (entries_.size() >= capacity_) {
      entries_.erase(std::min_element(entries_.begin(), entries_.end(), [](auto& a, auto& b) {
        return a.second.lastUse < b.second.lastUse;
      }));
    }
    return entries_.emplace(std::move(key), Entry{std::move(value), ++uses_}).first->second.value;
  }

  std::size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    Value value;
    std::uint64_t lastUse;
  };
  std::size_t capacity_;
  std::uint64_t uses_ = 0;
  std::unordered_map<Key, Entry, Hash> entries_;
};
