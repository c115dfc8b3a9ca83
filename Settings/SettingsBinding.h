#pragma once

#include "App/Preferences.h"

#include <QProperty>

#include <functional>
#include <vector>

// How a settings control reaches its value: `read` gives the current value
// and `write` stores a new one. A control follows changes made elsewhere by
// binding a property to `read`, so every property `read` touches (a
// setting, a page's own state) is observed.
template <typename T>
struct SettingsBinding {
    std::function<T()> read;
    std::function<void(const T &)> write;
};

template <typename T>
SettingsBinding<T> bindingOf(Setting<T> &setting)
{
    return {[&setting] { return setting.value(); }, [&setting](const T &value) { setting.setValue(value); }};
}

template <typename T>
SettingsBinding<T> bindingOf(QProperty<T> &property)
{
    return {[&property] { return property.value(); }, [&property](const T &value) { property.setValue(value); }};
}

// A choice among `values` as the index of the chosen one (-1 when the stored
// value is none of them).
template <typename E>
SettingsBinding<int> indexBindingOf(Setting<E> &setting, std::vector<E> values)
{
    return {[&setting, values] {
                const E current = setting.value();
                for (std::size_t i = 0; i < values.size(); ++i) {
                    if (values[i] == current)
                        return int(i);
                }
                return -1;
            },
            [&setting, values](const int &index) {
                if (index >= 0 && std::size_t(index) < values.size())
                    setting.setValue(values[std::size_t(index)]);
            }};
}
