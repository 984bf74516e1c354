#pragma once
#include <QString>
#include <cstdint>

namespace pelmora {

// The nine persistent settings. Before anything is loaded they hold false, 0
// and the empty string.
struct GlobalSettings {
    bool globalFirst = false;
    bool globalSubdir = false;
    bool globalOnlyenglish = false;
    int16_t globalMaxword = 0;
    QString globalDefaultDir;
    int16_t globalGetTitleMode = 0;
    int16_t globalStartpragraph = 0;
    int16_t globalStartpos = 0;
    int16_t globalWordcount = 0;
};

// Values of globalGetTitleMode.
enum TitleMode : int16_t {
    TitleModeFirstParagraph = 0,
    TitleModeHeader = 1,
    TitleModeFooter = 2,
    TitleModeCustom = 3,
    // Picks the title from the leading paragraphs' text and formatting.
    TitleModeAuto = 4,
};

}  // namespace pelmora
