#include "core/settings/settingsstore.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "core/settings/moresettings.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "titles/rawtitle.h"

namespace pelmora {
namespace {

using test::FakeDialogs;
using test::ReadFile;
using test::WriteFile;

// Values no file line produces by accident, so a test sees which fields a
// read assigned.
GlobalSettings Sentinel() {
    GlobalSettings s;
    s.globalFirst = true;
    s.globalSubdir = true;
    s.globalOnlyenglish = true;
    s.globalMaxword = 111;
    s.globalDefaultDir = QStringLiteral("old");
    s.globalGetTitleMode = 3;
    s.globalStartpragraph = 99;
    s.globalStartpos = 98;
    s.globalWordcount = 97;
    return s;
}

struct Fields {
    bool first, subdir, onlyenglish;
    int maxword;
    const char* dir;
    int mode, pragraph, pos, wordcount;
};

void ExpectFields(const GlobalSettings& s, const Fields& f) {
    EXPECT_EQ(s.globalFirst, f.first);
    EXPECT_EQ(s.globalSubdir, f.subdir);
    EXPECT_EQ(s.globalOnlyenglish, f.onlyenglish);
    EXPECT_EQ(s.globalMaxword, f.maxword);
    EXPECT_EQ(s.globalDefaultDir, QString::fromUtf8(f.dir));
    EXPECT_EQ(s.globalGetTitleMode, f.mode);
    EXPECT_EQ(s.globalStartpragraph, f.pragraph);
    EXPECT_EQ(s.globalStartpos, f.pos);
    EXPECT_EQ(s.globalWordcount, f.wordcount);
}

constexpr Fields kUntouched{true, true, true, 111, "old", 3, 99, 98, 97};

struct ReadCase {
    const char* name;
    QByteArray bytes;
    bool ok;
    Fields expected;
    const char* messagePart = "";  // part of the error text
};

const QByteArray kNine =
    "First=true\r\nSubdir=false\r\nOnlyenglish=true\r\nMaxword= 30\r\nDefaultDir=/d\r\n"
    "GetTitleMode= 2\r\nStartpragraph= 7\r\nStartpos= 3\r\nWordcount= 40\r\n";

class ReadSettingTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadSettingTest, ReadsByPosition) {
    const ReadCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    WriteFile(path, c.bytes);
    GlobalSettings s = Sentinel();
    FakeDialogs dialogs;
    EXPECT_EQ(ReadSettingFile(path, s, dialogs), c.ok);
    ExpectFields(s, c.expected);
    if (c.ok) {
        EXPECT_TRUE(dialogs.messages.empty());
    } else {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);
        EXPECT_TRUE(dialogs.messages[0].caption.isEmpty());
        EXPECT_TRUE(dialogs.messages[0].text.contains(QString::fromUtf8(c.messagePart)))
            << dialogs.messages[0].text.toStdString();
        EXPECT_TRUE(dialogs.messages[0].text.contains(path));
    }
}

INSTANTIATE_TEST_SUITE_P(
    File, ReadSettingTest,
    ::testing::Values(
        ReadCase{"NineLines", kNine, true, {true, false, true, 30, "/d", 2, 7, 3, 40}},
        ReadCase{"CapitalTrueIsFalse",
                 QByteArray(kNine).replace("First=true", "First=True"),
                 true,
                 {false, false, true, 30, "/d", 2, 7, 3, 40}},
        ReadCase{"TrailingBlankIsFalse",
                 QByteArray(kNine).replace("Onlyenglish=true", "Onlyenglish=true "),
                 true,
                 {true, false, false, 30, "/d", 2, 7, 3, 40}},
        ReadCase{"KeysDoNotMatter",
                 "Subdir=true\r\nFirst=False \r\nOnlyenglish=true\r\n",
                 true,
                 {true, false, true, 0, "", 0, 0, 0, 0}},
        ReadCase{"ValueEndsAtSecondEquals",
                 "a=true=x\r\nb=\r\nc\xff=true\r\nd=1=2\r\ne=/p=q\r\n",
                 true,
                 {true, false, true, 1, "/p", 0, 0, 0, 0}},
        ReadCase{"EmptyLineFailsBeforeAssigning", "First=False \r\n\r\nOnlyenglish=false\r\n",
                 false, kUntouched, "第2行"},
        ReadCase{"EmptyLineAfterNinth", kNine + "\r\n", false, kUntouched, "第10行"},
        ReadCase{"LineWithoutEquals", "First=true\r\nSubdir\r\n", false, kUntouched, "“=”"},
        ReadCase{"TenthLineIgnored",
                 kNine + "Extra=1\r\n",
                 true,
                 {true, false, true, 30, "/d", 2, 7, 3, 40}},
        ReadCase{"EleventhLineFails", kNine + "Extra=1\r\nMore=2\r\n", false, kUntouched, "10"},
        ReadCase{"LettersGiveZero",
                 "a=\r\nb=\r\nc=\r\nMaxword=abc\r\n",
                 true,
                 {false, false, false, 0, "", 0, 0, 0, 0}},
        ReadCase{"HalfToEven",
                 "a=\r\nb=\r\nc=\r\nMaxword=2.5\r\nd=\r\nGetTitleMode=3.5\r\n",
                 true,
                 {false, false, false, 2, "", 4, 0, 0, 0}},
        ReadCase{"OutOfRangeStopsAfterThreeFields",
                 QByteArray(kNine).replace("Maxword= 30", "Maxword=40000"),
                 false,
                 {true, false, true, 111, "old", 3, 99, 98, 97},
                 "第4行"},
        ReadCase{"OutOfRangeLateKeepsEarlierFields",
                 QByteArray(kNine).replace("Startpos= 3", "Startpos=-32769"),
                 false,
                 {true, false, true, 30, "/d", 2, 7, 98, 97},
                 "第8行"},
        ReadCase{
            "FiveLines",
            "First=False \r\nSubdir=true\r\nOnlyenglish=true\r\nMaxword= 9\r\nDefaultDir=/x\r\n",
            true,
            {false, true, true, 9, "/x", 0, 0, 0, 0}},
        ReadCase{"EmptyFile", "", true, {false, false, false, 0, "", 0, 0, 0, 0}},
        ReadCase{"LineFeedsOnly",
                 QByteArray(kNine).replace("\r\n", "\n"),
                 true,
                 {true, false, true, 30, "/d", 2, 7, 3, 40}},
        ReadCase{"LoneCarriageReturns",
                 QByteArray(kNine).replace("\r\n", "\r"),
                 true,
                 {true, false, true, 30, "/d", 2, 7, 3, 40}},
        ReadCase{"NoFinalLineEnd",
                 kNine.left(kNine.size() - 2),
                 true,
                 {true, false, true, 30, "/d", 2, 7, 3, 40}},
        ReadCase{"NegativeAndBlanks",
                 "a=\r\nb=\r\nc=\r\nMaxword=- 3\r\nd=\r\ne=\t1 \r\n",
                 true,
                 {false, false, false, -3, "", 1, 0, 0, 0}},
        // "中文" in GB18030.
        ReadCase{"Gb18030Folder",
                 "a=\r\nb=\r\nc=\r\nd=\r\nDefaultDir=/\xd6\xd0\xce\xc4\r\n",
                 true,
                 {false, false, false, 0, "/中文", 0, 0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadSetting, MissingFileReportsOnceAndKeepsSettings) {
    QTemporaryDir dir;
    GlobalSettings s = Sentinel();
    FakeDialogs dialogs;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    EXPECT_FALSE(ReadSettingFile(path, s, dialogs));
    ExpectFields(s, kUntouched);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("找不到文件")));
    EXPECT_TRUE(dialogs.messages[0].text.contains(path));
}

TEST(ReadSetting, UnreadableFileIsReported) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    WriteFile(path, "First=true\r\n");
    QFile::setPermissions(path, QFile::WriteOwner);
    GlobalSettings s = Sentinel();
    FakeDialogs dialogs;
    EXPECT_FALSE(ReadSettingFile(path, s, dialogs));
    ExpectFields(s, kUntouched);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("拒绝访问")));
}

TEST(ReadSetting, FolderPipeDeviceOrOversizedFileIsAnError) {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    GlobalSettings s = Sentinel();
    EXPECT_FALSE(ReadSettingFile(dir.path(), s, dialogs));
    const QString big = dir.filePath(QStringLiteral("big.ini"));
    WriteFile(big, "First=true\r\n" + QByteArray(2 << 20, 'x'));
    EXPECT_FALSE(ReadSettingFile(big, s, dialogs));
    // A named pipe nobody writes to would block a plain open for ever.
    const QString pipe = dir.filePath(QStringLiteral("pipe.ini"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_FALSE(ReadSettingFile(pipe, s, dialogs));
    EXPECT_FALSE(ReadSettingFile(QStringLiteral("/dev/zero"), s, dialogs));
    ExpectFields(s, kUntouched);
    EXPECT_EQ(dialogs.messages.size(), 4u);
}

GlobalSettings Sample() {
    GlobalSettings s;
    s.globalFirst = true;
    s.globalSubdir = true;
    s.globalOnlyenglish = false;
    s.globalMaxword = -3;
    s.globalDefaultDir = QStringLiteral("/home/用户/文档 😀");
    s.globalGetTitleMode = 3;
    s.globalStartpragraph = 32767;
    s.globalStartpos = -32768;
    s.globalWordcount = 0;
    return s;
}

TEST(WriteSetting, DefaultsGiveTheNineLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    GlobalSettings s;
    SetDefaultSettings(s, QStringLiteral("/opt/pelmora"));
    FakeDialogs dialogs;
    EXPECT_TRUE(WriteSettingFile(path, s, dialogs));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(ReadFile(path),
              QByteArray("First=False \r\nSubdir=false\r\nOnlyenglish=true\r\nMaxword= 25\r\n"
                         "DefaultDir=/opt/pelmora\r\nGetTitleMode= 0\r\nStartpragraph= 5\r\n"
                         "Startpos= 1\r\nWordcount= 25\r\n"));
}

TEST(WriteSetting, NegativeNumbersAndTrueFlags) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    FakeDialogs dialogs;
    WriteSettingFile(path, Sample(), dialogs);
    const QList<QByteArray> lines = ReadFile(path).split('\n');
    ASSERT_EQ(lines.size(), 10);  // nine lines and nothing after the last CR LF
    EXPECT_EQ(lines[0], "First=true\r");
    EXPECT_EQ(lines[1], "Subdir=true\r");
    EXPECT_EQ(lines[2], "Onlyenglish=false\r");
    EXPECT_EQ(lines[3], "Maxword=-3\r");
    EXPECT_EQ(lines[7], "Startpos=-32768\r");
    EXPECT_EQ(lines[8], "Wordcount= 0\r");
    // The folder in GB18030: "用户" is D3 C3 BB A7, the emoji takes four bytes.
    EXPECT_TRUE(lines[4].contains("\xd3\xc3\xbb\xa7"));
    EXPECT_TRUE(lines[4].endsWith("\x94\x39\xfc\x36\r"));
}

TEST(WriteSetting, RoundTripKeepsEverySetting) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    FakeDialogs dialogs;
    const GlobalSettings written = Sample();
    WriteSettingFile(path, written, dialogs);
    GlobalSettings read;
    EXPECT_TRUE(ReadSettingFile(path, read, dialogs));
    EXPECT_TRUE(dialogs.messages.empty());
    ExpectFields(read, {true, true, false, -3, "/home/用户/文档 😀", 3, 32767, -32768, 0});
}

TEST(WriteSetting, AutoTitleModeRoundTrips) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    FakeDialogs dialogs;
    GlobalSettings s = Sample();
    s.globalGetTitleMode = int16_t(TitleMode::TitleModeAuto);
    WriteSettingFile(path, s, dialogs);
    EXPECT_EQ(ReadFile(path).split('\n').at(5), "GetTitleMode= 4\r");
    GlobalSettings read;
    EXPECT_TRUE(ReadSettingFile(path, read, dialogs));
    EXPECT_EQ(read.globalGetTitleMode, int16_t(TitleMode::TitleModeAuto));
}

TEST(WriteSetting, FolderWithEqualsComesBackCut) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    FakeDialogs dialogs;
    GlobalSettings s = Sample();
    s.globalDefaultDir = QStringLiteral("/data/a=b/c");
    WriteSettingFile(path, s, dialogs);
    GlobalSettings read;
    EXPECT_TRUE(ReadSettingFile(path, read, dialogs));
    EXPECT_EQ(read.globalDefaultDir, QStringLiteral("/data/a"));
    EXPECT_EQ(read.globalGetTitleMode, 3);
}

TEST(WriteSetting, ReplacesLongerContentCompletely) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    WriteFile(path, QByteArray(5000, 'x'));
    FakeDialogs dialogs;
    GlobalSettings s;
    SetDefaultSettings(s, QStringLiteral("/p"));
    WriteSettingFile(path, s, dialogs);
    EXPECT_EQ(ReadFile(path), SettingFileText(s).toLatin1());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("userdata.ini")});
}

// Root passes every permission check, so the failures here come from the
// file size limit, a missing folder and a folder in the file's place.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

TEST(WriteSetting, FailedWriteLeavesOldFileIntact) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    const QByteArray old = "First=true\r\n";
    WriteFile(path, old);
    FakeDialogs dialogs;
    GlobalSettings s;
    SetDefaultSettings(s, QStringLiteral("/a/long/enough/folder/name"));
    {
        FileSizeLimit limit(40);  // the new file needs well over 100 bytes
        ASSERT_TRUE(limit.ok());
        EXPECT_TRUE(WriteSettingFile(path, s, dialogs));
    }
    EXPECT_EQ(ReadFile(path), old);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(dialogs.messages[0].caption.isEmpty());
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("文件太大")));
    EXPECT_TRUE(dialogs.messages[0].text.contains(path));
    // No half-written temporary file stays behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("userdata.ini")});
}

TEST(WriteSetting, ReadOnlyFolderLeavesOldFileIntact) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    WriteFile(path, "First=true\r\n");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    FakeDialogs dialogs;
    EXPECT_TRUE(WriteSettingFile(path, Sample(), dialogs));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(ReadFile(path), "First=true\r\n");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("拒绝访问")));
}

TEST(WriteSetting, MissingFolderOrFolderInPlaceIsReported) {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    GlobalSettings s;
    SetDefaultSettings(s, QStringLiteral("/p"));
    EXPECT_TRUE(WriteSettingFile(dir.filePath(QStringLiteral("gone/userdata.ini")), s, dialogs));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("找不到文件夹")));

    const QString taken = dir.filePath(QStringLiteral("userdata.ini"));
    QDir().mkpath(taken + QStringLiteral("/inner"));
    EXPECT_TRUE(WriteSettingFile(taken, s, dialogs));
    EXPECT_EQ(dialogs.messages.size(), 2u);
    EXPECT_TRUE(QFileInfo(taken + QStringLiteral("/inner")).isDir());
}

TEST(WriteSetting, UnencodableFolderIsReportedAndNothingWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    WriteFile(path, "old");
    FakeDialogs dialogs;
    GlobalSettings s = Sample();
    s.globalDefaultDir = QStringLiteral("/a") + QChar(0xD800);  // half a surrogate pair
    EXPECT_TRUE(WriteSettingFile(path, s, dialogs));
    EXPECT_EQ(ReadFile(path), "old");
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST(WriteSetting, KeepsPermissionsOfTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("userdata.ini"));
    WriteFile(path, "x");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    FakeDialogs dialogs;
    WriteSettingFile(path, Sample(), dialogs);
    EXPECT_EQ(QFile::permissions(path) & 0xF0FF,
              (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup) & 0xF0FF);
}

TEST(SetDefaultSettings, TableValues) {
    GlobalSettings s = Sentinel();
    SetDefaultSettings(s, QStringLiteral("/prog"));
    ExpectFields(s, {false, false, true, 25, "/prog", 0, 5, 1, 25});
}

// userdata.ini or pelmora-options.ini naming a device or a pipe, by a link
// or in its place: read as no settings, reported, and the node never
// replaced or written through (the start writes the defaults after a failed
// read; it must not put a regular file in the node's place).
TEST(SettingsStore, ADeviceOrAPipeInTheFilesPlaceIsReportedAndLeftAsItIs) {
    QTemporaryDir nodes;
    const QString fifo = nodes.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        const char* what;
        QString target;  // the link's target; empty: the pipe itself in the file's place
    };
    std::vector<Case> cases = {{"a link to /dev/null", QStringLiteral("/dev/null")},
                               {"a link to a pipe", fifo},
                               {"a pipe", QString()}};
    // A device node of its own where the test may make one.
    const QString node = nodes.filePath(QStringLiteral("null"));
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0)
        cases.push_back({"a link to a device node", node});
    // A pipe nobody writes to would block a plain open for ever: fail loudly instead.
    ::alarm(60);
    for (const bool options : {false, true}) {
        for (const Case& c : cases) {
            const std::string what = std::string(c.what) + (options ? " (options)" : "");
            QTemporaryDir dir;
            const QString settings = dir.filePath(QStringLiteral("userdata.ini"));
            const QString path = options ? MoreSettingsPath(settings) : settings;
            const QByteArray native = QFile::encodeName(path);
            if (options) WriteFile(settings, kNine);
            if (c.target.isEmpty())
                ASSERT_EQ(::mkfifo(native.constData(), 0600), 0);
            else
                ASSERT_EQ(::symlink(QFile::encodeName(c.target).constData(), native.constData()),
                          0);
            struct stat before {};
            ASSERT_EQ(::stat(native.constData(), &before), 0);

            FakeDialogs fake;
            GlobalSettings s = Sentinel();
            const SettingsStore store(settings, fake);
            EXPECT_EQ(store.read(s), options) << what;
            SetDefaultSettings(s, dir.path());
            store.write(s);
            // One report for the read (userdata.ini only) and one for the write.
            ASSERT_EQ(fake.messages.size(), options ? 1u : 2u) << what;
            for (const MessageRequest& m : fake.messages)
                EXPECT_TRUE(m.text.contains(QStringLiteral("不是普通文件")) &&
                            m.text.contains(path))
                    << what << ": " << m.text.toStdString();

            struct stat after {};
            ASSERT_EQ(::stat(native.constData(), &after), 0) << what;
            EXPECT_EQ(after.st_mode & S_IFMT, before.st_mode & S_IFMT) << what;
            EXPECT_EQ(after.st_ino, before.st_ino) << what;
            if (!c.target.isEmpty()) {
                EXPECT_EQ(QFileInfo(path).symLinkTarget(), c.target) << what;
            }
            // Nothing left behind; the other file of the two written as usual.
            QStringList left = QDir(dir.path())
                                   .entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                              QDir::NoDotAndDotDot);
            left.sort();
            EXPECT_EQ(left, (QStringList{"pelmora-options.ini", "userdata.ini"})) << what;
        }
    }
    ::alarm(0);
    struct stat devnull {};
    ASSERT_EQ(::stat("/dev/null", &devnull), 0);
    EXPECT_TRUE(S_ISCHR(devnull.st_mode));
}

}  // namespace
}  // namespace pelmora

namespace pelmora {
namespace {

// Runs body as an unprivileged user (root reads any file), in a child
// process; true when the body returned true there.
bool AsUnprivileged(const std::function<bool()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(SettingsStore, AFileThatCannotBeReadIsReportedAndNeverOverwritten) {
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString path = dir.path() + "/userdata.ini";
    const QByteArray mine = "First=true\r\nSubdir=true\r\n";
    WriteFile(path, mine);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);

    const bool ok = AsUnprivileged([&] {
        FakeDialogs fake;
        GlobalSettings s = Sentinel();
        if (ReadSettingFile(path, s, fake)) return false;  // unreadable: a failed read
        SetDefaultSettings(s, dir.path());
        WriteSettingFile(path, s, fake);
        // Two reports: the read, then the refused write; the file as it was.
        return fake.messages.size() == 2 &&
               fake.messages[1].text.contains(QStringLiteral("没有覆盖")) && s.globalMaxword == 25;
    });
    EXPECT_TRUE(ok);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0600), 0);
    EXPECT_EQ(ReadFile(path), mine);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"userdata.ini"});
}

}  // namespace
}  // namespace pelmora
