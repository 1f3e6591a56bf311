#pragma once
// The main window: the one object that holds the program's state and behaviour. Its
// methods are defined by the subsystem that owns them: layout and opening in window/,
// the service client and the fetch in client/; beside each group, its file.
#include "client/command_lines.h"

#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/menus.h"
#include "platform/runtime.h"
#include "platform/window.h"

#include <QString>
#include <QStringList>
#include <memory>

class Window1 : public platform::Window {
public:
    // window/window1.cpp: the class record, the one instance, the menu items.
    static const platform::ClassRecord* Lookup();
    static void ctblinit();
    // The one main window, created (and opened) on the first call.
    static Window1* implicitInstance();

    // Only the instance initialiser's work; Constructor() builds and opens the window.
    Window1();
    ~Window1() override;

    // Profile names and ids: element k belongs to row k of profilemenu; element 0 stays
    // empty for row 0 "Select One".
    QStringList profiles;
    QStringList ids;

    // window/layout.cpp: the controls and their places (their property records are in
    // window/property_records.cpp).
    virtual void Layout();
    virtual void CreateControls();
    virtual void CreateControls0();

    // client/action_button.cpp: a click, in validate mode or up to the save dialog.
    virtual void PushButton1_Action(platform::PushButton& sender);

    // window/window1.cpp
    virtual platform::MenuItem* EditMenu();
    virtual platform::MenuItem* EditSelectAll();
    virtual platform::MenuItem* UntitledMenu0();
    virtual platform::MenuItem* EditClear();
    virtual platform::MenuItem* EditPaste();
    virtual platform::MenuItem* EditCopy();
    virtual platform::MenuItem* EditCut();
    virtual platform::MenuItem* UntitledMenu1();
    virtual platform::MenuItem* EditUndo();
    virtual platform::MenuItem* FileMenu();
    virtual platform::QuitMenuItem* FileQuit();

    // window/stored_key.cpp: opening, and the key in the preferences file.
    virtual void Event_Open();
    virtual void loadKey();
    virtual void writeKey();

    // client/platform_table.cpp: what each row of platformmenu requests.
    virtual QString platforms(int index);
    virtual QString urlify(const QString& text);
    virtual QString request_type(int index);
    virtual QString request_type_tag(int index);

    // client/profiles.cpp: the key check and the profile list.
    virtual void loadProfile();
    virtual bool validateKey();

    // The control added under name, as its class; NilObjectException when there is none.
    template <class T>
    T& control(const QString& name) const
    {
        T* found = dynamic_cast<T*>(platform::RuntimeWindowControlByName(this, name));
        if (!found)
            throw platform::NilObjectException(QStringLiteral("control %1").arg(name));
        return *found;
    }

protected:
    void EventLayout() override { Layout(); }
    void EventCreateControls() override { CreateControls(); }
    void EventOpen() override { Event_Open(); }

private:
    // client/fetch.cpp: the second half of a fetch-mode click, after the save dialog.
    void fetchMentions(const platform::FolderItem& file, const QString& profileId, int platformRow);
    // window/window1.cpp
    platform::MenuItem* menuItem(const QString& name);
    // The text of apikeyfield now.
    QString apiKey() const;

    // client/action_button.cpp: a click that arrives while an earlier one is still being
    // handled (its yields let events through) is ignored; clicks_ counts the clicks, the
    // current one included.
    bool handlingClick_ = false;
    unsigned long long clicks_ = 0;
    // window/stored_key.cpp: the click during which writeKey last told a store failure,
    // so that a click tells it once.
    unsigned long long storeFailureToldInClick_ = 0;
};

// window/layout.cpp: the logo picture from the resources folder, read once and kept;
// nullptr when missing.
std::shared_ptr<platform::Picture> pondwhirl_logo_transparent_logo();
