// Where the settings go: the program's folder for portable use, else the
// per-user configuration folder.

#include "core/settings/settingsfolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <optional>

#include "support/testutil.h"

namespace pelmora {
namespace {

// Root may write anywhere, so a folder without write bits only refuses an
// ordinary user: as root the checks run with the effective user "nobody".
class AsOrdinaryUser {
  public:
    AsOrdinaryUser() {
        if (geteuid() != 0) return;
        switched_ = seteuid(65534) == 0;
    }
    ~AsOrdinaryUser() {
        if (switched_) (void)seteuid(0);
    }
    bool ok() const { return geteuid() != 0; }

  private:
    bool switched_ = false;
};

class SettingsFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(base.isValid());
        // Reachable by "nobody" too.
        ASSERT_EQ(chmod(QFile::encodeName(base.path()).constData(), 0755), 0);
        program = base.path() + "/bin";
        ASSERT_TRUE(QDir().mkpath(program));
        ownedByUser(program);
        xdg = base.path() + "/xdg";
        home = base.path() + "/home";
    }
    void TearDown() override { chmod(QFile::encodeName(program).constData(), 0755); }
    // As root, the folder goes to "nobody", who runs the checks.
    static void ownedByUser(const QString& path) {
        if (geteuid() == 0) {
            ASSERT_EQ(chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
        }
    }
    void readOnly() { ASSERT_EQ(chmod(QFile::encodeName(program).constData(), 0555), 0); }
    QString choose(const QString& xdgHome) {
        AsOrdinaryUser user;
        if (!user.ok()) return QStringLiteral("<cannot leave root>");
        return ChooseSettingsFolder(program, xdgHome, home);
    }

    QTemporaryDir base;
    QString program, xdg, home;
};

TEST_F(SettingsFolderTest, PortableFolderKeepsEverything) {
    // Writable: stays, with or without a settings file.
    EXPECT_EQ(choose(xdg), program);
    test::WriteFile(program + "/userdata.ini", "First=true\r\n");
    EXPECT_EQ(choose(xdg), program);
    // An existing settings file keeps a read-only copy portable too (a CD,
    // a write-protected stick).
    readOnly();
    EXPECT_EQ(choose(xdg), program);
}

TEST_F(SettingsFolderTest, UnwritableFolderWithoutSettingsGoesToTheUserFolder) {
    readOnly();
    const QString chosen = choose(xdg);
    if (chosen.startsWith('<')) GTEST_SKIP() << "cannot drop root rights here";
    EXPECT_EQ(chosen, xdg + "/pelmora");
    EXPECT_EQ(choose(xdg + "/"), xdg + "/pelmora");
    // A folder that is not there (or a name that is a file) is no place either.
    program = base.path() + "/gone";
    EXPECT_EQ(choose(xdg), xdg + "/pelmora");
    test::WriteFile(program, "x");
    EXPECT_EQ(choose(xdg), xdg + "/pelmora");
    EXPECT_FALSE(QFileInfo::exists(xdg)) << "choosing creates nothing";
}

TEST_F(SettingsFolderTest, WithoutAnAbsoluteXdgConfigHomeUsesDotConfig) {
    readOnly();
    const QString chosen = choose(QString());
    if (chosen.startsWith('<')) GTEST_SKIP() << "cannot drop root rights here";
    EXPECT_EQ(chosen, home + "/.config/pelmora");
    EXPECT_EQ(choose(QStringLiteral("relative/config")), home + "/.config/pelmora");
}

// The folder for this process: from the environment, created private on
// first use, and left alone in portable use.
TEST_F(SettingsFolderTest, FirstStartCreatesThePrivateUserFolder) {
    readOnly();
    const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME"), oldHome = qgetenv("HOME");
    const bool hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(home));
    ASSERT_TRUE(QDir().mkpath(home));
    ownedByUser(home);
    std::optional<QString> created, again;
    bool madeFirst = false, madeAgain = true;
    {
        AsOrdinaryUser user;
        if (user.ok()) {
            created = SettingsFolder(program, &madeFirst);
            again = SettingsFolder(program, &madeAgain);
        }
    }
    if (hadXdg) qputenv("XDG_CONFIG_HOME", oldXdg);
    qputenv("HOME", oldHome);
    if (!created) GTEST_SKIP() << "cannot drop root rights here";
    EXPECT_EQ(*created, home + "/.config/pelmora");
    EXPECT_EQ(*again, *created);
    EXPECT_TRUE(madeFirst);
    EXPECT_FALSE(madeAgain);
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(*created).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Portable: the program's folder itself, nothing made elsewhere.
    chmod(QFile::encodeName(program).constData(), 0755);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg));
    bool madePortable = true;
    const QString portable = SettingsFolder(program, &madePortable);
    if (hadXdg)
        qputenv("XDG_CONFIG_HOME", oldXdg);
    else
        qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(portable, program);
    EXPECT_FALSE(madePortable);
    EXPECT_FALSE(QFileInfo::exists(xdg));
}

}  // namespace
}  // namespace pelmora
