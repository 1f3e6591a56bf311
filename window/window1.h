#pragma once
// The main window: the one object that holds the program's state and behaviour. Its
// methods are defined by the subsystem that owns them: layout and opening in window/,
// the service client and the fetch in client/.
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

    virtual void Layout();
    virtual void CreateControls();
    virtual void CreateControls0();
    virtual void PushButton1_Action(platform::PushButton& sender);

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

    virtual void Event_Open();
    virtual QString platforms(int index);
    virtual QString urlify(const QString& text);
    virtual QString request_type(int index);
    virtual QString request_type_tag(int index);
    virtual void loadKey();
    virtual void writeKey();
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
    // The second half of a fetch-mode click, after the save dialog.
    void fetchMentions(const platform::FolderItem& file, const QString& profileId, int platformRow);
    platform::MenuItem* menuItem(const QString& name);
    // The text of apikeyfield now.
    QString apiKey() const;

    // A click that arrives while an earlier one is still being handled (its yields let
    // events through) is ignored.
    bool handlingClick_ = false;
    // A store failure already told during the current click: a click tells it once.
    bool storeFailureTold_ = false;
};

// The logo picture from the resources folder, read once and kept; nullptr when missing.
std::shared_ptr<platform::Picture> pondwhirl_logo_transparent_logo();
