#include "core/sites/JsonFields.h"

#include <charconv>
#include <string>

namespace albumora::json {

Value Parse(std::string_view body) {
    return Value::parse(body.begin(), body.end(), nullptr, false);
}

const Value& Member(const Value& object, std::string_view key) {
    static const Value null;
    if (!object.is_object()) {
        return null;
    }
    const auto it = object.find(key);
    return it == object.end() ? null : *it;
}

WString Text(const Value& value) {
    if (value.is_string()) {
        return FromUtf8(value.get_ref<const std::string&>());
    }
    if (value.is_number_integer()) {
        return WidenAscii(value.dump());
    }
    return {};
}

std::int64_t Number(const Value& value) {
    if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    }
    if (value.is_number_float()) {
        return static_cast<std::int64_t>(value.get<double>());
    }
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        std::int64_t number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        return error == std::errc() && end == text.data() + text.size() ? number : 0;
    }
    return 0;
}

bool Flag(const Value& value) {
    if (value.is_boolean()) {
        return value.get<bool>();
    }
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        return text == "1" || text == "true";
    }
    return Number(value) != 0;
}

}  // namespace albumora::json
