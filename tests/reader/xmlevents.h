#pragma once
// The start and end tags a part gives, as one line each, from the fast
// scanner or from expat: the two must agree wherever the scanner answers.
// With text, the text between two tags as one line, however it came.

#include <algorithm>
#include <cstddef>
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

// Tags and text; stops the parse after `stopAfter` events when that is >= 0.
class EventLog : public TagLog {
  public:
    explicit EventLog(int stopAfter = -1) : left_(stopAfter) {}
    void Start(word::fmt::Ns ns, std::string_view local,
               const word::fmt::XmlAttrs& attrs) override {
        Flush();
        TagLog::Start(ns, local, attrs);
        Count();
    }
    void End(word::fmt::Ns ns, std::string_view local) override {
        Flush();
        TagLog::End(ns, local);
        Count();
    }
    void Text(std::string_view utf8) override { text_.append(utf8); }
    std::string Done() {
        Flush();
        return log;
    }

  private:
    void Flush() {
        if (!text_.empty()) log += "[" + text_ + "]\n";
        text_.clear();
    }
    // Only tags count: expat and the scanner cut text differently.
    void Count() {
        if (left_ > 0 && --left_ == 0) stop = true;
    }
    std::string text_;
    int left_;
};

// The events expat gives, or nothing when it refuses the part.
inline std::optional<std::string> ExpatEvents(std::string_view xml, int stopAfter = -1) {
    EventLog log(stopAfter);
    try {
        word::fmt::XmlStream stream(log, "part");
        stream.Feed(xml.data(), xml.size(), true);
    } catch (const word::WordError&) {
        return std::nullopt;
    }
    return log.Done();
}

// The events the scanner gives, fed in pieces of `piece` bytes, or nothing
// when it gives up.
inline std::optional<std::string> ScannedEvents(std::string_view xml, std::size_t piece,
                                                int stopAfter = -1) {
    using Result = word::fmt::MarkupScanner::Result;
    EventLog log(stopAfter);
    word::fmt::MarkupScanner scanner(log);
    Result r = Result::More;
    for (std::size_t at = 0; r == Result::More; at += piece) {
        const std::size_t n = std::min(piece, xml.size() - std::min(at, xml.size()));
        r = scanner.Feed(xml.substr(std::min(at, xml.size()), n), at + n >= xml.size());
    }
    if (r != Result::Done) return std::nullopt;
    return log.Done();
}

}  // namespace pelmora::test
