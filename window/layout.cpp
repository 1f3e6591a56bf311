// The window's menu bar, properties and nine controls, and the logo.
#include "app/menubar1.h"
#include "window/property_records.h"
#include "window/window1.h"

#include "platform/properties.h"

#include <functional>

namespace {

std::shared_ptr<platform::Picture> pic;

// Makes, constructs and adds one control, then finds it again by name for its set-up
// and its record: each control is complete before the next one is made.
template <class T>
T& addControl(Window1& window, const QString& name, std::span<const std::uint8_t> record,
              const std::function<void(T&)>& setUp)
{
    std::unique_ptr<T> made = window.New<T>();
    made->Constructor();
    window.AddControl(name, std::move(made));
    T& control = window.control<T>(name);
    if (setUp)
        setUp(control);
    platform::SetProperties(control, record);
    return control;
}

} // namespace

std::shared_ptr<platform::Picture> pondwhirl_logo_transparent_logo()
{
    if (pic)
        return pic;
    std::unique_ptr<platform::FolderItem> resources = platform::GetApplicationBundleResources();
    if (!resources)
        return nullptr;
    std::unique_ptr<platform::FolderItem> file = resources->Child(QStringLiteral("pondwhirl_logo_transparent_logo.png"));
    if (!file)
        throw platform::NilObjectException(QStringLiteral("logo file item"));
    pic = file->OpenAsPicture();
    return pic;
}

void Window1::Layout()
{
    SetMenuBar(MenuBar1::implicitInstance());
    platform::SetProperties(*this, window_records::Window1());
}

void Window1::CreateControls() { CreateControls0(); }

void Window1::CreateControls0()
{
    using namespace platform;
    addControl<Canvas>(*this, QStringLiteral("Canvas1"), window_records::Canvas1(),
                       [](Canvas& canvas) { canvas.SetBackdrop(pondwhirl_logo_transparent_logo()); });
    auto& key = addControl<TextField>(*this, QStringLiteral("apikeyfield"), window_records::apikeyfield(), {});
    auto& profile = addControl<PopupMenu>(*this, QStringLiteral("profilemenu"), window_records::profilemenu(), {});
    // Each label is tied to the control on its row, so a screen reader names the control.
    addControl<StaticText>(*this, QStringLiteral("StaticText1"), window_records::StaticText1(), {}).SetBuddy(key);
    addControl<StaticText>(*this, QStringLiteral("StaticText2"), window_records::StaticText2(), {}).SetBuddy(profile);
    auto& platformPopup =
        addControl<PopupMenu>(*this, QStringLiteral("platformmenu"), window_records::platformmenu(), {});
    addControl<StaticText>(*this, QStringLiteral("StaticText3"), window_records::StaticText3(), {})
        .SetBuddy(platformPopup);
    PushButton& button = addControl<PushButton>(*this, QStringLiteral("PushButton1"), window_records::PushButton1(), {});
    button.InstallEventHandler(QStringLiteral("Action"), [this](PushButton& sender) { PushButton1_Action(sender); });
    addControl<ProgressBar>(*this, QStringLiteral("ProgressBar1"), window_records::ProgressBar1(), {});
}
