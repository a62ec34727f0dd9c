// A table keyed by names that compare ignoring case, as registry keys, value names and
// product codes do. A name keeps the case it was first stored with.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "sim/win_path.h"

namespace vtr::sim {

template <class Value>
class NoCaseTable {
 public:
  const Value* Find(std::wstring_view name) const {
    const auto it = items_.find(Fold(name));
    return it == items_.end() ? nullptr : &it->second.second;
  }
  Value* Find(std::wstring_view name) {
    const auto it = items_.find(Fold(name));
    return it == items_.end() ? nullptr : &it->second.second;
  }
  // Stores the value; an existing entry keeps its name and gets the new value.
  Value& Set(const std::wstring& name, Value value) {
    auto [it, added] = items_.try_emplace(Fold(name), name, std::move(value));
    if (!added) {
      it->second.second = std::move(value);
    }
    return it->second.second;
  }
  // The entry of that name, made empty when missing.
  Value& Entry(const std::wstring& name) {
    return items_.try_emplace(Fold(name), name, Value{}).first->second.second;
  }
  void Remove(std::wstring_view name) { items_.erase(Fold(name)); }
  bool empty() const { return items_.empty(); }
  // Visits (name, value) in the order of the folded names.
  template <class Visit>
  void ForEach(Visit visit) const {
    for (const auto& [key, item] : items_) {
      visit(item.first, item.second);
    }
  }

 private:
  std::map<std::wstring, std::pair<std::wstring, Value>> items_;
};

}  // namespace vtr::sim
