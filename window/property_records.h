#pragma once
// The initial state of the window and of each control, as property records for the
// mass property setter. Each record is a constant byte string built at compile time from
// named, typed entries, so its bytes and its size are fixed in the binary.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace records {

template <std::size_t N>
using Bytes = std::array<std::uint8_t, N>;

template <std::size_t A, std::size_t B>
constexpr Bytes<A + B> operator+(const Bytes<A>& a, const Bytes<B>& b)
{
    Bytes<A + B> out{};
    for (std::size_t i = 0; i < A; ++i)
        out[i] = a[i];
    for (std::size_t i = 0; i < B; ++i)
        out[A + i] = b[i];
    return out;
}

// "Name " (the literal's terminating NUL dropped).
template <std::size_t L>
constexpr Bytes<L> key(const char (&name)[L])
{
    Bytes<L> out{};
    for (std::size_t i = 0; i + 1 < L; ++i)
        out[i] = static_cast<std::uint8_t>(name[i]);
    out[L - 1] = ' ';
    return out;
}

constexpr Bytes<4> be32(std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(u >> 24), static_cast<std::uint8_t>(u >> 16),
            static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u)};
}

template <std::size_t L>
constexpr auto Int(const char (&name)[L], std::int32_t value) { return key(name) + be32(value); }

template <std::size_t L>
constexpr auto Bool(const char (&name)[L], bool value)
{
    return key(name) + Bytes<1>{static_cast<std::uint8_t>(value ? 1 : 0)};
}

template <std::size_t L>
constexpr auto Color(const char (&name)[L], std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    return key(name) + Bytes<3>{r, g, b};
}

// Texts in the records are ASCII, so their bytes are their UTF-8.
template <std::size_t L, std::size_t V>
constexpr auto Str(const char (&name)[L], const char (&value)[V])
{
    Bytes<V - 1> text{};
    for (std::size_t i = 0; i + 1 < V; ++i)
        text[i] = static_cast<std::uint8_t>(value[i]);
    return key(name) + be32(static_cast<std::int32_t>(V - 1)) + text;
}

constexpr std::uint8_t kBlack = 0x00;
constexpr std::uint8_t kWhite = 0xFF;

} // namespace records

// The ten records, in the order they are applied.
namespace window_records {

std::span<const std::uint8_t> Window1();
std::span<const std::uint8_t> Canvas1();
std::span<const std::uint8_t> apikeyfield();
std::span<const std::uint8_t> profilemenu();
std::span<const std::uint8_t> StaticText1();
std::span<const std::uint8_t> StaticText2();
std::span<const std::uint8_t> platformmenu();
std::span<const std::uint8_t> StaticText3();
std::span<const std::uint8_t> PushButton1();
std::span<const std::uint8_t> ProgressBar1();

} // namespace window_records
