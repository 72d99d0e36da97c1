// Text helpers; numbers are formatted with the "C" conventions whatever the user's locale.
#include "cli/text_util.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace zarpacli {

std::string trim(const std::string& text) {
    std::size_t b = 0, e = text.size();
    while (b < e && std::isspace(static_cast<unsigned char>(text[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(text[e - 1]))) --e;
    return text.substr(b, e - b);
}

std::string unquote(const std::string& text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

std::string joined(const std::vector<std::string>& items) {
    std::string out;
    for (const auto& item : items) out += (out.empty() ? "" : ", ") + item;
    return out;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string shortNumber(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string fixed(double v, int decimals) {
    if (!std::isfinite(v)) return std::isnan(v) ? "nan" : v < 0 ? "-inf" : "inf";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string signedFixed(double v, int decimals) {
    if (std::isinf(v)) return v < 0 ? "-inf" : "+inf";
    if (std::isnan(v)) return "nan";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%+.*f", decimals, v);
    return buf;
}

namespace {

// The length of the well-formed UTF-8 sequence at text[i] (1 to 4), or 0 where the bytes are none:
// overlong forms, surrogates and values beyond U+10FFFF count as malformed.
std::size_t utf8Length(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) return 1;
    std::size_t n = 0;
    unsigned value = 0, lowest = 0;
    if ((lead & 0xE0) == 0xC0) n = 2, value = lead & 0x1F, lowest = 0x80;
    else if ((lead & 0xF0) == 0xE0) n = 3, value = lead & 0x0F, lowest = 0x800;
    else if ((lead & 0xF8) == 0xF0) n = 4, value = lead & 0x07, lowest = 0x10000;
    else return 0;
    if (i + n > text.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        value = value << 6 | (byte(i + k) & 0x3F);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return n;
}

bool isControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

}  // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t n = utf8Length(text, i);
        if (n == 0) {
            out += "\\ufffd";  // JSON is UTF-8: a byte that is no character stands as the replacement character
            ++i;
            continue;
        }
        if (n > 1) {
            out.append(text, i, n);
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (isControl(c)) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
        i += n;
    }
    return out + "\"";
}

std::string printable(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = utf8Length(text, i);
        if (n == 0 || (n == 1 && isControl(static_cast<unsigned char>(text[i])))) {
            out += '?';
            i += n ? n : 1;
        } else {
            out.append(text, i, n);
            i += n;
        }
    }
    return out;
}

std::string jsonNumber(double v, int decimals) {
    if (!std::isfinite(v)) return "null";
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

}  // namespace zarpacli
