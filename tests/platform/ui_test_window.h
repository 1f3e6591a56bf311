#pragma once
// A window class whose events tests script, and a builder for property records.
#include "platform/runtime.h"
#include "platform/window.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace pwtest {

class TestWindow : public platform::Window {
public:
    TestWindow() : Window(platform::RegisterClass(QStringLiteral("TestWindow.TestWindow"), platform::WindowClass())) {}

    std::function<void(TestWindow&)> onLayout, onCreateControls, onOpen;
    QStringList events;

    // Makes, constructs and adds a control, as a window's CreateControls does.
    template <class T>
    T& make(const QString& name)
    {
        std::unique_ptr<T> control = New<T>();
        control->Constructor();
        return static_cast<T&>(*AddControl(name, std::move(control)));
    }

protected:
    void EventLayout() override { raise("Layout", onLayout); }
    void EventCreateControls() override { raise("CreateControls", onCreateControls); }
    void EventOpen() override { raise("Open", onOpen); }

private:
    void raise(const char* event, const std::function<void(TestWindow&)>& handler)
    {
        events << QString::fromLatin1(event);
        if (handler)
            handler(*this);
    }
};

// A property record, entry by entry, encoded as the setter reads it.
class Record {
public:
    Record& integer(const char* name, std::int32_t value)
    {
        head(name);
        put32(static_cast<std::uint32_t>(value));
        return *this;
    }
    Record& boolean(const char* name, bool value)
    {
        head(name);
        bytes_.push_back(value ? 1 : 0);
        return *this;
    }
    Record& color(const char* name, std::uint8_t r, std::uint8_t g, std::uint8_t b)
    {
        head(name);
        bytes_.insert(bytes_.end(), {r, g, b});
        return *this;
    }
    Record& string(const char* name, const QByteArray& utf8)
    {
        head(name);
        put32(static_cast<std::uint32_t>(utf8.size()));
        bytes_.insert(bytes_.end(), utf8.begin(), utf8.end());
        return *this;
    }
    Record& raw(const QByteArray& bytes)
    {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    // The record without its last n bytes.
    Record cut(std::size_t n) const
    {
        Record r = *this;
        r.bytes_.resize(bytes_.size() - n);
        return r;
    }
    std::span<const std::uint8_t> bytes() const { return bytes_; }

private:
    void head(const char* name)
    {
        for (const char* p = name; *p; ++p)
            bytes_.push_back(static_cast<std::uint8_t>(*p));
        bytes_.push_back(' ');
    }
    void put32(std::uint32_t v)
    {
        bytes_.insert(bytes_.end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
    }
    std::vector<std::uint8_t> bytes_;
};

} // namespace pwtest
