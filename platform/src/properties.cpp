#include "platform/properties.h"

#include <QByteArray>

namespace platform {

namespace {

bool isAsciiLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

[[noreturn]] void fail(std::size_t offset, const std::string& what)
{
    throw PropertyRecordError("property record, byte " + std::to_string(offset) + ": " + what);
}

class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool atEnd() const { return pos_ == bytes_.size(); }
    std::size_t pos() const { return pos_; }

    std::span<const std::uint8_t> take(std::size_t n, const std::string& name)
    {
        if (bytes_.size() - pos_ < n)
            fail(pos_, "the value of " + name + " is cut short");
        auto part = bytes_.subspan(pos_, n);
        pos_ += n;
        return part;
    }

    std::uint32_t takeUint32(const std::string& name)
    {
        auto b = take(4, name);
        return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) |
               std::uint32_t(b[3]);
    }

    std::string takeName()
    {
        const std::size_t start = pos_;
        while (pos_ < bytes_.size() && isAsciiLetter(bytes_[pos_]))
            ++pos_;
        if (pos_ == start)
            fail(start, "expected a property name");
        return std::string(reinterpret_cast<const char*>(bytes_.data() + start), pos_ - start);
    }

    void takeBlank(const std::string& name)
    {
        if (pos_ == bytes_.size() || bytes_[pos_] != 0x20)
            fail(pos_, "expected one blank after the name " + name);
        ++pos_;
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

PropertyValue readValue(Reader& in, PropertyType type, const std::string& name)
{
    switch (type) {
    case PropertyType::Integer:
        return static_cast<std::int32_t>(in.takeUint32(name));
    case PropertyType::Boolean: {
        const std::size_t at = in.pos();
        const std::uint8_t b = in.take(1, name)[0];
        if (b > 1)
            fail(at, "the Boolean " + name + " is neither 0 nor 1");
        return b == 1;
    }
    case PropertyType::Color: {
        auto b = in.take(3, name);
        return Color{b[0], b[1], b[2]};
    }
    case PropertyType::String: {
        const std::uint32_t n = in.takeUint32(name);
        auto b = in.take(n, name);
        return QString::fromUtf8(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
    }
    }
    fail(in.pos(), "the property " + name + " has no known type");
}

} // namespace

void SetProperties(PropertyTarget& target, std::span<const std::uint8_t> record)
{
    const auto& table = target.propertyTable();
    Reader in(record);
    while (!in.atEnd()) {
        const std::size_t at = in.pos();
        const std::string name = in.takeName();
        const PropertyDescriptor* property = nullptr;
        for (const auto& d : table) {
            if (d.name == name) {
                property = &d;
                break;
            }
        }
        if (!property)
            fail(at, "the target declares no property " + name);
        in.takeBlank(name);
        const PropertyValue value = readValue(in, property->type, name);
        if (property->set)
            property->set(target, value);
    }
}

} // namespace platform
