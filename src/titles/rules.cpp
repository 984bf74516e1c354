#include "titles/rules.h"

#include <algorithm>

namespace pelmora {

namespace {

using L = const LineFeatures&;
using B = const BodyContext&;

// ---- Skip rules ----

constexpr SkipRule kSkipRules[] = {
    {"empty", [](L l, B) { return l.compact.empty(); }},
    {"rule", [](L l, B) { return l.rule; }},
    {"contents", [](L l, B) { return l.contents || l.contentsStyle; }},
    {"section-heading", [](L l, B) { return l.sectionHeading; }},
    {"mark", [](L l, B) { return l.mark; }},
    {"copy-number", [](L l, B) { return l.copyNumber; }},
    // A bare acronym set as the title ("CMMI") is the title, not a code.
    {"document-number",
     [](L l, B) {
         return l.docNumber ||
                (l.codeLine && !(l.capitalsOnly && (l.titleStyle || l.headingLevel == 1)));
     }},
    {"replaces", [](L l, B) { return l.replaces; }},
    {"attachment", [](L l, B) { return l.attachment; }},
    {"letterhead", [](L l, B) { return l.letterheadText; }},
    // Red and big: a 公文's letterhead by its look alone.
    {"red-letterhead",
     [](L l, B b) {
         // A red title ("关于…的通知") is still a title.
         const bool title = l.about || (l.kindEnding && !l.compact.ends_with(u"文件"));
         return l.formatted && l.red && !l.latin && !title &&
                l.size >= std::max(36, b.bodySize + 8);
     }},
    {"date", [](L l, B) { return l.date; }},
    {"genre", [](L l, B) { return l.genre || l.courseLine; }},
    {"salutation", [](L l, B) { return l.salutation; }},
    {"address", [](L l, B) { return l.addressLine; }},
    {"contact", [](L l, B) { return l.contact; }},
    // "摘要：本文……。" is running text behind a label, not a field line.
    {"field", [](L l, B) { return l.field && !l.bodyLike; }},
    {"column-header", [](L l, B) { return l.columnHeader; }},
};

// ---- Score terms ----

int IfHead(const Candidate& c, bool (*test)(L), int points) {
    return c.head->formatted && test(*c.head) ? points : 0;
}

constexpr ScoreTerm kScoreTerms[] = {
    // Earlier is better.
    {"position", [](const Candidate& c, B) { return -std::min(30, 3 * c.rank); }},
    {"running-text", [](const Candidate& c, B) { return c.joined->bodyLike ? -50 : 0; }},
    {"kind-ending", [](const Candidate& c, B) { return c.joined->kindEnding ? 10 : 0; }},
    {"about", [](const Candidate& c, B) { return c.joined->about ? 5 : 0; }},
    {"numbered-heading", [](const Candidate& c, B) { return c.joined->numberedHeading ? -20 : 0; }},
    {"list-item", [](const Candidate& c, B) { return c.head->listItem ? -20 : 0; }},
    {"note", [](const Candidate& c, B) { return c.joined->note ? -20 : 0; }},
    {"organisation", [](const Candidate& c, B) { return c.joined->orgLine ? -25 : 0; }},
    {"person-name", [](const Candidate& c, B) { return c.joined->personName ? -12 : 0; }},
    {"very-short", [](const Candidate& c, B) { return c.joined->compact.size() <= 2 ? -10 : 0; }},
    {"table",
     [](const Candidate& c, B) {
         if (c.head->tableRow > 1) return -20;
         return c.head->tableRow == 1 && c.head->tableCell > 1 ? -10 : 0;
     }},
    {"style",
     [](const Candidate& c, B) {
         const LineFeatures& h = *c.head;
         if (!h.formatted) return 0;
         if (h.titleStyle) return 40;
         if (h.subtitleStyle) return -10;
         if (h.headingLevel == 1) return 15;
         return h.headingLevel > 1 ? 5 : 0;
     }},
    {"size",
     [](const Candidate& c, B b) {
         const LineFeatures& h = *c.head;
         if (!h.formatted || b.bodySize <= 0) return 0;
         if (h.size > b.bodySize) return std::min(40, 2 * (h.size - b.bodySize));
         return h.size > 0 && h.size < b.bodySize ? -5 : 0;
     }},
    {"largest",
     [](const Candidate& c, B b) {
         const LineFeatures& h = *c.head;
         // An organisation's name is often the biggest line of a cover.
         return h.formatted && b.bodySize > 0 && h.size > b.bodySize && h.size == b.largest &&
                        !c.joined->orgLine
                    ? 10
                    : 0;
     }},
    {"centred",
     [](const Candidate& c, B) {
         return IfHead(
             c, [](L l) { return l.centered; }, 8);
     }},
    {"bold",
     [](const Candidate& c, B) {
         return IfHead(
             c, [](L l) { return l.bold; }, 6);
     }},
};

}  // namespace

std::span<const SkipRule> SkipRules() { return kSkipRules; }

const SkipRule* SkipRuleFor(const LineFeatures& line, const BodyContext& body) {
    for (const SkipRule& rule : kSkipRules) {
        if (rule.applies(line, body)) return &rule;
    }
    return nullptr;
}

std::span<const ScoreTerm> ScoreTerms() { return kScoreTerms; }

int Score(const Candidate& candidate, const BodyContext& body, std::vector<ScorePart>* parts) {
    int total = 0;
    for (const ScoreTerm& term : kScoreTerms) {
        const int points = term.points(candidate, body);
        total += points;
        if (parts && points != 0) parts->push_back({term.name, points});
    }
    return total;
}

bool LooksLikeTitle(const LineFeatures& l, const BodyContext& b) {
    if (!l.formatted) return false;
    if (l.titleStyle || l.headingLevel == 1) return true;
    return (l.centered && l.bold) ||
           ((l.centered || l.bold) && b.bodySize > 0 && l.size > b.bodySize);
}

}  // namespace pelmora
