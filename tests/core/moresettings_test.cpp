// The settings beside userdata.ini: read by key with a default for anything
// missing or damaged, written atomically with the keys of other copies kept,
// and never a tenth line in userdata.ini.

#include "core/settings/moresettings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/settings/settingsstore.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"

namespace pelmora {
namespace {

using test::FakeDialogs;
using test::ReadFile;
using test::WriteFile;

GlobalSettings Changed() {
    GlobalSettings s;
    s.globalReplaceIllegal = true;
    s.globalKeepBlanks = true;
    s.globalKinds = {".odt", ".rtf"};
    s.globalNumberDuplicates = true;
    return s;
}

void ExpectDefaults(const GlobalSettings& s) {
    EXPECT_FALSE(s.globalReplaceIllegal);
    EXPECT_FALSE(s.globalKeepBlanks);
    EXPECT_EQ(s.globalKinds, DefaultListedExtensions());
    EXPECT_FALSE(s.globalNumberDuplicates);
}

TEST(MoreSettings, MissingEmptyOrDamagedFilesGiveTheDefaults) {
    QTemporaryDir dir;
    const QString path = MoreSettingsPath(dir.filePath("userdata.ini"));
    EXPECT_EQ(path, dir.filePath("pelmora-options.ini"));
    GlobalSettings s = Changed();
    ReadMoreSettings(path, s);
    ExpectDefaults(s);

    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("\xFF\xFE\x00garbage", 10), QByteArray(200000, 'x'),
          QByteArray("ReplaceIllegal=maybe\nKeepBlanks=1\nKinds=.exe .txt\n")}) {
        WriteFile(path, bytes);
        s = Changed();
        ReadMoreSettings(path, s);
        ExpectDefaults(s);
    }
    // A folder in the file's place reads as no file.
    QFile::remove(path);
    QDir().mkpath(path);
    s = Changed();
    ReadMoreSettings(path, s);
    ExpectDefaults(s);
}

TEST(MoreSettings, ReadByKeyInAnyOrderAndLetterCaseOfValues) {
    GlobalSettings s;
    ParseMoreSettings(
        "# comment\r\n  Kinds = ODT, .wps;doc  .nope\r\nKeepBlanks=TRUE\r\n"
        "Unknown=1\r\nno equals sign\r\nReplaceIllegal = true \r\n",
        s);
    EXPECT_TRUE(s.globalReplaceIllegal);
    EXPECT_TRUE(s.globalKeepBlanks);
    // Known kinds only, in the dialog's order.
    EXPECT_EQ(s.globalKinds, (QStringList{".doc", ".wps", ".odt"}));
    // A key given twice: the last one counts.
    ParseMoreSettings("KeepBlanks=true\nKeepBlanks=false\n", s);
    EXPECT_FALSE(s.globalKeepBlanks);
    EXPECT_FALSE(s.globalReplaceIllegal) << "a key not given is its default";
}

TEST(MoreSettings, WritingAndReadingBackKeepsEverySettingAndOtherKeys) {
    QTemporaryDir dir;
    const QString path = dir.filePath("pelmora-options.ini");
    WriteFile(path, "LaterKey=true\r\nKinds=.doc\r\nNumberDuplicates=false\r\n# mine\r\n");
    FakeDialogs dialogs;
    WriteMoreSettings(path, Changed(), dialogs);
    EXPECT_TRUE(dialogs.messages.empty());
    const QByteArray text = ReadFile(path);
    EXPECT_TRUE(text.contains("LaterKey=true\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("Kinds=.odt .rtf\r\n")) << text.constData();
    EXPECT_EQ(text.count("Kinds="), 1);
    EXPECT_EQ(text.count("NumberDuplicates=true\r\n"), 1);
    GlobalSettings back;
    ReadMoreSettings(path, back);
    EXPECT_TRUE(back.globalReplaceIllegal);
    EXPECT_TRUE(back.globalKeepBlanks);
    EXPECT_EQ(back.globalKinds, (QStringList{".odt", ".rtf"}));
    EXPECT_TRUE(back.globalNumberDuplicates);
    // Nothing else is left in the folder: the write went through a whole
    // temporary file.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"pelmora-options.ini"});
}

TEST(MoreSettings, AMissingFolderIsReported) {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    WriteMoreSettings(dir.filePath("gone/pelmora-options.ini"), Changed(), dialogs);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("找不到文件夹")));
}

TEST(MoreSettings, TheStoreKeepsUserdataIniAtNineLines) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("userdata.ini");
    FakeDialogs dialogs;
    SettingsStore store(ini, dialogs);
    GlobalSettings s = Changed();
    SetDefaultSettings(s, dir.path());
    EXPECT_TRUE(store.write(s));
    EXPECT_EQ(ReadFile(ini), SettingFileText(s).toUtf8());
    EXPECT_EQ(ReadFile(ini).count("\r\n"), 9);

    GlobalSettings back;
    EXPECT_TRUE(store.read(back));
    EXPECT_EQ(back.globalMaxword, 25);
    EXPECT_TRUE(back.globalReplaceIllegal);
    EXPECT_EQ(back.globalKinds, s.globalKinds);

    // A damaged userdata.ini fails its read; the further settings still load.
    WriteFile(ini, "\r\n");
    back = GlobalSettings();
    EXPECT_FALSE(store.read(back));
    EXPECT_TRUE(back.globalKeepBlanks);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

}  // namespace
}  // namespace pelmora
