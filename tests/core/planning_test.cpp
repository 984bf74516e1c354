// Planning a batch without moving anything (new names, collisions, letter
// case by file system) and the journal file of the last batch.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <set>

#include "core/files/filenames.h"
#include "core/files/mounts.h"
#include "core/rename/conflicts.h"
#include "core/rename/journal.h"
#include "support/testutil.h"

namespace pelmora {
namespace {

using test::Entries;
using test::WriteFile;

// ---- Planning without a disk ----

TEST(RenamedFileName, KeepsADocumentExtensionLowerCased) {
    const std::pair<const char*, const char*> cases[] = {
        {"a.doc", "T.doc"},      {"A.DOC", "T.doc"}, {"a.Docx", "T.docx"}, {"a.DOCM", "T.docm"},
        {"a.txt", "T.doc"},      {"docx", "T.doc"},  {".docx", "T.doc"},   {"a.docx.bak", "T.doc"},
        {"报告.docx", "T.docx"}, {"", "T.doc"},      {"a.WPS", "T.wps"},   {"a.wpt", "T.wpt"},
        {"a.odt", "T.odt"},      {"a.Ott", "T.ott"}, {"a.dot", "T.dot"},   {"a.DOTX", "T.dotx"},
        {"a.dotm", "T.dotm"},    {"a.rtf", "T.rtf"}, {".odt", "T.doc"},    {"a.odt.tmp", "T.doc"},
    };
    for (const auto& [name, want] : cases)
        EXPECT_EQ(RenamedFileName(QString::fromUtf8(name), "T"), QString::fromUtf8(want)) << name;
}

TEST(ListedFileName, ListedExtensionsInAnyCaseAfterAName) {
    const QStringList word = {".doc", ".docx", ".docm"};
    for (const char* name : {"a.doc", "A.DOC", "b.Docx", "c.docm", "报告.DOCX", "x.y.doc"})
        EXPECT_TRUE(IsListedFileName(QString::fromUtf8(name), word)) << name;
    for (const char* name : {".doc", ".docx", "doc", "a.dot", "a.doc.bak", "a.rtf", ""})
        EXPECT_FALSE(IsListedFileName(QString::fromUtf8(name), word)) << name;
    for (const char* name : {"a.wps", "B.ODT", "c.rtf"})
        EXPECT_TRUE(IsListedFileName(QString::fromUtf8(name), DefaultListedExtensions())) << name;
    for (const char* name : {"a.dot", "a.dotx", "a.wpt", "a.ott"})
        EXPECT_FALSE(IsListedFileName(QString::fromUtf8(name), DefaultListedExtensions())) << name;
    // The dialog filter offers every listed extension in both cases.
    EXPECT_EQ(DocumentFileFilter(word),
              QStringLiteral("文档(*.DOC *.doc *.DOCX *.docx *.DOCM *.docm)"));
    EXPECT_EQ(DefaultListedExtensions(),
              (QStringList{".doc", ".docx", ".docm", ".wps", ".odt", ".rtf"}));
}

TEST(FindCollisions, DiskAndEarlierRowsCaseByFileSystem) {
    struct Case {
        const char* what;
        std::set<QString> disk;
        bool foldCase;
        std::vector<std::pair<QString, QString>> moves;
        std::vector<size_t> want;
    };
    const Case cases[] = {
        {"free names",
         {"/d/a.doc", "/d/b.doc"},
         false,
         {{"/d/a.doc", "/d/A1.doc"}, {"/d/b.doc", "/d/B1.doc"}},
         {}},
        {"taken on disk", {"/d/a.doc", "/d/X.doc"}, false, {{"/d/a.doc", "/d/X.doc"}}, {0}},
        {"same name twice",
         {"/d/a.doc", "/d/b.doc"},
         false,
         {{"/d/a.doc", "/d/X.doc"}, {"/d/b.doc", "/d/X.doc"}},
         {1}},
        {"case differs, exact fs",
         {"/d/a.doc", "/d/b.doc"},
         false,
         {{"/d/a.doc", "/d/X.doc"}, {"/d/b.doc", "/d/x.doc"}},
         {}},
        {"case differs, folding fs",
         {"/d/a.doc", "/d/b.doc"},
         true,
         {{"/d/a.doc", "/d/X.doc"}, {"/d/b.doc", "/d/x.doc"}},
         {1}},
        {"freed by an earlier move",
         {"/d/b.doc", "/d/c.doc"},
         false,
         {{"/d/c.doc", "/d/d.doc"}, {"/d/b.doc", "/d/c.doc"}},
         {}},
        {"held until a later move",
         {"/d/b.doc", "/d/c.doc"},
         false,
         {{"/d/b.doc", "/d/c.doc"}, {"/d/c.doc", "/d/d.doc"}},
         {0}},
        {"missing source claims nothing",
         {"/d/b.doc"},
         false,
         {{"/d/a.doc", "/d/X.doc"}, {"/d/b.doc", "/d/X.doc"}},
         {}},
        {"other folder", {"/d/a.doc", "/e/X.doc"}, false, {{"/d/a.doc", "/d/X.doc"}}, {}},
    };
    for (const Case& c : cases) {
        std::vector<PlannedMove> moves;
        for (const auto& [from, to] : c.moves) moves.push_back({0, from, to});
        CollisionCheck check;
        check.exists = [&](const QString& p) {
            for (const QString& d : c.disk)
                if (c.foldCase ? d.compare(p, Qt::CaseInsensitive) == 0 : d == p) return true;
            return false;
        };
        check.ignoresCase = [&](const QString&) { return c.foldCase; };
        EXPECT_EQ(FindCollisions(moves, check), c.want) << c.what;
    }
}

// Where names fold but lookups are exact (ntfs-3g), a file differing in
// letter case only is found through the folder's listing.
TEST(FindCollisions, AFoldingFolderIsComparedByItsListing) {
    QTemporaryDir d;
    WriteFile(d.path() + "/Report.DOC", "r");
    WriteFile(d.path() + "/a.doc", "a");
    const std::vector<PlannedMove> moves = {{1, d.path() + "/a.doc", d.path() + "/report.doc"}};
    CollisionCheck folding;
    folding.ignoresCase = [](const QString&) { return true; };
    EXPECT_EQ(FindCollisions(moves, folding), (std::vector<size_t>{0}));
    CollisionCheck exact;
    exact.ignoresCase = [](const QString&) { return false; };
    EXPECT_TRUE(FindCollisions(moves, exact).empty());
}

TEST(NumberCollisions, FirstFreeNumberInRowOrderAsTheFolderComparesNames) {
    struct Case {
        const char* what;
        std::set<QString> disk;
        bool foldCase;
        std::vector<std::pair<QString, QString>> moves;
        std::vector<QString> want;  // each move's target after numbering
    };
    const Case cases[] = {
        {"three of one title",
         {"/d/a.doc", "/d/b.doc", "/d/c.doc"},
         false,
         {{"/d/a.doc", "/d/T.doc"}, {"/d/b.doc", "/d/T.doc"}, {"/d/c.doc", "/d/T.doc"}},
         {"/d/T.doc", "/d/T(2).doc", "/d/T(3).doc"}},
        {"numbers taken on disk are skipped, in the folder's case",
         {"/d/a.doc", "/d/T.doc", "/d/t(2).DOC"},
         true,
         {{"/d/a.doc", "/d/T.doc"}},
         {"/d/T(3).doc"}},
        {"an exact folder only skips the exact name",
         {"/d/a.doc", "/d/T.doc", "/d/t(2).DOC"},
         false,
         {{"/d/a.doc", "/d/T.doc"}},
         {"/d/T(2).doc"}},
        {"a number another row wants is left to it",
         {"/d/a.doc", "/d/b.doc", "/d/T.doc"},
         false,
         {{"/d/a.doc", "/d/T.doc"}, {"/d/b.doc", "/d/T(2).doc"}},
         {"/d/T(3).doc", "/d/T(2).doc"}},
        {"a file numbered before keeps its number",
         {"/d/T.doc", "/d/T(7).doc"},
         false,
         {{"/d/T(7).doc", "/d/T.doc"}},
         {"/d/T(7).doc"}},
        {"only the extension is split off",
         {"/d/a.doc", "/d/b.doc"},
         false,
         {{"/d/a.doc", "/d/v1.2.doc"}, {"/d/b.doc", "/d/v1.2.doc"}},
         {"/d/v1.2.doc", "/d/v1.2(2).doc"}},
    };
    for (const Case& c : cases) {
        std::vector<PlannedMove> moves;
        for (const auto& [from, to] : c.moves) moves.push_back({0, from, to});
        CollisionCheck check;
        check.exists = [&](const QString& p) {
            for (const QString& d : c.disk)
                if (c.foldCase ? d.compare(p, Qt::CaseInsensitive) == 0 : d == p) return true;
            return false;
        };
        check.ignoresCase = [&](const QString&) { return c.foldCase; };
        EXPECT_TRUE(NumberCollisions(moves, FindCollisions(moves, check), check).empty()) << c.what;
        std::vector<QString> got;
        for (const PlannedMove& m : moves) got.push_back(m.to);
        EXPECT_EQ(got, c.want) << c.what;
    }
}

TEST(IgnoresCase, MountTypes) {
    for (const char* t : {"vfat", "msdos", "exfat", "ntfs", "ntfs3", "fuseblk", "cifs", "smb3",
                          "fuse.fusefat", "fuse.exfat", "fuse.ntfs-3g", "fuse.lowntfs-3g"})
        EXPECT_TRUE(IsCaseInsensitiveFsType(QString::fromLatin1(t))) << t;
    for (const char* t : {"ext4", "xfs", "btrfs", "tmpfs", "overlay", "nfs", ""})
        EXPECT_FALSE(IsCaseInsensitiveFsType(QString::fromLatin1(t))) << t;
    QTemporaryDir tmp;
    EXPECT_FALSE(IgnoresCase(tmp.path() + "/new/name.doc"));  // /tmp here is a Linux file system
}

TEST(IgnoresCase, DeepestMountFromTheMountTable) {
    const QByteArray table =
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sdb1 /media/usb vfat rw 0 0\n"
        "/dev/sdc1 /media/usb\\040stick exfat rw 0 0\n"
        "//srv/share /mnt/share cifs rw 0 0\n"
        "tmpfs /mnt/share/local tmpfs rw 0 0\n"
        "/dev/sdd1 /media/usb ntfs3 rw 0 0\n"
        "broken-line\n";
    const std::pair<const char*, const char*> cases[] = {
        {"/home/a.doc", "ext4"},
        {"/media/usb/a.doc", "ntfs3"},  // mounted over the earlier vfat
        {"/media/usbx/a.doc", "ext4"},  // a longer name is no folder below
        {"/media/usb stick/a.doc", "exfat"},
        {"/mnt/share/x/a.doc", "cifs"},
        {"/mnt/share/local/a.doc", "tmpfs"},
    };
    for (const auto& [path, type] : cases)
        EXPECT_EQ(MountTypeIn(table, QString::fromUtf8(path)), QString::fromLatin1(type)) << path;
    EXPECT_EQ(MountTypeIn("", "/a"), "");
}

// ---- The journal file ----

TEST(Journal, DamagedOrForeignFilesAreNoJournal) {
    QTemporaryDir tmp;
    const QString p = tmp.path() + "/j";
    EXPECT_FALSE(RenameJournal::Read(p).has_value());
    const QByteArray bad[] = {"", "something else\n", "pelmora rename journal 1\nmove\t\\q\t/b\n",
                              "pelmora rename journal 1\nmove\t\t/b\n"};
    for (const QByteArray& text : bad) {
        WriteFile(p, text);
        EXPECT_FALSE(RenameJournal::Read(p).has_value()) << text.toStdString();
    }
}

TEST(Journal, PathsWithControlCharactersAndCutMarks) {
    QTemporaryDir tmp;
    const QString p = tmp.path() + "/j";
    {
        RenameJournal j(p);
        ASSERT_TRUE(
            j.begin({{"/a\tb\\c.doc", "/x\ny.doc"}, {"/2.doc", "/3.doc"}, {"/4.doc", "/5.doc"}}));
        j.markDone(0);
        j.markDone(2);
        j.markUndone(2);
    }
    // A mark cut short by a crash, and marks naming moves that do not exist.
    QFile f(p);
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("done\t99\ndone\t1");
    f.close();
    const auto entries = RenameJournal::Read(p);
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 3u);
    EXPECT_EQ((*entries)[0].from, "/a\tb\\c.doc");
    EXPECT_EQ((*entries)[0].to, "/x\ny.doc");
    EXPECT_TRUE((*entries)[0].done);
    EXPECT_FALSE((*entries)[1].done);
    EXPECT_TRUE((*entries)[2].done);
    EXPECT_TRUE((*entries)[2].undone);
}

TEST(Journal, CrashAfterSomeMovesUndoesJustThose) {
    // The journal as a crash after the first move leaves it: the plan and one mark.
    QTemporaryDir tmp;
    const QString d = tmp.path();
    WriteFile(d + "/A.doc", "a");  // move 0 done
    WriteFile(d + "/b.doc", "b");  // move 1 never happened
    {
        RenameJournal j(d + "/j");
        ASSERT_TRUE(j.begin({{d + "/a.doc", d + "/A.doc"}, {d + "/b.doc", d + "/B.doc"}}));
        j.markDone(0);
    }
    const UndoReport report = UndoLastBatch(d + "/j");
    EXPECT_TRUE(report.hadJournal);
    ASSERT_EQ(report.moves.size(), 1u);
    EXPECT_EQ(report.undone(), 1u);
    EXPECT_EQ(Entries(d), (QStringList{"a.doc", "b.doc"}));
}

}  // namespace
}  // namespace pelmora
