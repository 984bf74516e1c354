#include "titles/rules.h"

#include <algorithm>

namespace pelmora {

namespace {

// ---- Skip rules ----

constexpr SkipRule kSkipRules[] = {
    {"empty", [](const LineFeatures& l, const BodyContext&) { return l.compact.empty(); }},
    {"rule", [](const LineFeatures& l, const BodyContext&) { return l.rule; }},
    {"mark", [](const LineFeatures& l, const BodyContext&) { return l.mark; }},
    {"copy-number", [](const LineFeatures& l, const BodyContext&) { return l.copyNumber; }},
    {"document-number",
     [](const LineFeatures& l, const BodyContext&) { return l.docNumber || l.codeLine; }},
    {"replaces", [](const LineFeatures& l, const BodyContext&) { return l.replaces; }},
    {"attachment", [](const LineFeatures& l, const BodyContext&) { return l.attachment; }},
    {"letterhead", [](const LineFeatures& l, const BodyContext&) { return l.letterheadText; }},
    // Red and big: a letterhead by its look alone.
    {"red-letterhead",
     [](const LineFeatures& l, const BodyContext& b) {
         return l.formatted && l.red && l.size >= std::max(36, b.bodySize + 8);
     }},
    {"date", [](const LineFeatures& l, const BodyContext&) { return l.date; }},
    {"genre", [](const LineFeatures& l, const BodyContext&) { return l.genre; }},
    {"salutation", [](const LineFeatures& l, const BodyContext&) { return l.salutation; }},
    // "摘要：本文……。" is running text behind a label, not a field line.
    {"field", [](const LineFeatures& l, const BodyContext&) { return l.field && !l.bodyLike; }},
};

// ---- Score terms ----

constexpr ScoreTerm kScoreTerms[] = {
    // Earlier is better.
    {"position", [](const Candidate& c, const BodyContext&) { return -std::min(30, 3 * c.rank); }},
    {"running-text",
     [](const Candidate& c, const BodyContext&) { return c.joined.bodyLike ? -50 : 0; }},
    {"kind-ending",
     [](const Candidate& c, const BodyContext&) { return c.joined.kindEnding ? 10 : 0; }},
    {"about", [](const Candidate& c, const BodyContext&) { return c.joined.about ? 5 : 0; }},
    {"numbered-heading",
     [](const Candidate& c, const BodyContext&) { return c.joined.numberedHeading ? -20 : 0; }},
    {"organisation",
     [](const Candidate& c, const BodyContext&) { return c.joined.orgLine ? -15 : 0; }},
    {"very-short",
     [](const Candidate& c, const BodyContext&) { return c.joined.compact.size() <= 2 ? -10 : 0; }},
    {"table",
     [](const Candidate& c, const BodyContext&) {
         if (c.head->tableRow > 1) return -20;
         return c.head->tableRow == 1 && c.head->tableCell > 1 ? -10 : 0;
     }},
    {"style",
     [](const Candidate& c, const BodyContext&) {
         const LineFeatures& h = *c.head;
         if (!h.formatted) return 0;
         if (h.titleStyle) return 40;
         if (h.subtitleStyle) return -10;
         if (h.headingLevel == 1) return 15;
         return h.headingLevel > 1 ? 5 : 0;
     }},
    {"size",
     [](const Candidate& c, const BodyContext& b) {
         const LineFeatures& h = *c.head;
         if (!h.formatted || b.bodySize <= 0) return 0;
         if (h.size > b.bodySize) return std::min(40, 2 * (h.size - b.bodySize));
         return h.size > 0 && h.size < b.bodySize ? -5 : 0;
     }},
    {"largest",
     [](const Candidate& c, const BodyContext& b) {
         const LineFeatures& h = *c.head;
         return h.formatted && b.bodySize > 0 && h.size > b.bodySize && h.size == b.largest ? 10
                                                                                            : 0;
     }},
    {"centred", [](const Candidate& c,
                   const BodyContext&) { return c.head->formatted && c.head->centered ? 8 : 0; }},
    {"bold", [](const Candidate& c,
                const BodyContext&) { return c.head->formatted && c.head->bold ? 6 : 0; }},
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

}  // namespace pelmora
