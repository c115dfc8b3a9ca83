#include "App/Preferences.h"

namespace {

// The legacy switch that `sideColumn` replaced; read once, never written.
const QString legacySideColumnKey = QStringLiteral("claudeUsageInNotch");

template <typename T>
T load(UserDefaults &defaults, const QString &key, const T &fallback)
{
    if constexpr (std::is_same_v<T, bool>) {
        return defaults.boolForKey(key);
    } else if constexpr (std::is_same_v<T, double>) {
        return defaults.doubleForKey(key);
    } else if constexpr (std::is_same_v<T, StringSet>) {
        const QStringList members = defaults.stringArrayForKey(key).value_or(QStringList());
        return StringSet(members.begin(), members.end());
    } else {
        return fromRawValue<T>(defaults.stringForKey(key).value_or(QString())).value_or(fallback);
    }
}

// Registers the defaults first, so that the member initialisers read them.
UserDefaults &registered(UserDefaults &defaults)
{
    defaults.registerDefaults(Preferences::registeredDefaults());
    return defaults;
}

double boundedOpenWidth(double width)
{
    if (!(width > 100))
        width = 100;
    if (width > 170)
        width = 170;
    return width;
}

SideColumn loadSideColumn(UserDefaults &defaults)
{
    const QVariant legacy = defaults.object(legacySideColumnKey);
    const SideColumn fallback = legacy.typeId() == QMetaType::Bool && !legacy.toBool() ? SideColumn::calendar : SideColumn::both;
    return load(defaults, QStringLiteral("sideColumn"), fallback);
}

} // namespace

QVariantMap Preferences::registeredDefaults()
{
    QVariantMap values;
#define QUIB_REGISTER_SETTING(Type, name, fallback) values.insert(QStringLiteral(#name), Setting<Type>::persisted(fallback));
    QUIB_SETTINGS(QUIB_REGISTER_SETTING)
#undef QUIB_REGISTER_SETTING
    return values;
}

#define QUIB_LOAD_SETTING(Type, name, fallback) , name(m_defaults, QStringLiteral(#name), load<Type>(m_defaults, QStringLiteral(#name), fallback))

// Registers the defaults, then loads every setting in declaration order.
// Nothing is written back: a bounded width or an unknown raw value stays in
// the user defaults until the setting is next assigned.
Preferences::Preferences(UserDefaults &defaults)
    : m_defaults(registered(defaults)) QUIB_SETTINGS(QUIB_LOAD_SETTING)
{
    openWidth.restore(boundedOpenWidth(openWidth.value()));
    sideColumn.restore(loadSideColumn(m_defaults));
}

#undef QUIB_LOAD_SETTING

bool Preferences::opensPlayer() const
{
    if (!nowPlayingEnabled.value())
        return false;
    const IdleActivity activity = idleActivity.value();
    return activity == IdleActivity::playing || activity == IdleActivity::duo;
}

bool Preferences::opensCalendar() const
{
    if (!calendarEnabled.value())
        return false;
    const IdleActivity activity = idleActivity.value();
    return activity == IdleActivity::calendar || activity == IdleActivity::duo;
}
