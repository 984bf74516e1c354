// The program the desktop opens a document with, asked through xdg-mime in a
// scratch XDG tree: our own entry must be recognised, so a row never starts
// this program again, and a folder must stay the file manager's.

#include "core/desktop/defaultprogram.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "support/testutil.h"

namespace pelmora {
namespace {

// A desktop with only the entries a test writes, and none of the session's
// own hints that would send xdg-mime to a desktop's tool.
class ScratchDesktop : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("update-desktop-database")).isEmpty())
            GTEST_SKIP() << "xdg-utils or desktop-file-utils not installed (scripts/deps.sh)";
        ASSERT_TRUE(dir_.isValid());
        for (const char* name :
             {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
              "XDG_CURRENT_DESKTOP", "XDG_SESSION_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
              "KDE_SESSION_VERSION", "GNOME_DESKTOP_SESSION_ID", "MATE_DESKTOP_SESSION_ID",
              "XDG_MENU_PREFIX"}) {
            saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
            qunsetenv(name);
        }
        QDir().mkpath(data() + "/applications");
        // The MIME database itself is the system's.
        QFile::link(QStringLiteral("/usr/share/mime"), data() + "/mime");
        qputenv("XDG_DATA_HOME", (dir_.path() + "/home-data").toUtf8());
        qputenv("XDG_DATA_DIRS", data().toUtf8());
        qputenv("XDG_CONFIG_HOME", (dir_.path() + "/config").toUtf8());
        qputenv("XDG_CONFIG_DIRS", (dir_.path() + "/etc").toUtf8());
        doc_ = dir_.path() + "/a.doc";
        // A real Word file: xdg-mime types a bare compound-file header by its
        // content as a generic OLE store, not as a Word document.
        ASSERT_TRUE(QFile::copy(QStringLiteral(PELMORA_TEST_DATA "/short.doc"), doc_));
    }
    void TearDown() override {
        for (const auto& s : saved_) {
            if (s.set)
                qputenv(s.name, s.value);
            else
                qunsetenv(s.name);
        }
    }

    QString data() const { return dir_.path() + "/data"; }
    void AddEntry(const QString& id, const QByteArray& text) {
        test::WriteFile(data() + "/applications/" + id, text);
    }
    void AddOurEntry() {
        QFile::copy(QStringLiteral(PELMORA_SOURCE_DATA "/org.pelmora.Pelmora.desktop"),
                    data() + "/applications/org.pelmora.Pelmora.desktop");
    }
    // The cache a package's installation writes, from which xdg-mime takes
    // the first entry of a type when nobody chose one.
    void UpdateCache() {
        ASSERT_EQ(QProcess::execute(QStringLiteral("update-desktop-database"),
                                    {data() + "/applications"}),
                  0);
    }
    void ChooseDefault(const QString& type, const QString& id) {
        test::WriteFile(dir_.path() + "/config/mimeapps.list",
                        "[Default Applications]\n" + type.toUtf8() + "=" + id.toUtf8() + "\n");
    }
    QString QueryDefault(const QString& type) {
        QProcess p;
        p.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), type});
        p.waitForFinished();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    QTemporaryDir dir_;
    QString doc_;
    struct Saved {
        const char* name;
        QByteArray value;
        bool set;
    };
    std::vector<Saved> saved_;
};

const QByteArray kFileManager =
    "[Desktop Entry]\nType=Application\nName=Files\nExec=pcmanfm %U\n"
    "MimeType=inode/directory;\n";

// Named to sort after ours, as on the desktops where our old entry won.
TEST_F(ScratchDesktop, FoldersStayTheFileManagers) {
    AddOurEntry();
    AddEntry(QStringLiteral("pcmanfm.desktop"), kFileManager);
    UpdateCache();
    EXPECT_EQ(QueryDefault(QStringLiteral("inode/directory")), QStringLiteral("pcmanfm.desktop"));
}

TEST_F(ScratchDesktop, OurEntryAloneForWordFilesIsThisProgram) {
    AddOurEntry();
    AddEntry(QStringLiteral("pcmanfm.desktop"), kFileManager);
    UpdateCache();
    const DefaultProgram p = LookUpDefaultProgram(doc_);
    ASSERT_EQ(p.kind, DefaultProgram::Kind::Found);
    EXPECT_EQ(p.entryId, kDesktopEntryId);
    EXPECT_EQ(p.command, QStringLiteral("pelmora"));
    EXPECT_TRUE(IsThisProgram(p, QStringLiteral("/usr/bin/pelmora")));
}

TEST_F(ScratchDesktop, AChosenViewerIsFoundWithItsCommand) {
    AddOurEntry();
    AddEntry(QStringLiteral("org.example.Writer.desktop"),
             "[Desktop Entry]\nType=Application\nName=Writer\nName[zh_CN]=W\n"
             "Exec=\"/opt/Example Writer/bin/writer\" --view %U\n"
             "MimeType=application/msword;\nActions=new;\n"
             "[Desktop Action new]\nName=New\nExec=writer --new\n");
    UpdateCache();
    ChooseDefault(QStringLiteral("application/msword"),
                  QStringLiteral("org.example.Writer.desktop"));
    const DefaultProgram p = LookUpDefaultProgram(doc_);
    ASSERT_EQ(p.kind, DefaultProgram::Kind::Found);
    EXPECT_EQ(p.entryId, QStringLiteral("org.example.Writer.desktop"));
    EXPECT_EQ(p.command, QStringLiteral("/opt/Example Writer/bin/writer"));
    EXPECT_FALSE(IsThisProgram(p, QStringLiteral("/usr/bin/pelmora")));
}

// "Open with" a custom command writes an entry of its own for this program.
TEST_F(ScratchDesktop, AUserMadeEntryRunningThisProgramIsThisProgram) {
    AddEntry(QStringLiteral("userapp-pelmora-X1Y2.desktop"),
             "[Desktop Entry]\nType=Application\nName=pelmora\nExec=/usr/bin/pelmora %f\n"
             "MimeType=application/msword;\nNoDisplay=true\n");
    UpdateCache();
    const DefaultProgram p = LookUpDefaultProgram(doc_);
    ASSERT_EQ(p.kind, DefaultProgram::Kind::Found);
    EXPECT_TRUE(IsThisProgram(p, QStringLiteral("/opt/pelmora/pelmora")));
}

TEST_F(ScratchDesktop, NoEntryForTheTypeIsNone) {
    AddEntry(QStringLiteral("pcmanfm.desktop"), kFileManager);
    UpdateCache();
    EXPECT_EQ(LookUpDefaultProgram(doc_).kind, DefaultProgram::Kind::None);
}

TEST(ExecProgram, TakesTheFirstWordPastEnvAndQuotes) {
    EXPECT_EQ(ExecProgram(QStringLiteral("pelmora %F")), QStringLiteral("pelmora"));
    EXPECT_EQ(ExecProgram(QStringLiteral("env LANG=zh_CN.UTF-8 -u X /usr/bin/pelmora %f")),
              QStringLiteral("/usr/bin/pelmora"));
    EXPECT_EQ(ExecProgram(QStringLiteral("\"/opt/a \\\"b\\\"/run\" %u")),
              QStringLiteral("/opt/a \"b\"/run"));
    EXPECT_EQ(ExecProgram(QString()), QString());
}

TEST(IsThisProgram, OnlyAFoundEntryOfOursOrRunningUs) {
    const QString self = QStringLiteral("/usr/bin/pelmora");
    EXPECT_FALSE(IsThisProgram({DefaultProgram::Kind::None, kDesktopEntryId, {}}, self));
    EXPECT_FALSE(IsThisProgram({DefaultProgram::Kind::Unknown, {}, {}}, self));
    EXPECT_TRUE(IsThisProgram({DefaultProgram::Kind::Found, kDesktopEntryId, {}}, self));
    EXPECT_FALSE(
        IsThisProgram({DefaultProgram::Kind::Found, QStringLiteral("v.desktop"), {}}, self));
    EXPECT_FALSE(IsThisProgram(
        {DefaultProgram::Kind::Found, QStringLiteral("v.desktop"), QStringLiteral("pelmoraview")},
        self));
}

}  // namespace
}  // namespace pelmora
