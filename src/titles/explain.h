#pragma once
// The automatic title mode's reasons as text, for `pelmora-titles --explain`:
// every leading line with its facts, the skip rule that passed it over or
// its score by terms, and the pick with its runners-up. UTF-8, one line of
// output per line read. Standard C++ only.

#include <string>

namespace pelmora {

struct TitleExplanation;

std::string ExplanationText(const TitleExplanation& explanation);

}  // namespace pelmora
