#include "core/files/files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "core/files/filenames.h"
#include "core/files/mounts.h"
#include "support/testutil.h"

namespace pelmora {
namespace {

using test::ReadFile;
using test::WriteFile;

// Resets the move seams whatever a test did with them.
struct SeamGuard {
    SeamGuard() { moveFileSeams() = {}; }
    ~SeamGuard() { moveFileSeams() = {}; }
};

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// ---- Listing ----

const QStringList kWordKinds = {".doc", ".docx", ".docm"};

TEST(ListDocFiles, OrdinaryDocFilesOnlySortedByName) {
    QTemporaryDir tmp;
    const QString d = tmp.path();
    for (const char* name : {"b.doc", "A.DOC", "c.Doc", "a.doc", "notes.txt", "x.docx", "y.doc.bak",
                             ".hidden.doc", "中文.doc"})
        WriteFile(d + "/" + name, "x");
    QDir(d).mkdir("folder.doc");
    ASSERT_EQ(::symlink("b.doc", QFile::encodeName(d + "/link.doc").constData()), 0);
    ASSERT_EQ(::symlink("missing", QFile::encodeName(d + "/broken.doc").constData()), 0);

    EXPECT_EQ(ListDocFiles(d, kWordKinds),
              (QStringList{"A.DOC", "a.doc", "b.doc", "c.Doc", "link.doc", "x.docx", "中文.doc"}));
}

TEST(ListDocFiles, OnlyTheKindsAskedFor) {
    QTemporaryDir tmp;
    const QString d = tmp.path();
    for (const char* name :
         {"a.doc", "b.ODT", "c.wps", "d.rtf", "e.dot", "f.ott", "g.odt.bak", ".odt", "h.wpt"})
        WriteFile(d + "/" + name, "x");
    EXPECT_EQ(ListDocFiles(d, {".odt", ".wps"}), (QStringList{"b.ODT", "c.wps"}));
    EXPECT_EQ(ListDocFiles(d, DocumentExtensions()),
              (QStringList{"a.doc", "b.ODT", "c.wps", "d.rtf", "e.dot", "f.ott", "h.wpt"}));
    EXPECT_TRUE(ListDocFiles(d, {}).isEmpty());
}

TEST(ListDocFiles, MissingOrEmptyFolderGivesNothing) {
    QTemporaryDir tmp;
    EXPECT_TRUE(ListDocFiles(tmp.path(), kWordKinds).isEmpty());
    EXPECT_TRUE(ListDocFiles(tmp.path() + "/nope", kWordKinds).isEmpty());
    EXPECT_TRUE(ListDocFiles(QString(), kWordKinds).isEmpty());
}

TEST(FindDocFiles, SubfoldersDepthFirstAfterTheFolderOwnFiles) {
    QTemporaryDir tmp;
    const QString d = tmp.path();
    WriteFile(d + "/z.doc", "x");
    WriteFile(d + "/a/a1.doc", "x");
    WriteFile(d + "/a/deep/d.doc", "x");
    WriteFile(d + "/B/b1.doc", "x");
    WriteFile(d + "/.hid/h.doc", "x");
    ASSERT_EQ(::symlink("a", QFile::encodeName(d + "/loop").constData()), 0);
    ASSERT_EQ(::symlink(".", QFile::encodeName(d + "/a/self").constData()), 0);

    std::vector<std::pair<QString, QString>> got;
    for (const FoundFile& f : FindDocFiles(d, true, kWordKinds)) got.emplace_back(f.folder, f.name);
    const std::vector<std::pair<QString, QString>> want = {
        {d, "z.doc"}, {d + "/a", "a1.doc"}, {d + "/a/deep", "d.doc"}, {d + "/B", "b1.doc"}};
    EXPECT_EQ(got, want);

    const std::vector<FoundFile> flat = FindDocFiles(d, false, kWordKinds);
    ASSERT_EQ(flat.size(), 1u);
    EXPECT_EQ(flat[0].name, "z.doc");
}

// ---- Names and errors ----

TEST(IsRefusedFileName, WindowsRefusedNames) {
    const std::pair<QString, bool> cases[] = {
        {"第一章总则.doc", false},
        {"Q3-Q4.doc", false},
        {"a\u0007b.doc", true},
        {"a\tb.doc", true},
        {"say \"hi\".doc", true},
        {"a/b.doc", true},
        {"a\\b.doc", true},
        {"C:.doc", true},
        {"a*b.doc", true},
        {"why?.doc", true},
        {"a<b>.doc", true},
        {"a|b.doc", true},
        {QString(), true},
        {"con.doc", true},
        {"NUL.doc", true},
        {"COM1.doc", true},
        {"lpt9.doc", true},
        {"COM0.doc", false},
        {"console.doc", false},
        {"CON .doc", true},
        {"auxiliary.doc", false},
        {QString("a") + QChar(0) + "b.doc", true},
        {QString::fromUcs4(U"\U0001F600.doc"), false},
        {QString(QChar(0xD83D)) + ".doc", true},
        {"a" + QString(QChar(0xDE00)) + ".doc", true},
    };
    for (const auto& [name, refused] : cases)
        EXPECT_EQ(IsRefusedFileName(name), refused) << name.toStdString();
}

TEST(Win32ErrorFromErrno, NearestCodes) {
    const std::pair<int, int32_t> cases[] = {
        {0, 0},        {ENOENT, 2},   {EEXIST, 183}, {ENOTEMPTY, 183}, {EACCES, 5},
        {EPERM, 5},    {ENOSPC, 112}, {EDQUOT, 112}, {EINVAL, 123},    {ENAMETOOLONG, 206},
        {EILSEQ, 123}, {ENOTDIR, 3},  {EROFS, 19},   {EBUSY, 32},      {EXDEV, 17},
        {EIO, 1117},   {EMFILE, 4},   {ELOOP, 1921}, {ENOTSUP, 31},
    };
    for (const auto& [err, code] : cases) EXPECT_EQ(Win32ErrorFromErrno(err), code) << err;
}

// ---- Moving, over every way a move can go ----

struct Route {
    const char* name;
    MoveFileSeams seams;
};

void PrintTo(const Route& route, std::ostream* os) { *os << route.name; }

const Route kRoutes[] = {
    {"no-replace rename", {}},
    {"link and unlink", {.noRenameNoReplace = true}},
    {"reserve and copy", {.noRenameNoReplace = true, .noHardLinks = true}},
    {"copy across file systems", {.forceCrossDevice = true}},
    {"copy across, link", {.forceCrossDevice = true, .noRenameNoReplace = true}},
};

class MoveFileRoute : public ::testing::TestWithParam<Route> {
  protected:
    void SetUp() override { moveFileSeams() = GetParam().seams; }
    void TearDown() override { moveFileSeams() = {}; }
    QTemporaryDir tmp;
};

TEST_P(MoveFileRoute, MovesInPlaceAndIntoAnotherFolder) {
    const QString d = tmp.path();
    WriteFile(d + "/a.doc", "alpha");
    WriteFile(d + "/b.doc", "beta");
    QDir(d).mkdir("out");
    EXPECT_EQ(MoveFile(d + "/a.doc", d + "/第一章总则.doc"), 0);
    EXPECT_EQ(MoveFileInto(d + "/b.doc", d + "/out", "Beta.doc"), 0);
    EXPECT_EQ(Entries(d), (QStringList{"out", "第一章总则.doc"}));
    EXPECT_EQ(Entries(d + "/out"), (QStringList{"Beta.doc"}));
    EXPECT_EQ(ReadFile(d + "/第一章总则.doc"), "alpha");
    EXPECT_EQ(ReadFile(d + "/out/Beta.doc"), "beta");
}

TEST_P(MoveFileRoute, NeverReplacesAndReportsWin32Codes) {
    const QString d = tmp.path();
    WriteFile(d + "/a.doc", "alpha");
    WriteFile(d + "/taken.doc", "taken");
    EXPECT_EQ(MoveFile(d + "/a.doc", d + "/taken.doc"), 183);
    EXPECT_EQ(MoveFile(d + "/gone.doc", d + "/new.doc"), 2);
    EXPECT_EQ(MoveFile(d + "/a.doc", d + "/no/such/folder/x.doc"), 3);
    EXPECT_EQ(MoveFileInto(d + "/a.doc", d, "say \"hi\".doc"), 123);
    EXPECT_EQ(MoveFileInto(d + "/a.doc", d, QString(300, QChar('x')) + ".doc"), 206);
    EXPECT_EQ(ReadFile(d + "/a.doc"), "alpha");
    EXPECT_EQ(ReadFile(d + "/taken.doc"), "taken");
    EXPECT_EQ(Entries(d), (QStringList{"a.doc", "taken.doc"}));
}

TEST_P(MoveFileRoute, AFileAppearingAtTheNewNameIsNeverReplaced) {
    const QString d = tmp.path();
    WriteFile(d + "/a.doc", "alpha");
    const MoveFileSeams& route = GetParam().seams;
    // The last moment before the name is taken: the copy's placement where
    // the move copies, else the direct rename.
    const bool copies = route.forceCrossDevice || (route.noRenameNoReplace && route.noHardLinks);
    const QByteArray target = QFile::encodeName(d + "/new.doc");
    moveFileSeams().beforeTakingName = [&](const char* step) {
        if (std::string(step) != (copies ? "place" : "rename")) return;
        const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd >= 0) {
            EXPECT_EQ(::write(fd, "intruder", 8), 8);
            ::close(fd);
        }
    };
    EXPECT_EQ(MoveFile(d + "/a.doc", d + "/new.doc"), 183);
    EXPECT_EQ(ReadFile(d + "/new.doc"), "intruder");
    EXPECT_EQ(ReadFile(d + "/a.doc"), "alpha");
    EXPECT_EQ(Entries(d), (QStringList{"a.doc", "new.doc"}));
}

TEST_P(MoveFileRoute, HiddenNamesAreRefused) {
    const QString d = tmp.path();
    WriteFile(d + "/a.doc", "alpha");
    for (const char* name : {"..doc", "...doc", ".x.doc", ".doc"})
        EXPECT_EQ(MoveFileInto(d + "/a.doc", d, name), 123) << name;
    EXPECT_EQ(Entries(d), (QStringList{"a.doc"}));
}

INSTANTIATE_TEST_SUITE_P(Routes, MoveFileRoute, ::testing::ValuesIn(kRoutes), [](const auto& info) {
    std::string s = info.param.name;
    for (char& c : s)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return s;
});

TEST(MoveFileAcross, KeepsModeAndTimesAndLeavesNoTemporary) {
    SeamGuard guard;
    moveFileSeams().forceCrossDevice = true;
    QTemporaryDir tmp;
    const QString d = tmp.path();
    QByteArray big(300000, 'q');
    big[12345] = '!';
    WriteFile(d + "/a.doc", big);
    const QByteArray src = QFile::encodeName(d + "/a.doc");
    ASSERT_EQ(::chmod(src.constData(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 0}, {1200000000, 500}};
    ASSERT_EQ(::utimensat(AT_FDCWD, src.constData(), times, 0), 0);
    QDir(d).mkdir("out");

    ASSERT_EQ(MoveFileInto(d + "/a.doc", d + "/out", "b.doc"), 0);
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(d + "/out/b.doc").constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, 1200000000);
    EXPECT_EQ(ReadFile(d + "/out/b.doc"), big);
    EXPECT_EQ(Entries(d + "/out"), (QStringList{"b.doc"}));
    EXPECT_FALSE(QFileInfo::exists(d + "/a.doc"));
}

TEST(MoveFileAcross, AFailureAtAnyStepLeavesTheOriginalAndNothingNew) {
    struct Failure {
        const char* what;
        MoveFileSeams seams;
        int32_t code;
    };
    const Failure failures[] = {
        {"disk full while copying", {.forceCrossDevice = true, .failCopyWriteWith = ENOSPC}, 112},
        {"sync fails", {.forceCrossDevice = true, .failSyncWith = EIO}, 1117},
        {"original cannot be removed",
         {.forceCrossDevice = true, .failUnlinkSourceWith = EACCES},
         5},
    };
    for (const Failure& f : failures) {
        SeamGuard guard;
        moveFileSeams() = f.seams;
        QTemporaryDir tmp;
        const QString d = tmp.path();
        WriteFile(d + "/a.doc", "alpha");
        QDir(d).mkdir("out");
        EXPECT_EQ(MoveFileInto(d + "/a.doc", d + "/out", "b.doc"), f.code) << f.what;
        EXPECT_EQ(ReadFile(d + "/a.doc"), "alpha") << f.what;
        EXPECT_TRUE(Entries(d + "/out").isEmpty())
            << f.what << ": " << Entries(d + "/out").join(',').toStdString();
    }
}

// A copy the disk or driver spoils (cut short at 64 KiB, or zeros from
// there on at the full size) is found when it is read back: the copy goes,
// the original stays, on both routes to the new name.
TEST(MoveFileAcross, ACopyThatComesOutUnlikeItsOriginalIsTakenBack) {
    constexpr off_t kCut = 65536;
    const std::pair<const char*, std::function<void(int)>> damages[] = {
        {"cut short", [](int fd) { ASSERT_EQ(::ftruncate(fd, kCut), 0); }},
        {"zeros at the end",
         [](int fd) {
             const QByteArray zeros(3000, '\0');
             ASSERT_EQ(::pwrite(fd, zeros.constData(), size_t(zeros.size()), kCut),
                       ssize_t(zeros.size()));
         }},
        {"one byte changed", [](int fd) { ASSERT_EQ(::pwrite(fd, "#", 1, 10), 1); }},
    };
    QByteArray content;
    for (int i = 0; content.size() < kCut + 3000; ++i) content += QByteArray::number(i) + ' ';
    content.truncate(kCut + 3000);
    for (const bool reservation : {false, true}) {
        for (const auto& [what, damage] : damages) {
            SeamGuard guard;
            moveFileSeams().forceCrossDevice = true;
            moveFileSeams().noRenameNoReplace = moveFileSeams().noHardLinks = reservation;
            moveFileSeams().damageCopy = damage;
            QTemporaryDir tmp;
            const QString d = tmp.path();
            WriteFile(d + "/a.doc", content);
            QDir(d).mkdir("out");
            EXPECT_EQ(MoveFileInto(d + "/a.doc", d + "/out", "b.doc"), kErrorFileCorrupt) << what;
            EXPECT_EQ(ReadFile(d + "/a.doc"), content) << what;
            EXPECT_TRUE(Entries(d + "/out").isEmpty())
                << what << ": " << Entries(d + "/out").join(',').toStdString();
        }
    }
}

TEST(MoveFileAcross, FoldersDoNotCross) {
    SeamGuard guard;
    moveFileSeams().forceCrossDevice = true;
    QTemporaryDir tmp;
    QDir(tmp.path()).mkdir("dir.doc");
    EXPECT_EQ(MoveFile(tmp.path() + "/dir.doc", tmp.path() + "/moved.doc"), 17);
    EXPECT_TRUE(QFileInfo(tmp.path() + "/dir.doc").isDir());
}

TEST(MoveFileAcross, ReportsEachCopyBeforeItGetsTheNameAndStopsWhenTheObserverRefuses) {
    for (const bool reservation : {false, true}) {
        SeamGuard guard;
        moveFileSeams().forceCrossDevice = true;
        moveFileSeams().noRenameNoReplace = moveFileSeams().noHardLinks = reservation;
        QTemporaryDir tmp;
        const QString d = tmp.path();
        WriteFile(d + "/a.doc", "alpha");
        std::vector<FileIdentity> seen;
        ASSERT_EQ(MoveFile(d + "/a.doc", d + "/b.doc",
                           [&](const FileIdentity& id) {
                               EXPECT_FALSE(QFileInfo::exists(d + "/b.doc") && !reservation);
                               seen.push_back(id);
                               return 0;
                           }),
                  0);
        const std::optional<FileIdentity> now = IdentityOf(d + "/b.doc");
        ASSERT_TRUE(now.has_value());
        ASSERT_FALSE(seen.empty());
        EXPECT_TRUE(seen.back().sameInode(*now)) << reservation;

        WriteFile(d + "/c.doc", "gamma");
        EXPECT_EQ(MoveFile(d + "/c.doc", d + "/e.doc", [](const FileIdentity&) { return ENOSPC; }),
                  112);
        EXPECT_EQ(Entries(d), (QStringList{"b.doc", "c.doc"})) << reservation;
    }
}

TEST(WriteFileAtomically, ReplacesOrRefusesAndLeavesNoTemporary) {
    QTemporaryDir tmp;
    const QString d = tmp.path();
    const QByteArray p = QFile::encodeName(d + "/f");
    auto text = [](const char* t) {
        return [t](int fd) { return ::write(fd, t, strlen(t)) < 0 ? errno : 0; };
    };
    EXPECT_EQ(WriteFileAtomically(p, text("one"), false), 0);
    EXPECT_EQ(WriteFileAtomically(p, text("two"), false), EEXIST);
    EXPECT_EQ(ReadFile(d + "/f"), "one");
    EXPECT_EQ(WriteFileAtomically(p, text("three"), true), 0);
    EXPECT_EQ(ReadFile(d + "/f"), "three");
    EXPECT_EQ(WriteFileAtomically(
                  p, [](int) { return EIO; }, true),
              EIO);
    EXPECT_EQ(ReadFile(d + "/f"), "three");
    EXPECT_EQ(WriteFileAtomically(QFile::encodeName(d + "/no/f"), text("x"), true), ENOENT);
    EXPECT_EQ(Entries(d), (QStringList{"f"}));
}

// A pid that surely runs no process: a child that has ended and been reaped.
long DeadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    int status = 0;
    ::waitpid(child, &status, 0);
    return child;
}

TEST(RemoveStaleTemporaries, OnlyOursAndOnlyThoseNoProcessWrites) {
    QTemporaryDir tmp;
    const QString d = tmp.path();
    const QString dead = QString::number(DeadPid()), self = QString::number(::getpid());
    const QStringList stale = {".pelmora-tmp-" + dead + "-a1B2c3", "userdata.ini.tmp" + dead + "_0",
                               "lastrename.journal.Xy12Zw", ".pelmora-move-Qw34Er"};
    const QStringList kept = {".pelmora-tmp-" + self + "-a1B2c3",
                              "userdata.ini.tmp" + self + "_3",
                              "lastrename.journal.prev",
                              "userdata.ini",
                              ".hidden",
                              "other.Xy12Zw",
                              ".pelmora-tmp-" + dead + "-toolongname"};
    for (const QString& n : stale + kept) WriteFile(d + "/" + n, "x");
    WriteFile(d + "/.pelmora-move-Fresh1", "x");  // an earlier version's, but new: may be in use
    const struct timespec old[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
    for (const QString& n : stale)
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(d + "/" + n).constData(), old, 0), 0);

    EXPECT_EQ(RemoveStaleTemporaries(d, {"userdata.ini", "lastrename.journal"}), stale.size());
    QStringList expected = kept;
    expected << ".pelmora-move-Fresh1";
    expected.sort();
    QStringList left = Entries(d);
    left.sort();
    EXPECT_EQ(left, expected);
}

// A FAT driver that loses the first entries of a long name shows the file
// under its first 13, 26 or 39 characters; its clusters may be another
// file's by then, so such a name is never taken for a stale temporary, even
// where its writer is gone. Cut after six digits of the start time, a six-digit
// pid's name looks like the earlier "<pid>-XXXXXX".
TEST(RemoveStaleTemporaries, KeepsNamesCutShort) {
    QTemporaryDir tmp;
    const QString d = tmp.path();
    long pid = 999999;
    while (pid > 100000 && (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)) --pid;
    const QString dead = QString::number(pid);
    const QString full = ".pelmora-tmp-" + dead + "-1234567-abcdef12-Q1wErT";
    const QStringList kept = {full.left(13),
                              full.left(26),
                              full.left(39),
                              ".pelmora-tmp-" + dead + "-1234567-",
                              ".pelmora-tmp-" + dead + "-1234567-notahex!-Q1wErT",
                              ".pelmora-tmp-" + dead + "-12x4567-abcdef12-Q1wErT"};
    ASSERT_EQ(full.left(26), ".pelmora-tmp-" + dead + "-123456");
    for (const QString& n : kept) WriteFile(d + "/" + n, "x");
    WriteFile(d + "/" + full, "x");
    WriteFile(d + "/.pelmora-tmp-" + dead + "-1234567--Q1wErT", "x");  // no boot id was readable

    EXPECT_EQ(RemoveStaleTemporaries(d), 2);
    QStringList expected = kept;
    expected.sort();
    QStringList left = Entries(d);
    left.sort();
    EXPECT_EQ(left.join(' ').toStdString(), expected.join(' ').toStdString());
}

// A FAT file system through FUSE (no renameat2 flags, no hard links), where
// the machine allows it.
class FuseFatMount {
  public:
    FuseFatMount() {
        if (!dir_.isValid() || ::geteuid() != 0 || !QFileInfo::exists("/dev/fuse")) return;
        const QString image = dir_.path() + "/fat.img", point = dir_.path() + "/m";
        QDir().mkpath(point);
        const QString cmd =
            QStringLiteral(
                "command -v fusefat >/dev/null && command -v mkfs.vfat >/dev/null && "
                "truncate -s 4M '%1' && mkfs.vfat '%1' >/dev/null 2>&1 && "
                "fusefat -o rw+ '%1' '%2' >/dev/null 2>&1")
                .arg(image, point);
        if (std::system(cmd.toLocal8Bit().constData()) != 0) return;
        point_ = point;
        for (int i = 0; i < 50 && !mounted(); ++i) ::usleep(20000);
    }
    ~FuseFatMount() {
        if (!point_.isEmpty())
            std::system(("umount -l '" + point_ + "' 2>/dev/null").toLocal8Bit().constData());
    }
    bool mounted() const {
        QFile mounts("/proc/self/mounts");
        return !point_.isEmpty() && mounts.open(QIODevice::ReadOnly) &&
               mounts.readAll().contains(" " + QFile::encodeName(point_) + " fuse");
    }
    QString path() const { return point_; }

  private:
    QTemporaryDir dir_;
    QString point_;
};

TEST(MoveFileOnFuseFat, MovesByReservationAndNeverReplaces) {
    SeamGuard guard;
    FuseFatMount fat;
    if (!fat.mounted())
        GTEST_SKIP() << "no FAT through FUSE here (needs root, /dev/fuse, fusefat, mkfs.vfat)";
    const QString d = fat.path();
    WriteFile(d + "/a.doc", "alpha");
    WriteFile(d + "/b.doc", "beta");
    WriteFile(d + "/taken.doc", "taken");
    EXPECT_EQ(MoveFile(d + "/a.doc", d + "/new.doc"), 0);
    EXPECT_EQ(MoveFile(d + "/b.doc", d + "/taken.doc"), 183);
    // Appearing at the last moment, after the test for the name.
    moveFileSeams().beforeTakingName = [&](const char* step) {
        if (std::string(step) == "place") WriteFile(d + "/late.doc", "late");
    };
    EXPECT_EQ(MoveFile(d + "/b.doc", d + "/late.doc"), 183);
    moveFileSeams().beforeTakingName = nullptr;
    EXPECT_EQ(ReadFile(d + "/new.doc"), "alpha");
    EXPECT_EQ(ReadFile(d + "/taken.doc"), "taken");
    EXPECT_EQ(ReadFile(d + "/late.doc"), "late");
    EXPECT_EQ(ReadFile(d + "/b.doc"), "beta");
    EXPECT_EQ(Entries(d), (QStringList{"b.doc", "late.doc", "new.doc", "taken.doc"}));
}

// Reads on FUSE wait on a user-space process: extraction gives them more
// readers. Local disks and paths that do not exist are not slow.
TEST(SlowStorage, FuseIsSlowLocalIsNot) {
    QTemporaryDir local;
    EXPECT_FALSE(IsSlowStorage(QFile::encodeName(local.path()).toStdString()));
    EXPECT_FALSE(IsSlowStorage("/no/such/folder"));
    EXPECT_FALSE(IsSlowStorage(""));
    FuseFatMount fat;
    if (!fat.mounted()) GTEST_SKIP() << "no FUSE mount here";
    WriteFile(fat.path() + "/a.doc", "alpha");
    EXPECT_TRUE(IsSlowStorage(QFile::encodeName(fat.path()).toStdString()));
    EXPECT_TRUE(IsSlowStorage(QFile::encodeName(fat.path() + "/a.doc").toStdString()));
}

// A real second file system: a tmpfs mounted for the test where allowed.
class TmpfsMount {
  public:
    TmpfsMount() {
        if (!dir_.isValid() || ::geteuid() != 0) return;
        mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                           "size=8m") == 0;
    }
    ~TmpfsMount() {
        if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    QString path() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

TEST(MoveFileAcross, RealSecondFileSystem) {
    SeamGuard guard;
    TmpfsMount other;
    if (!other.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here";
    QTemporaryDir tmp;
    struct stat a, b;
    ASSERT_EQ(::stat(QFile::encodeName(tmp.path()).constData(), &a), 0);
    ASSERT_EQ(::stat(QFile::encodeName(other.path()).constData(), &b), 0);
    if (a.st_dev == b.st_dev) GTEST_SKIP() << "temporary folder is on the same file system";

    WriteFile(tmp.path() + "/a.doc", "alpha");
    WriteFile(tmp.path() + "/b.doc", "beta");
    WriteFile(other.path() + "/taken.doc", "taken");
    EXPECT_EQ(MoveFileInto(tmp.path() + "/a.doc", other.path(), "标题.doc"), 0);
    EXPECT_EQ(MoveFileInto(tmp.path() + "/b.doc", other.path(), "taken.doc"), 183);
    EXPECT_EQ(ReadFile(other.path() + "/标题.doc"), "alpha");
    EXPECT_EQ(ReadFile(other.path() + "/taken.doc"), "taken");
    EXPECT_EQ(Entries(tmp.path()), (QStringList{"b.doc"}));
    EXPECT_EQ(Entries(other.path()), (QStringList{"taken.doc", "标题.doc"}));
}

TEST(ReadableMountPoints, RootFirstAndNoPseudoFileSystems) {
    const QStringList roots = ReadableMountPoints();
    ASSERT_FALSE(roots.isEmpty());
    EXPECT_EQ(roots.front(), QStringLiteral("/"));
    for (const QString& r : roots) {
        EXPECT_FALSE(r.startsWith(QStringLiteral("/proc")));
        EXPECT_FALSE(r.startsWith(QStringLiteral("/sys")));
    }
    QStringList unique = roots;
    EXPECT_EQ(unique.removeDuplicates(), 0);
}

}  // namespace
}  // namespace pelmora
