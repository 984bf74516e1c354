#pragma once
// The real main window for tests: OpenWindow makes one over a settings
// folder with given dialogs; WindowTest is the base fixture for tests that
// drive it over real files (a fresh settings folder, a scratch folder for
// documents, the scripted dialogs; English-only and subfolder listing off).

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <memory>

#include "app/form1.h"
#include "grid/didagrid.h"
#include "support/fake_dialogs.h"

namespace pelmora::test {

// A main window over settingsDir whose modal interactions go to dialogs;
// the other options as given.
inline std::unique_ptr<Form1> OpenWindow(const QString& settingsDir, Dialogs& dialogs,
                                         Form1Options options = {}) {
    options.settingsDir = settingsDir;
    options.dialogs = &dialogs;
    return std::make_unique<Form1>(std::move(options));
}

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

    QTemporaryDir settings, files;
    FakeDialogs fake;
    std::unique_ptr<Form1> form;
};

}  // namespace pelmora::test
