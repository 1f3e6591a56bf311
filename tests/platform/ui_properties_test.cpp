#include "ui_test_window.h"

#include "platform/properties.h"
#include "platform/window.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <map>
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

// Every name and declared type each class accepts: the program's records hold exactly
// these, and a wrong type would make the setter misread every entry after it.
TEST(PropertyTables, EachClassDeclaresItsEntriesWithTheirTypes)
{
    using T = PropertyType;
    const std::map<std::string, T> head{
        {"Name", T::String},         {"Index", T::Integer},    {"Left", T::Integer},     {"Top", T::Integer},
        {"Width", T::Integer},       {"Height", T::Integer},   {"LockLeft", T::Boolean}, {"LockTop", T::Boolean},
        {"LockRight", T::Boolean},   {"LockBottom", T::Boolean}, {"TabPanelIndex", T::Integer},
    };
    auto with = [&](std::map<std::string, T> own) {
        own.insert(head.begin(), head.end());
        return own;
    };
    const std::map<std::string, T> font{
        {"TextFont", T::String}, {"Bold", T::Boolean}, {"Italic", T::Boolean}, {"Underline", T::Boolean}};
    auto plus = [](std::map<std::string, T> a, const std::map<std::string, T>& b) {
        a.insert(b.begin(), b.end());
        return a;
    };

    pwtest::TestWindow window;
    std::map<std::string, std::pair<const platform::PropertyTarget*, std::map<std::string, T>>> classes;
    window.onCreateControls = [&](pwtest::TestWindow& w) {
        classes["Canvas"] = {&w.make<platform::Canvas>("c"),
                             with({{"TabIndex", T::Integer}, {"TabStop", T::Boolean}, {"Visible", T::Boolean},
                                   {"HelpTag", T::String}, {"AutoDeactivate", T::Boolean}, {"Enabled", T::Boolean},
                                   {"UseFocusRing", T::Boolean}, {"AcceptFocus", T::Boolean},
                                   {"AcceptTabs", T::Boolean}, {"DoubleBuffer", T::Boolean},
                                   {"EraseBackground", T::Boolean}, {"InitialParent", T::String}})};
        classes["TextField"] = {
            &w.make<platform::TextField>("t"),
            with(plus(font, {{"TabIndex", T::Integer},  {"TabStop", T::Boolean},      {"Border", T::Boolean},
                             {"Password", T::Boolean},  {"UseFocusRing", T::Boolean}, {"TextColor", T::Color},
                             {"BackColor", T::Color},   {"Enabled", T::Boolean},      {"Format", T::String},
                             {"Visible", T::Boolean},   {"HelpTag", T::String},       {"AutoDeactivate", T::Boolean},
                             {"CueText", T::String},    {"Text", T::String},          {"Mask", T::String},
                             {"ReadOnly", T::Boolean},  {"LimitText", T::Integer},    {"AcceptTabs", T::Boolean},
                             {"Alignment", T::Integer}, {"DataSource", T::String},    {"DataField", T::String}}))};
        classes["PopupMenu"] = {
            &w.make<platform::PopupMenu>("p"),
            with(plus(font, {{"TabIndex", T::Integer}, {"TabStop", T::Boolean}, {"Enabled", T::Boolean},
                             {"InitialValue", T::String}, {"ListIndex", T::Integer}, {"Visible", T::Boolean},
                             {"HelpTag", T::String}, {"AutoDeactivate", T::Boolean}, {"DataSource", T::String},
                             {"DataField", T::String}, {"InitialParent", T::String}}))};
        classes["StaticText"] = {
            &w.make<platform::StaticText>("s"),
            with(plus(font, {{"TabIndex", T::Integer}, {"Text", T::String}, {"TextAlign", T::Integer},
                             {"TextColor", T::Color}, {"Multiline", T::Boolean}, {"Enabled", T::Boolean},
                             {"Visible", T::Boolean}, {"HelpTag", T::String}, {"AutoDeactivate", T::Boolean},
                             {"DataSource", T::String}, {"DataField", T::String}, {"InitialParent", T::String}}))};
        classes["PushButton"] = {
            &w.make<platform::PushButton>("b"),
            with(plus(font, {{"TabIndex", T::Integer}, {"TabStop", T::Boolean}, {"Caption", T::String},
                             {"Default", T::Boolean}, {"Cancel", T::Boolean}, {"Enabled", T::Boolean},
                             {"Visible", T::Boolean}, {"HelpTag", T::String}, {"AutoDeactivate", T::Boolean},
                             {"InitialParent", T::String}}))};
        classes["ProgressBar"] = {&w.make<platform::ProgressBar>("g"),
                                  with({{"Visible", T::Boolean}, {"HelpTag", T::String},
                                        {"AutoDeactivate", T::Boolean}, {"Enabled", T::Boolean},
                                        {"Value", T::Integer}, {"Maximum", T::Integer},
                                        {"InitialParent", T::String}})};
    };
    window.Constructor();
    classes["Window"] = {&window,
                         {{"Placement", T::Integer},     {"Width", T::Integer},        {"Height", T::Integer},
                          {"MinWidth", T::Integer},      {"MinHeight", T::Integer},    {"MaxWidth", T::Integer},
                          {"MaxHeight", T::Integer},     {"Frame", T::Integer},        {"Composite", T::Boolean},
                          {"HasBackColor", T::Boolean},  {"BackColor", T::Color},      {"Title", T::String},
                          {"Visible", T::Boolean},       {"FullScreen", T::Boolean},   {"MenuBarVisible", T::Boolean},
                          {"CloseButton", T::Boolean},   {"Resizeable", T::Boolean},   {"LiveResize", T::Boolean},
                          {"MaximizeButton", T::Boolean}, {"MinimizeButton", T::Boolean}, {"MacProcID", T::Integer}}};

    for (const auto& [className, entry] : classes) {
        std::map<std::string, T> declared;
        for (const auto& d : entry.first->propertyTable()) {
            EXPECT_TRUE(declared.emplace(d.name, d.type).second) << className << " declares " << d.name << " twice";
            EXPECT_TRUE(d.set) << className << "." << d.name << " has no setter";
        }
        EXPECT_EQ(declared, entry.second) << className;
    }
}

// Every entry of a class applied to a real control, with ordinary values: none is refused
// and the visible ones take effect.
TEST(PropertyTables, RecordAppliesToARealControl)
{
    pwtest::TestWindow window;
    window.onCreateControls = [](pwtest::TestWindow& w) {
        auto& field = w.make<platform::TextField>("apikeyfield");
        field.SetTextUnit(0);
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
