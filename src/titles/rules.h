#pragma once
// The title finder's rules as data: the lines that are never the title, as
// an ordered table of named skip rules, and the score of the rest, as one
// table of named weights. Each entry is a small function of the facts in
// linefeatures.h, so a rule can be read, changed and tested on its own.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "titles/linefeatures.h"

namespace pelmora {

// What the rules know of the leading body as a whole.
struct BodyContext {
    int bodySize = 0;  // the size most formatted text has, in half-points (0: unknown)
    int largest = 0;   // the largest size among candidate lines
};

struct SkipRule {
    std::string_view name;
    bool (*applies)(const LineFeatures& line, const BodyContext& body);
};

// In the order they are tried; the first that applies names why a line is
// passed over.
std::span<const SkipRule> SkipRules();
// The first skip rule that applies to the line, or null for a candidate.
const SkipRule* SkipRuleFor(const LineFeatures& line, const BodyContext& body);

// A title candidate: one line, or several set as one title.
struct Candidate {
    int first = 0;               // 0-based index of its first line
    int count = 1;               // lines joined
    int rank = 0;                // how many candidates come before it
    const LineFeatures* head;    // its first line: the candidate's look
    const TextFeatures* joined;  // the joined text's facts
};

struct ScoreTerm {
    std::string_view name;
    int (*points)(const Candidate& candidate, const BodyContext& body);
};

struct ScorePart {
    std::string_view name;
    int points = 0;
};

std::span<const ScoreTerm> ScoreTerms();
// The candidate's score, and the terms that gave it points when parts is given.
int Score(const Candidate& candidate, const BodyContext& body,
          std::vector<ScorePart>* parts = nullptr);

// Set apart from the body by its look: the Title style or a top heading,
// or centred or bold and bigger than the body text.
bool LooksLikeTitle(const LineFeatures& line, const BodyContext& body);

}  // namespace pelmora
