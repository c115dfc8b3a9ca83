#pragma once

#include <QString>

#include <array>
#include <optional>
#include <span>
#include <utility>

// Enumerations with string raw values. Each enumeration specialises
// `rawEnumCases<E>` with its cases in declaration order.
template <typename E>
inline constexpr std::array<std::pair<E, const char *>, 0> rawEnumCases{};

template <typename E>
constexpr auto allCases()
{
    std::array<E, rawEnumCases<E>.size()> cases{};
    for (std::size_t i = 0; i < cases.size(); ++i)
        cases[i] = rawEnumCases<E>[i].first;
    return cases;
}

template <typename E>
QString rawValue(E value)
{
    for (const auto &[member, raw] : rawEnumCases<E>) {
        if (member == value)
            return QString::fromLatin1(raw);
    }
    return {};
}

// The case whose raw value equals `raw` exactly (case-sensitive), or none.
template <typename E>
std::optional<E> fromRawValue(const QString &raw)
{
    for (const auto &[member, value] : rawEnumCases<E>) {
        if (raw == QLatin1String(value))
            return member;
    }
    return std::nullopt;
}
