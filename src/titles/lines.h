#pragma once
// The leading lines as the title finder reads them: each line's facts and
// the skip rule that passes it over, and how lines join into one title.
// Standard C++ only.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "reader/paragraph.h"
#include "titles/linefeatures.h"
#include "titles/rules.h"

namespace pelmora {

struct Lines {
    std::vector<LineFeatures> features;
    std::vector<const SkipRule*> skipped;  // null for a candidate
    BodyContext body;

    size_t size() const { return features.size(); }
    const LineFeatures& operator[](size_t i) const { return features[i]; }
    bool candidate(size_t i) const { return skipped[i] == nullptr; }
    std::string_view skipName(size_t i) const { return skipped[i] ? skipped[i]->name : ""; }
};

// The facts of every paragraph, the body size, the table rows of column
// headings, and the skip rules.
Lines ReadLines(std::span<const word::ParagraphFacts> paragraphs);

struct Joined {
    int count = 1;         // lines from the first one, empty ones between included
    std::u16string text;   // their texts as one title
    bool dropped = false;  // a placeholder line before the title was left out
};

// The title that starts at line `first` with text `text` (the line's own,
// or the value after its label): the lines that go on with it, set the same
// way or finishing it with its kind of document.
Joined JoinLines(const Lines& lines, size_t first, std::u16string text);

}  // namespace pelmora
