#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string_view>

#include "core/text/WideText.h"

// Reading the sites' JSON answers, where a field may be missing, null, or a number one day and a
// string the next. Only the sites' parsers include this.
namespace albumora::json {

using Value = nlohmann::json;

// The parsed answer; a discarded value when the bytes are no JSON (a block page, a login form).
Value Parse(std::string_view body);

// The member `key` of an object; null when `object` is no object or lacks it.
const Value& Member(const Value& object, std::string_view key);

// A text field as text; a number as its decimal digits (identifiers come as either); else empty.
WString Text(const Value& value);

// A whole number, also from a string of digits; 0 when there is none.
std::int64_t Number(const Value& value);

// True for true, a non-zero number and "1"/"true": the sites' "more" flags come in all three forms.
bool Flag(const Value& value);

}  // namespace albumora::json
