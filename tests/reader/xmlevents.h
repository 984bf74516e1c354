#pragma once
// The start and end tags a part gives, as one line each, from the fast
// scanner or from expat: the two must agree wherever the scanner answers.

#include <optional>
#include <string>
#include <string_view>

#include "reader/error.h"
#include "reader/xml/sax.h"
#include "reader/xml/scan.h"

namespace pelmora::test {

class TagLog : public word::fmt::SaxHandler {
  public:
    std::string log;
    void Start(word::fmt::Ns ns, std::string_view local,
               const word::fmt::XmlAttrs& attrs) override {
        log += "<" + std::to_string(int(ns)) + ":" + std::string(local);
        for (const auto& a : attrs.List())
            log += " " + std::to_string(int(a.ns)) + ":" + std::string(a.local) + "=[" +
                   std::string(a.value) + "]";
        log += ">\n";
    }
    void End(word::fmt::Ns ns, std::string_view local) override {
        log += "</" + std::to_string(int(ns)) + ":" + std::string(local) + ">\n";
    }
    void Text(std::string_view) override {}
};

// The tags expat gives, or nothing when it refuses the part.
inline std::optional<std::string> ExpatTags(std::string_view xml) {
    TagLog log;
    try {
        word::fmt::XmlStream stream(log, "part");
        stream.Feed(xml.data(), xml.size(), true);
    } catch (const word::WordError&) {
        return std::nullopt;
    }
    return log.log;
}

// The tags the scanner gives, or nothing when it gives up.
inline std::optional<std::string> ScannedTags(std::string_view xml) {
    TagLog log;
    if (!word::fmt::ScanTags(xml, log)) return std::nullopt;
    return log.log;
}

}  // namespace pelmora::test
