#include "window/property_records.h"

#include <limits>

namespace {

using namespace records;

constexpr std::int32_t kNotInControlArray = std::numeric_limits<std::int32_t>::min();

constexpr auto kWindow1 =
    Int("Placement", 0) + Int("Width", 332) + Int("Height", 225) + Int("MinWidth", 64) +
    Int("MinHeight", 64) + Int("MaxWidth", 32000) + Int("MaxHeight", 32000) + Int("Frame", 0) +
    Bool("Composite", false) + Bool("HasBackColor", true) + Color("BackColor", kWhite, kWhite, kWhite) +
    Str("Title", "PondWhirl Data Downloader") + Bool("Visible", true) + Bool("FullScreen", false) +
    Bool("MenuBarVisible", true) + Bool("CloseButton", true) + Bool("Resizeable", true) +
    Bool("LiveResize", true) + Bool("MaximizeButton", false) + Bool("MinimizeButton", true) +
    Int("MacProcID", 0);

// Entries 1 to 11, alike in every control's record.
template <std::size_t L>
constexpr auto head(const char (&name)[L], std::int32_t left, std::int32_t top, std::int32_t width,
                    std::int32_t height)
{
    return Str("Name", name) + Int("Index", kNotInControlArray) + Int("Left", left) + Int("Top", top) +
           Int("Width", width) + Int("Height", height) + Bool("LockLeft", true) + Bool("LockTop", true) +
           Bool("LockRight", false) + Bool("LockBottom", false) + Int("TabPanelIndex", 0);
}

constexpr auto kCanvas1 =
    head("Canvas1", 105, 0, 125, 174) + Int("TabIndex", 7) + Bool("TabStop", true) + Bool("Visible", true) +
    Str("HelpTag", "") + Bool("AutoDeactivate", true) + Bool("Enabled", true) + Bool("UseFocusRing", true) +
    Bool("AcceptFocus", false) + Bool("AcceptTabs", false) + Bool("DoubleBuffer", false) +
    Bool("EraseBackground", true) + Str("InitialParent", "");

constexpr auto kApikeyfield =
    head("apikeyfield", 135, 63, 177, 22) + Int("TabIndex", 0) + Bool("TabStop", true) + Bool("Border", true) +
    Bool("Password", false) + Bool("UseFocusRing", true) + Color("TextColor", kBlack, kBlack, kBlack) +
    Color("BackColor", kWhite, kWhite, kWhite) + Bool("Enabled", true) + Str("Format", "") +
    Bool("Visible", true) + Str("HelpTag", "") + Bool("AutoDeactivate", true) + Str("TextFont", "System") +
    Bool("Bold", false) + Bool("Italic", false) + Bool("Underline", false) + Str("CueText", "") +
    Str("Text", "") + Str("Mask", "") + Bool("ReadOnly", false) + Int("LimitText", 0) +
    Bool("AcceptTabs", false) + Int("Alignment", 0) + Str("DataSource", "") + Str("DataField", "");

template <std::size_t L, std::size_t V>
constexpr auto popup(const char (&name)[L], std::int32_t top, std::int32_t tabIndex, const char (&rows)[V])
{
    return head(name, 135, top, 177, 20) + Int("TabIndex", tabIndex) + Bool("TabStop", true) +
           Bool("Enabled", true) + Str("InitialValue", rows) + Int("ListIndex", 0) + Bool("Visible", true) +
           Str("HelpTag", "") + Bool("AutoDeactivate", true) + Str("TextFont", "System") + Bool("Bold", false) +
           Bool("Italic", false) + Bool("Underline", false) + Str("DataSource", "") + Str("DataField", "") +
           Str("InitialParent", "");
}

constexpr auto kProfilemenu = popup("profilemenu", 97, 1, "Select One");
// Rows are separated by carriage returns.
constexpr auto kPlatformmenu = popup("platformmenu", 129, 4, "Microblogging\rWebsite\rVideo\rFacebook");

template <std::size_t L, std::size_t V>
constexpr auto label(const char (&name)[L], std::int32_t top, std::int32_t tabIndex, const char (&text)[V])
{
    return head(name, 23, top, 100, 20) + Int("TabIndex", tabIndex) + Str("Text", text) + Int("TextAlign", 0) +
           Color("TextColor", kBlack, kBlack, kBlack) + Bool("Multiline", false) + Bool("Enabled", true) +
           Bool("Visible", true) + Str("HelpTag", "") + Bool("AutoDeactivate", true) +
           Str("TextFont", "System") + Bool("Bold", false) + Bool("Italic", false) + Bool("Underline", false) +
           Str("DataSource", "") + Str("DataField", "") + Str("InitialParent", "");
}

constexpr auto kStaticText1 = label("StaticText1", 65, 2, "Your API Key");
constexpr auto kStaticText2 = label("StaticText2", 97, 3, "Profile:");
constexpr auto kStaticText3 = label("StaticText3", 129, 5, "Platform:");

constexpr auto kPushButton1 =
    head("PushButton1", 23, 161, 289, 20) + Int("TabIndex", 6) + Bool("TabStop", true) +
    Str("Caption", "Fetch Via API") + Bool("Default", false) + Bool("Cancel", false) + Bool("Enabled", true) +
    Bool("Visible", true) + Str("HelpTag", "") + Bool("AutoDeactivate", true) + Str("TextFont", "System") +
    Bool("Bold", false) + Bool("Italic", false) + Bool("Underline", false) + Str("InitialParent", "");

constexpr auto kProgressBar1 =
    head("ProgressBar1", 23, 193, 289, 20) + Bool("Visible", true) + Str("HelpTag", "") +
    Bool("AutoDeactivate", true) + Bool("Enabled", true) + Int("Value", 0) + Int("Maximum", 100) +
    Str("InitialParent", "");

// The records' sizes are part of their format: a changed entry shows here first.
static_assert(kWindow1.size() == 292);
static_assert(kCanvas1.size() == 280);
static_assert(kApikeyfield.size() == 418);
static_assert(kProfilemenu.size() == 328);
static_assert(kStaticText1.size() == 337);
static_assert(kStaticText2.size() == 333);
static_assert(kPlatformmenu.size() == 355);
static_assert(kStaticText3.size() == 334);
static_assert(kPushButton1.size() == 300);
static_assert(kProgressBar1.size() == 215);

} // namespace

namespace window_records {

std::span<const std::uint8_t> Window1() { return kWindow1; }
std::span<const std::uint8_t> Canvas1() { return kCanvas1; }
std::span<const std::uint8_t> apikeyfield() { return kApikeyfield; }
std::span<const std::uint8_t> profilemenu() { return kProfilemenu; }
std::span<const std::uint8_t> StaticText1() { return kStaticText1; }
std::span<const std::uint8_t> StaticText2() { return kStaticText2; }
std::span<const std::uint8_t> platformmenu() { return kPlatformmenu; }
std::span<const std::uint8_t> StaticText3() { return kStaticText3; }
std::span<const std::uint8_t> PushButton1() { return kPushButton1; }
std::span<const std::uint8_t> ProgressBar1() { return kProgressBar1; }

} // namespace window_records
