#include "reader/web/css.h"

#include <algorithm>
#include <cmath>

#include "reader/limits.h"
#include "reader/text/ascii.h"

namespace pelmora::word::web {

using fmt::AsciiLower;
using fmt::TrimAscii;

namespace {

// A number with an optional fraction at the start of `s`; the rest in `unit`.
bool Number(std::string_view s, double& value, std::string_view& unit) {
    std::size_t i = 0;
    bool digits = false;
    double v = 0, scale = 0;
    for (; i < s.size() && i < 32; ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            digits = true;
            if (scale == 0) {
                v = v * 10 + (c - '0');
            } else {
                v += (c - '0') * scale;
                scale /= 10;
            }
        } else if (c == '.' && scale == 0) {
            scale = 0.1;
        } else {
            break;
        }
    }
    if (!digits) return false;
    value = std::min(v, 1e7);
    unit = TrimAscii(s.substr(i));
    return true;
}

int HalfPoints(double points) { return static_cast<int>(std::lround(points * 2)); }

}  // namespace

int FontSizeOf(std::string_view value, int parentHalfPoints) {
    value = TrimAscii(value);
    static constexpr std::pair<std::string_view, double> kKeywords[] = {
        {"xx-small", 6.75}, {"x-small", 7.5}, {"small", 9.75},  {"medium", 12},
        {"large", 13.5},    {"x-large", 18},  {"xx-large", 24}, {"xxx-large", 36}};
    for (const auto& [word, points] : kKeywords)
        if (value == word) return HalfPoints(points);
    if (value == "larger") return static_cast<int>(std::lround(parentHalfPoints * 1.2));
    if (value == "smaller") return static_cast<int>(std::lround(parentHalfPoints / 1.2));
    double v;
    std::string_view unit;
    if (!Number(value, v, unit)) return -1;
    if (unit == "pt") return HalfPoints(v);
    if (unit == "px") return HalfPoints(v * 0.75);
    if (unit == "em" || unit == "rem") return static_cast<int>(std::lround(parentHalfPoints * v));
    if (unit == "%") return static_cast<int>(std::lround(parentHalfPoints * v / 100));
    if (unit == "pc") return HalfPoints(v * 12);
    if (unit == "in") return HalfPoints(v * 72);
    if (unit == "cm") return HalfPoints(v * 72 / 2.54);
    if (unit == "mm") return HalfPoints(v * 72 / 25.4);
    return -1;
}

bool ParseColor(std::string_view value, uint32_t& color) {
    value = TrimAscii(value);
    auto hex = [](char h) {
        return h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : -1;
    };
    const std::string v = AsciiLower(value);
    if (!v.empty() && v[0] == '#') {
        uint32_t c = 0;
        for (std::size_t i = 1; i < v.size(); ++i)
            if (hex(v[i]) < 0) return false;
        if (v.size() == 7) {
            for (std::size_t i = 1; i < 7; ++i) c = c << 4 | static_cast<uint32_t>(hex(v[i]));
        } else if (v.size() == 4) {
            for (std::size_t i = 1; i < 4; ++i) c = c << 8 | static_cast<uint32_t>(hex(v[i]) * 17);
        } else {
            return false;
        }
        color = c;
        return true;
    }
    if (v.starts_with("rgb(")) {
        uint32_t c = 0;
        std::size_t pos = 4;
        for (int k = 0; k < 3; ++k) {
            double n;
            std::string_view unit;
            std::string_view rest = std::string_view(v).substr(std::min(pos, v.size()));
            rest = TrimAscii(rest);
            if (!Number(rest, n, unit)) return false;
            c = c << 8 | static_cast<uint32_t>(std::min(n, 255.0));
            pos = v.find(',', pos);
            if (k < 2 && pos == std::string::npos) return false;
            ++pos;
        }
        color = c;
        return true;
    }
    static constexpr std::pair<std::string_view, uint32_t> kNames[] = {
        {"black", 0x000000},   {"white", 0xFFFFFF},  {"red", 0xFF0000},     {"maroon", 0x800000},
        {"green", 0x008000},   {"lime", 0x00FF00},   {"blue", 0x0000FF},    {"navy", 0x000080},
        {"yellow", 0xFFFF00},  {"gray", 0x808080},   {"grey", 0x808080},    {"silver", 0xC0C0C0},
        {"purple", 0x800080},  {"olive", 0x808000},  {"teal", 0x008080},    {"aqua", 0x00FFFF},
        {"fuchsia", 0xFF00FF}, {"orange", 0xFFA500}, {"darkred", 0x8B0000}, {"crimson", 0xDC143C}};
    for (const auto& [name, c] : kNames)
        if (v == name) return color = c, true;
    return false;
}

void ApplyDeclarations(std::string_view css, int parentHalfPoints, TextFormat& f) {
    std::size_t pos = 0;
    for (int guard = 0; pos < css.size() && guard < 256; ++guard) {
        std::size_t end = css.find(';', pos);
        if (end == std::string_view::npos) end = css.size();
        std::string_view decl = css.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t colon = decl.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string name = AsciiLower(TrimAscii(decl.substr(0, colon)));
        std::string value = AsciiLower(TrimAscii(decl.substr(colon + 1)));
        const std::size_t important = value.find("!important");
        if (important != std::string::npos)
            value = std::string(TrimAscii(value.substr(0, important)));
        if (name == "font-size") {
            const int size = FontSizeOf(value, parentHalfPoints);
            if (size >= 0) f.halfPoints = size;
        } else if (name == "font-weight") {
            if (value == "bold" || value == "bolder" || value == "600" || value == "700" ||
                value == "800" || value == "900")
                f.bold = true;
            else if (value == "normal" || value == "lighter" || value == "100" || value == "200" ||
                     value == "300" || value == "400" || value == "500")
                f.bold = false;
        } else if (name == "color") {
            ParseColor(value, f.color);
        } else if (name == "text-align") {
            f.centered = value == "center";
        } else if (name == "page-break-before" || name == "break-before") {
            f.pageBreakBefore =
                value == "always" || value == "page" || value == "left" || value == "right";
        } else if (name == "font") {
            // The shorthand: "bold 16pt serif".
            std::size_t at = 0;
            for (int k = 0; k < 16 && at < value.size(); ++k) {
                std::size_t sp = value.find(' ', at);
                if (sp == std::string::npos) sp = value.size();
                std::string_view word = std::string_view(value).substr(at, sp - at);
                word = word.substr(0, word.find('/'));  // "16pt/1.2"
                if (word == "bold" || word == "700") f.bold = true;
                const int size = FontSizeOf(word, parentHalfPoints);
                if (size >= 0) f.halfPoints = size;
                at = sp + 1;
            }
        }
    }
}

void StyleRules::Add(std::string_view css) {
    css = css.substr(0, kMaxCssBytes);
    std::size_t pos = 0;
    for (int guard = 0; pos < css.size() && guard < 100000; ++guard) {
        const std::size_t open = css.find('{', pos);
        if (open == std::string_view::npos) return;
        std::string sel(css.substr(pos, open - pos));
        // Comments and the markers that hide a sheet from old browsers.
        for (std::size_t c; (c = sel.find("/*")) != std::string::npos;) {
            const std::size_t e = sel.find("*/", c + 2);
            sel.erase(c, e == std::string::npos ? std::string::npos : e + 2 - c);
        }
        for (std::string_view marker : {"<!--", "-->"})
            for (std::size_t c; (c = sel.find(marker)) != std::string::npos;)
                sel.erase(c, marker.size());
        const std::size_t close = css.find('}', open);
        std::string_view body =
            css.substr(open + 1, (close == std::string_view::npos ? css.size() : close) - open - 1);
        pos = close == std::string_view::npos ? css.size() : close + 1;
        std::string_view selectors = TrimAscii(sel);
        if (!selectors.empty() && selectors[0] == '@') {
            // @page, @font-face, @list: not ours; a block of rules (@media)
            // holds braces of its own, skipped with it.
            if (body.find('{') != std::string_view::npos) {
                int depth = 1;
                std::size_t k = open + 1;
                for (; k < css.size() && depth > 0; ++k)
                    depth += css[k] == '{' ? 1 : css[k] == '}' ? -1 : 0;
                pos = k;
            }
            continue;
        }
        std::size_t start = 0;
        while (start <= selectors.size()) {
            std::size_t comma = selectors.find(',', start);
            if (comma == std::string_view::npos) comma = selectors.size();
            const std::string one(TrimAscii(selectors.substr(start, comma - start)));
            start = comma + 1;
            // Simple selectors only: a tag, a class, or both.
            if (one.empty() || one.find_first_of(" >+~:[#*") != std::string::npos) continue;
            if (rules_.size() >= kMaxCssRules) return;
            std::string& decls = rules_[one];
            decls += ';';
            decls += body;
        }
    }
}

void StyleRules::Apply(const std::string& tag, const std::string& classes, int parentHalfPoints,
                       TextFormat& f) const {
    if (rules_.empty()) return;
    auto apply = [&](const std::string& selector) {
        auto it = rules_.find(selector);
        if (it != rules_.end()) ApplyDeclarations(it->second, parentHalfPoints, f);
    };
    apply(tag);
    std::size_t at = 0;
    for (int k = 0; k < 8 && at < classes.size(); ++k) {
        std::size_t sp = classes.find(' ', at);
        if (sp == std::string::npos) sp = classes.size();
        const std::string cls = classes.substr(at, sp - at);
        at = sp + 1;
        if (cls.empty()) continue;
        apply("." + cls);
        apply(tag + "." + cls);
    }
}

}  // namespace pelmora::word::web
