#pragma once
// Base fixture for tests that drive the real main window over real files:
// a fresh settings folder, a scratch folder for documents, and the scripted
// dialogs. English-only and subfolder listing start off.

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "app/form1.h"
#include "grid/didagrid.h"
#include "support/fake_dialogs.h"

namespace pelmora::test {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { openWindow(); }

    // A main window over the same settings folder, as after a restart.
    void openWindow() {
        form.reset();
        Form1Options options;
        options.settingsDir = settings.path();
        options.dialogs = &fake;
        form = std::make_unique<Form1>(options);
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
