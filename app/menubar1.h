#pragma once
// The one menu bar, shared by the application object and the main window.
#include "platform/menus.h"
#include "platform/runtime.h"

class MenuBar1 : public platform::MenuBar {
public:
    static const platform::ClassRecord* Lookup();
    static void ctblinit();

    // The shared instance, built with its menus on the first call.
    static MenuBar1* implicitInstance();
    // Releases the shared instance (at shut-down).
    static void implicitInstanceExit();
    // The shared instance if it has been built, without building it.
    static MenuBar1* existingInstance();

    // Builds the File menu, then the Edit menu.
    virtual void Constructor();
    virtual void Untitled0();
    virtual void Untitled1();
};
