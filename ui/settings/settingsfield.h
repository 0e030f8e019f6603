#pragma once

#include <model/systemsettings.h>

#include <functional>
#include <type_traits>

// One field of the settings: a member, or an element of an array member. The control
// reads it from the configuration's settings and writes it inside a change, so one
// accessor serves both: a generic lambda, `[](auto &s) -> auto & { return s.ckbFire; }`.
template <typename T>
class SettingsField
{
public:
    template <typename Access, typename = std::enable_if_t<std::is_invocable_v<Access, SystemSettings &>>>
    SettingsField(Access access) : m_read(access), m_write(access)
    {
    }

    const T &of(const SystemSettings &settings) const { return m_read(settings); }
    T &of(SystemSettings &settings) const { return m_write(settings); }

private:
    std::function<const T &(const SystemSettings &)> m_read;
    std::function<T &(SystemSettings &)> m_write;
};
