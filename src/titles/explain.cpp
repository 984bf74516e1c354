#include "titles/explain.h"

#include <cstdio>

#include "reader/text/utf8.h"
#include "titles/titlefinder.h"

namespace pelmora {

namespace {

// Control characters as \xHH, so every line read stays one line of output.
std::string Utf8(std::u16string_view s, size_t maxUnits = 60) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (i == maxUnits) {
            out += "…";
            break;
        }
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", unsigned(c));
            out += buf;
        } else {
            word::fmt::AppendCodePointUtf8(out, c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c);
        }
    }
    return out;
}

std::string Points(int halfPoints) {
    char buf[16];
    std::snprintf(buf, sizeof buf, halfPoints % 2 ? "%.1fpt" : "%.0fpt", halfPoints / 2.0);
    return buf;
}

std::string Facts(const LineFeatures& f) {
    std::string out;
    auto add = [&](bool on, const char* name) {
        if (!on) return;
        if (!out.empty()) out += ' ';
        out += name;
    };
    if (f.formatted) {
        out += Points(f.size);
        add(f.centered, "centred");
        add(f.bold, "bold");
        add(f.red, "red");
        add(f.titleStyle, "Title-style");
        add(f.subtitleStyle, "Subtitle-style");
        if (f.headingLevel > 0) out += " heading-" + std::to_string(f.headingLevel);
        add(f.listItem, "list-item");
        add(f.contentsStyle, "contents-style");
    } else {
        out += "unformatted";
    }
    if (f.tableRow > 0)
        out += " table-r" + std::to_string(f.tableRow) + "c" + std::to_string(f.tableCell);
    add(f.columnHeader, "column-header");
    add(f.kindEnding, "kind-ending");
    add(f.about, "about");
    add(f.orgLine, "organisation");
    add(f.numberedHeading, "numbered");
    add(f.bodyLike, "running-text");
    add(f.placeholder, "placeholder");
    add(f.note, "note");
    add(f.personName, "person-name");
    add(f.continues, "continues");
    add(f.latin, "latin");
    if (f.label.kind != Label::None)
        add(true, f.label.kind == Label::Subject   ? "subject-label"
                  : f.label.kind == Label::Project ? "project-label"
                                                   : "title-label");
    if (!f.droppedLead.empty()) out += " dropped:\"" + Utf8(f.droppedLead, 20) + "\"";
    return out;
}

const char* RuleName(TitleRule rule) {
    switch (rule) {
        case TitleRule::Label:
            return "label";
        case TitleRule::Subject:
            return "subject line";
        case TitleRule::Scored:
            return "best score";
        case TitleRule::TextBox:
            return "text box";
        case TitleRule::Header:
            return "page header";
        case TitleRule::Template:
            return "template placeholder: no title";
        case TitleRule::FirstParagraph:
            return "no title found: paragraph 1";
    }
    return "";
}

std::string Parts(const TitleCandidate& c) {
    std::string out = "score " + std::to_string(c.score);
    for (size_t i = 0; i < c.parts.size(); ++i) {
        out += i == 0 ? " = " : ", ";
        out += std::string(c.parts[i].name) + " " + (c.parts[i].points > 0 ? "+" : "") +
               std::to_string(c.parts[i].points);
    }
    return out;
}

}  // namespace

std::string ExplanationText(const TitleExplanation& e) {
    std::string out = "body text size: " +
                      (e.body.bodySize > 0 ? Points(e.body.bodySize) : std::string("unknown")) +
                      "\n";
    for (const ExplainedLine& l : e.lines) {
        if (l.features.compact.empty() && l.skippedBy == "empty") continue;  // quiet on blanks
        out += "  " +
               std::string(l.source == "body"     ? "p"
                           : l.source == "header" ? "h"
                                                  : "t") +
               std::to_string(l.index + 1) + " \"" + Utf8(l.features.text) + "\"  [" +
               Facts(l.features) + "]\n";
        out += "      ";
        if (l.pastFirstPage) {
            out += "after the first page: not read";
        } else if (!l.skippedBy.empty()) {
            out += "skipped: " + std::string(l.skippedBy);
        } else if (l.joined) {
            out += "joined to the line above";
        } else if (l.candidate >= 0) {
            const TitleCandidate& c = e.scored[size_t(l.candidate)];
            out += Parts(c);
            if (c.count > 1) out += "; with " + std::to_string(c.count - 1) + " more line(s)";
        } else {
            out += "candidate, not scored (after the running text)";
        }
        out += '\n';
    }
    const TitleChoice& c = e.choice;
    out += "pick (" + std::string(RuleName(c.rule)) + "): \"" + Utf8(c.title, 200) + "\"\n";
    for (size_t i = 1; i < c.candidates.size(); ++i)
        out +=
            "  runner-up " + std::to_string(i) + ": \"" + Utf8(c.candidates[i].title, 200) + "\"\n";
    return out;
}

}  // namespace pelmora
