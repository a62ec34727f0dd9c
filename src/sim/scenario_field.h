// A value of a scenario file together with where it stands ("answers.msgbox[2]"), so that
// every complaint about a scenario names the field a writer has to fix.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/utf8.h"

namespace vtr::sim {

inline const char* KindOf(const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::null:
      return "null";
    case nlohmann::json::value_t::boolean:
      return "true or false";
    case nlohmann::json::value_t::string:
      return "a text";
    case nlohmann::json::value_t::array:
      return "a list";
    case nlohmann::json::value_t::object:
      return "an object";
    case nlohmann::json::value_t::number_float:
      return "a fractional number";
    default:
      return "a number";
  }
}

class Field {
 public:
  Field(const nlohmann::json& value, std::string where) : value_(value), where_(std::move(where)) {}

  const nlohmann::json& Value() const { return value_; }
  const std::string& Where() const { return where_; }
  bool IsNull() const { return value_.is_null(); }

  [[noreturn]] void Fail(const std::string& problem) const {
    throw std::invalid_argument(where_.empty() ? "scenario: " + problem
                                               : "scenario field " + where_ + ": " + problem);
  }
  void Expect(bool ok, const char* wanted) const {
    if (!ok) {
      Fail(std::string("expected ") + wanted + ", found " + KindOf(value_));
    }
  }

  std::wstring Text() const {
    Expect(value_.is_string(), "a text");
    return FromUtf8(value_.get_ref<const std::string&>(), "scenario field " + where_);
  }
  std::optional<std::wstring> TextOrNull() const {
    if (value_.is_null()) {
      return std::nullopt;
    }
    Expect(value_.is_string(), "a text or null");
    return Text();
  }
  bool Bool() const {
    Expect(value_.is_boolean(), "true or false");
    return value_.get<bool>();
  }
  long long Integer(long long lowest, long long highest) const {
    Expect(value_.is_number_integer(), "a whole number");
    const bool isUnsigned = value_.is_number_unsigned();
    if (isUnsigned && value_.get<unsigned long long>() > static_cast<unsigned long long>(highest)) {
      Fail("the number is larger than " + std::to_string(highest));
    }
    const long long number = isUnsigned ? static_cast<long long>(value_.get<unsigned long long>())
                                        : value_.get<long long>();
    if (number < lowest || number > highest) {
      Fail("the number must lie between " + std::to_string(lowest) + " and " +
           std::to_string(highest));
    }
    return number;
  }
  int32_t Int32() const {
    return static_cast<int32_t>(
        Integer(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
  }

  // Visits the members of an object; a member not among known is refused.
  template <class Visit>
  void Members(std::initializer_list<const char*> known, Visit visit) const {
    Members(std::vector<const char*>(known), visit);
  }
  template <class Visit>
  void Members(const std::vector<const char*>& known, Visit visit) const {
    Expect(value_.is_object(), "an object");
    for (const auto& item : value_.items()) {
      const std::string& key = item.key();
      if (std::none_of(known.begin(), known.end(), [&](const char* k) { return key == k; })) {
        std::string list;
        for (const char* k : known) {
          list += (list.empty() ? "" : ", ") + std::string(k);
        }
        Fail("unknown field \"" + key + "\" (known: " + list + ")");
      }
      visit(key, Field(item.value(), Join(key)));
    }
  }
  // Visits the members of an object whose names are data (codes, setting names).
  template <class Visit>
  void AnyMembers(Visit visit) const {
    Expect(value_.is_object(), "an object");
    for (const auto& [key, member] : value_.items()) {
      visit(FromUtf8(key, "scenario field " + where_ + " (a name)"), Field(member, Join(key)));
    }
  }
  template <class Visit>
  void Items(Visit visit) const {
    Expect(value_.is_array(), "a list");
    for (std::size_t i = 0; i < value_.size(); ++i) {
      visit(Field(value_[i], where_ + "[" + std::to_string(i) + "]"));
    }
  }

 private:
  std::string Join(const std::string& key) const {
    return where_.empty() ? key : where_ + "." + key;
  }

  const nlohmann::json& value_;
  std::string where_;
};

}  // namespace vtr::sim
