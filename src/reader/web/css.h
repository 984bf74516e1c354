#pragma once
// The little of CSS a title needs: font size, weight, colour, centring and
// page breaks, from style attributes and from <style> rules with simple
// selectors (tag, .class, tag.class). No cascade beyond that, no layout.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "reader/paragraph.h"

namespace pelmora::word::web {

// The formatting an element gives its text and paragraphs.
struct TextFormat {
    int halfPoints = 24;  // 12 points, the page's default size
    bool bold = false;
    uint32_t color = kAutoColor;
    bool centered = false;
    bool pageBreakBefore = false;  // not inherited
    int styleId = kStiNormal;
    std::u16string styleName;
    int outlineLevel = 9;
};

// Applies declarations ("font-size:14pt; color:#c00") over `f`; relative
// sizes (em, %, larger) are of `parentHalfPoints`. Values it cannot read
// are ignored, as CSS does.
void ApplyDeclarations(std::string_view css, int parentHalfPoints, TextFormat& f);

// A CSS size in half-points, or -1; absurd sizes come back as they are.
int FontSizeOf(std::string_view value, int parentHalfPoints);

// #rgb, #rrggbb, rgb(r,g,b) or one of the common colour names.
bool ParseColor(std::string_view value, uint32_t& color);

// Rules of the page's style sheets by selector ("p", ".msotitle", "p.msotitle").
class StyleRules {
  public:
    // Adds the rules of one style sheet (lower case); at-rules are left out.
    void Add(std::string_view css);
    bool Empty() const { return rules_.empty(); }
    // Applies what the rules say for an element: tag, then class, then both.
    void Apply(const std::string& tag, const std::string& classes, int parentHalfPoints,
               TextFormat& f) const;

  private:
    std::map<std::string, std::string, std::less<>> rules_;
};

}  // namespace pelmora::word::web
