#pragma once
#include <QString>
#include <QStringList>
#include <cstdint>

#include "core/files/filenames.h"
#include "titles/titlerules.h"

namespace pelmora {

// The settings. The first nine are the ones userdata.ini holds;
// globalGetTitleMode numbers a TitleMode (titles/rawtitle.h), and other
// numbers are kept but read no title. Before anything is loaded they hold
// false, 0 and the empty string. The rest live in a file of their own beside
// it (moresettings.h) and hold their defaults until it is read.
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

    // 替换非法字符: / \ : * ? " < > | in a title become full-width.
    bool globalReplaceIllegal = false;
    // 保留英文单词间的空格: one blank stays between Latin words.
    bool globalKeepBlanks = false;
    // 重名时自动编号: rows whose new names are taken get numbered names
    // ("会议纪要(2).doc") without a question.
    bool globalNumberDuplicates = false;
    // The kinds of document listed, as extensions out of DocumentExtensions().
    QStringList globalKinds = DefaultListedExtensions();
};

// The title rules these settings ask for.
inline TitleRules TitleRulesOf(const GlobalSettings& s) {
    return TitleRules{s.globalKeepBlanks, s.globalReplaceIllegal};
}

}  // namespace pelmora
