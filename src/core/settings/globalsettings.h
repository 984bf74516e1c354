#pragma once
#include <QString>
#include <cstdint>

namespace pelmora {

// The nine persistent settings. globalGetTitleMode numbers a TitleMode
// (titles/rawtitle.h); other numbers are kept but read no title. Before anything is loaded they
// hold false, 0 and the empty string.
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

}  // namespace pelmora
