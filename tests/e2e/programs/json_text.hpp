#pragma once
// Tiny JSON writer for the end-to-end test programs: UTF-16 in, UTF-8 JSON out.
#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace bc::e2e {

inline std::string utf8(std::wstring_view wide) {
    if (wide.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

// A JSON string literal from UTF-8 text.
inline std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

inline std::string quoted(std::wstring_view wide) {
    return quoted(utf8(wide));
}

// Raw bytes (e.g. a file's content) as a JSON string, one code point per byte, so nothing is lost.
inline std::string quotedBytes(std::string_view bytes) {
    std::wstring wide;
    for (unsigned char c : bytes)
        wide.push_back(static_cast<wchar_t>(c));
    return quoted(wide);
}

inline const char* boolean(bool value) {
    return value ? "true" : "false";
}

// Builds one JSON object: add("key", already-encoded JSON value).
class Object {
  public:
    Object& add(std::string_view key, std::string_view json) {
        text_ += first_ ? "{" : ",";
        first_ = false;
        text_ += quoted(key);
        text_ += ":";
        text_ += json;
        return *this;
    }
    Object& add(std::string_view key, long long value) { return add(key, std::to_string(value)); }
    std::string str() const { return first_ ? "{}" : text_ + "}"; }

  private:
    std::string text_;
    bool first_ = true;
};

} // namespace bc::e2e
