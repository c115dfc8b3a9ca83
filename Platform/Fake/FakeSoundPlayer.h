#pragma once

#include "Platform/SoundPlayer.h"

#include <QSet>
#include <QStringList>

// Records what was loaded, stopped and played ("load Glass", "stop Glass",
// "play Glass"). Names in `missing` are not found.
class FakeSoundPlayer final : public SoundPlayer {
public:
    std::shared_ptr<Sound> load(const QString &name) override
    {
        events.append(QStringLiteral("load ") + name);
        if (missing.contains(name))
            return nullptr;
        return std::make_shared<Recorded>(*this, name);
    }

    QStringList played() const
    {
        QStringList names;
        for (const QString &event : events) {
            if (event.startsWith(QStringLiteral("play ")))
                names.append(event.mid(5));
        }
        return names;
    }

    QStringList events;
    QSet<QString> missing;

private:
    class Recorded final : public Sound {
    public:
        Recorded(FakeSoundPlayer &player, QString name)
            : m_player(player)
            , m_name(std::move(name))
        {
        }
        void stop() override { m_player.events.append(QStringLiteral("stop ") + m_name); }
        void play() override { m_player.events.append(QStringLiteral("play ") + m_name); }

    private:
        FakeSoundPlayer &m_player;
        QString m_name;
    };
};
