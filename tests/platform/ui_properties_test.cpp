#include "ui_test_window.h"

#include "platform/properties.h"
#include "platform/testing.h"
#include "platform/window.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <utility>

using platform::Color;
using platform::PropertyRecordError;
using platform::PropertyType;
using platform::PropertyValue;
using pwtest::Record;

namespace {

// A target with one property of each type that records what was set, in order.
class Target : public platform::PropertyTarget {
public:
    std::vector<std::pair<std::string, PropertyValue>> applied;

    const std::vector<platform::PropertyDescriptor>& propertyTable() const override
    {
        auto note = [](const char* name) {
            return [name](platform::PropertyTarget& t, const PropertyValue& v) {
                static_cast<Target&>(t).applied.emplace_back(name, v);
            };
        };
        static const std::vector<platform::PropertyDescriptor> table{
            {"Count", PropertyType::Integer, note("Count")},
            {"Flag", PropertyType::Boolean, note("Flag")},
            {"Tint", PropertyType::Color, note("Tint")},
            {"Label", PropertyType::String, note("Label")},
        };
        return table;
    }
};

TEST(PropertySetter, DecodesEachValueByItsDeclaredTypeInRecordOrder)
{
    Record record;
    record.integer("Count", std::int32_t(0x80000000))
        .boolean("Flag", true)
        .color("Tint", 0x00, 0x7F, 0xFF)
        .string("Label", QByteArray("a\0b\xC3\xA9", 5))   // a zero byte and a two-byte character
        .integer("Count", 256)
        .boolean("Flag", false)
        .string("Label", QByteArray());

    Target target;
    platform::SetProperties(target, record.bytes());

    const std::vector<std::pair<std::string, PropertyValue>> expected{
        {"Count", std::int32_t(-2147483647 - 1)},
        {"Flag", true},
        {"Tint", Color{0x00, 0x7F, 0xFF}},
        {"Label", QString(QStringLiteral("a") + QChar(0) + QStringLiteral("b") + QChar(0xE9))},
        {"Count", std::int32_t(256)},
        {"Flag", false},
        {"Label", QString()},
    };
    EXPECT_EQ(target.applied, expected);
}

TEST(PropertySetter, EmptyRecordSetsNothing)
{
    Target target;
    platform::SetProperties(target, {});
    EXPECT_TRUE(target.applied.empty());
}

TEST(PropertySetter, MalformedRecordsFailLoudly)
{
    const Record good = Record().integer("Count", 7);
    const struct {
        const char* what;
        Record record;
    } cases[] = {
        {"unknown name", Record(good).integer("Colour", 1)},
        {"name in another case", Record().integer("count", 1)},
        {"missing blank", Record(good).raw(QByteArray("Flag\x01", 5))},
        {"name at the end", Record(good).raw("Flag")},
        {"no name before the blank", Record(good).raw(QByteArray(" \x01", 2))},
        {"integer cut short", Record(good).integer("Count", 1).cut(1)},
        {"boolean missing", Record(good).boolean("Flag", true).cut(1)},
        {"colour cut short", Record(good).color("Tint", 1, 2, 3).cut(1)},
        {"string count cut short", Record(good).string("Label", "abc").cut(5)},
        {"string shorter than its count", Record(good).string("Label", "abc").cut(1)},
        {"boolean neither 0 nor 1", Record(good).raw(QByteArray("Flag \x02", 6))},
    };
    for (const auto& c : cases) {
        Target target;
        EXPECT_THROW(platform::SetProperties(target, c.record.bytes()), PropertyRecordError) << c.what;
    }
}

// The head every control's record starts with, then one entry of the class's own: the
// control takes its name and place, shows the entry's effect, and an entry of another
// class is refused.
TEST(PropertyTables, EachControlTakesTheHeadAndItsOwnEntries)
{
    auto head = [](const char* name) {
        Record r;
        r.string("Name", name).integer("Index", std::int32_t(0x80000000)).integer("Left", 23).integer("Top", 161)
            .integer("Width", 289).integer("Height", 20).boolean("LockLeft", true).boolean("LockTop", true)
            .boolean("LockRight", true).boolean("LockBottom", true).integer("TabPanelIndex", 0);
        return r;
    };
    pwtest::TestWindow window;
    window.onCreateControls = [&](pwtest::TestWindow& w) {
        platform::SetProperties(w.make<platform::Canvas>("c"), head("canvas").boolean("EraseBackground", true).bytes());
        platform::SetProperties(w.make<platform::TextField>("t"), head("field").string("Text", "typed").bytes());
        platform::SetProperties(w.make<platform::PopupMenu>("p"),
                                head("popup").string("InitialValue", "a\rb").integer("ListIndex", 1).bytes());
        platform::SetProperties(w.make<platform::StaticText>("s"), head("label").string("Text", "Profile:").bytes());
        platform::SetProperties(w.make<platform::PushButton>("b"),
                                head("button").string("Caption", "Fetch Via API").bytes());
        platform::SetProperties(w.make<platform::ProgressBar>("g"), head("bar").integer("Value", 40).bytes());
    };
    window.Constructor();

    const char* names[] = {"canvas", "field", "popup", "label", "button", "bar"};
    for (const char* name : names) {
        platform::RectControl* control = window.ControlByName(name);
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->widget()->geometry(), QRect(23, 161, 289, 20)) << name;
        EXPECT_EQ(control->widget()->objectName(), name);
    }
    EXPECT_EQ(static_cast<platform::TextField&>(*window.ControlByName("field")).Text(), "typed");
    EXPECT_EQ(static_cast<platform::PopupMenu&>(*window.ControlByName("popup")).Text(), "b");
    EXPECT_EQ(static_cast<platform::StaticText&>(*window.ControlByName("label")).Text(), "Profile:");
    EXPECT_EQ(static_cast<platform::PushButton&>(*window.ControlByName("button")).Caption(), "Fetch Via API");
    EXPECT_EQ(platform::test::ShownValue(static_cast<platform::ProgressBar&>(*window.ControlByName("bar"))), 40);

    // Each class declares its own entries only.
    EXPECT_THROW(platform::SetProperties(*window.ControlByName("field"), Record().string("Caption", "x").bytes()),
                 PropertyRecordError);
    EXPECT_THROW(platform::SetProperties(*window.ControlByName("bar"), Record().string("Text", "x").bytes()),
                 PropertyRecordError);
    EXPECT_THROW(platform::SetProperties(window, Record().integer("Left", 0).bytes()), PropertyRecordError);
}

// Every entry of a class applied to a real control, with ordinary values: none is refused
// and the visible ones take effect.
TEST(PropertyTables, RecordAppliesToARealControl)
{
    pwtest::TestWindow window;
    window.onCreateControls = [](pwtest::TestWindow& w) {
        auto& field = w.make<platform::TextField>("apikeyfield");
        Record r;
        r.string("Name", "apikeyfield").integer("Index", std::int32_t(0x80000000)).integer("Left", 135)
            .integer("Top", 63).integer("Width", 177).integer("Height", 22).boolean("LockLeft", true)
            .boolean("LockTop", true).boolean("LockRight", false).boolean("LockBottom", false)
            .integer("TabPanelIndex", 0).integer("TabIndex", 0).boolean("TabStop", true).boolean("Border", true)
            .boolean("Password", false).boolean("UseFocusRing", true).color("TextColor", 0, 0, 0)
            .color("BackColor", 0xFF, 0xFF, 0xFF).boolean("Enabled", true).string("Format", "")
            .boolean("Visible", true).string("HelpTag", "the key").boolean("AutoDeactivate", true)
            .string("TextFont", "System").boolean("Bold", false).boolean("Italic", false)
            .boolean("Underline", false).string("CueText", "").string("Text", "abc").string("Mask", "")
            .boolean("ReadOnly", false).integer("LimitText", 0).boolean("AcceptTabs", false)
            .integer("Alignment", 0).string("DataSource", "").string("DataField", "");
        platform::SetProperties(field, r.bytes());
    };
    window.Constructor();
    auto* field = dynamic_cast<platform::TextField*>(window.ControlByName("apikeyfield"));
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->Text(), "abc");
    EXPECT_EQ(field->widget()->geometry(), QRect(135, 63, 177, 22));
    EXPECT_EQ(field->widget()->toolTip(), "the key");
    EXPECT_TRUE(field->Enabled());
}

} // namespace
