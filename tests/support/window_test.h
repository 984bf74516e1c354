#pragma once
// The real main window for tests: OpenWindow makes one over a settings
// folder with given dialogs; WindowTest is the base fixture for tests that
// drive it over real files (a fresh settings folder, a scratch folder for
// documents, the scripted dialogs; English-only and subfolder listing off).

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"

namespace pelmora::test {

// A main window over settingsDir whose modal interactions go to dialogs;
// the other options as given.
inline std::unique_ptr<Form1> OpenWindow(const QString& settingsDir, Dialogs& dialogs,
                                         Form1Options options = {}) {
    options.settingsDir = settingsDir;
    options.dialogs = &dialogs;
    return std::make_unique<Form1>(std::move(options));
}

// A document row: a file in dir() whose content is its own name, the
// title typed for it and its check mark.
struct Doc {
    QString name, title;
    bool checked;
};

// A row put straight into the grid, as listing and extracting leave it.
struct GridRow {
    QString name, title, flag, folder, result;
};

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override { openWindow(); }

    // A main window over the same settings folder, as after a restart.
    void openWindow() {
        form.reset();
        form = OpenWindow(settings.path(), fake);
        form->globalOnlyenglish = false;
        form->globalSubdir = false;
        fake.messages.clear();
    }

    QString dir() const { return files.path(); }
    DiDaGrid& grid() { return *form->DiDaGrid1; }

    // Writes the files, lists them through "btnDir" (docs come in listing
    // order), then gives each row its title and check mark.
    void list(const std::vector<Doc>& docs) {
        for (const Doc& d : docs) WriteFile(dir() + "/" + d.name, d.name.toUtf8());
        fake.folders.push_back(dir());
        form->Toolbar1_ButtonClick(QStringLiteral("btnDir"));
        ASSERT_EQ(form->globalFilecount, int(docs.size()));
        for (int r = 1; r <= form->globalFilecount; ++r) {
            const Doc& d = docs[size_t(r - 1)];
            ASSERT_EQ(grid().GetCellText(r, ColFileName), d.name);
            grid().SetCellText(r, ColTitle, d.title);
            grid().SetCellProperty(r, ColFlag, "setcheck", d.checked ? "1" : "0");
        }
        fake.messages.clear();
    }
    QString outcome(int r) { return grid().GetCellText(r, ColResult); }

    // Replaces the rows by these, without touching the disk, and counts them.
    void fill(const std::vector<GridRow>& rows) {
        grid().ClearRows();
        grid().SetRowCount(int(rows.size()) + 1);
        for (size_t i = 0; i < rows.size(); ++i) {
            const int r = int(i) + 1;
            grid().SetCellText(r, ColFileName, rows[i].name);
            grid().SetCellText(r, ColTitle, rows[i].title);
            grid().SetCellStyle(r, ColFlag, DiDaGrid::kStyleCheckBox);
            grid().SetCellProperty(r, ColFlag, "setcheck", rows[i].flag);
            grid().SetCellText(r, ColPath, rows[i].folder);
            grid().SetCellText(r, ColResult, rows[i].result);
        }
        form->globalFilecount = int(rows.size());
    }

    QTemporaryDir settings, files;
    FakeDialogs fake;
    std::unique_ptr<Form1> form;
};

}  // namespace pelmora::test
