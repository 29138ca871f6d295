#pragma once

#include "app/mainForm.h"
#include "kit/StatusPanels.h"
#include "support/ModalDriver.h"
#include "support/ScriptedPrompt.h"
#include "support/TempHome.h"
#include "support/TestEngine.h"
#include "support/TestHousehold.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QSignalSpy>
#include <QSqlQuery>

// The real main window on a fresh household, shown as at a start, with scripted message boxes. In a
// suite run on both engines, the household of the server instance lives on the tests' server.
class MainWindowFixture : public ::testing::TestWithParam<TestEngine> {
  protected:
    void SetUp() override { form = std::make_unique<TForm1>(home.path()); }

    void addUser(const QString& id, const QString& name, const QString& password, const QString& rights) {
        AddTestUser(form->database().connection(), id, name, password, rights);
    }

    // Shows the window; `atLogin` acts on the login window when it comes up.
    void start(std::function<void(QWidget*)> atLogin) {
        QSignalSpy done(form.get(), &TForm1::firstShowingDone);
        WhenModal(std::move(atLogin));
        form->show();
        ASSERT_TRUE(done.wait(5000));
    }
    void startAs(const QString& id, const QString& password) {
        start([id, password](QWidget* login) {
            TypeInto(login, "Edit1", id);
            TypeInto(login, "Edit2", password);
            ClickButton(login, "SpeedButton1");
        });
    }

    QList<bool> ticks() const {
        QList<bool> list;
        for (int i = 0; i < form->permissionList()->count(); ++i) {
            list.append(form->permissionList()->item(i)->checkState() == Qt::Checked);
        }
        return list;
    }

    template <typename T>
    T* child(const char* name) const {
        T* found = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    TempHome home;
    EngineHousehold place{CurrentTestEngine(), home};
    ScriptedPrompt prompt;
    std::unique_ptr<TForm1> form;
};
