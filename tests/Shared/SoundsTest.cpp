#include "Platform/Fake/FakeSoundPlayer.h"
#include "QtPrinters.h"
#include "Shared/Sounds.h"

#include <gtest/gtest.h>

TEST(Sounds, EachKindPlaysItsNamedSound)
{
    const QList<std::pair<Sounds::Kind, QString>> rows{
        {Sounds::Kind::glass, QStringLiteral("Glass")},          {Sounds::Kind::hero, QStringLiteral("Hero")},
        {Sounds::Kind::lockChime, QStringLiteral("QuibLockChime")}, {Sounds::Kind::unlock, QStringLiteral("QuibUnlock")},
        {Sounds::Kind::funk, QStringLiteral("Funk")},            {Sounds::Kind::submarine, QStringLiteral("Submarine")},
        {Sounds::Kind::bottle, QStringLiteral("Bottle")},
    };
    FakeSoundPlayer player;
    Sounds sounds(player);
    for (const auto &[kind, name] : rows) {
        sounds.play(kind);
        EXPECT_EQ(player.played().last(), name);
    }
}

TEST(Sounds, PlayingAgainRestartsTheOneLoadedSound)
{
    FakeSoundPlayer player;
    Sounds sounds(player);
    sounds.play(Sounds::Kind::submarine);
    sounds.play(Sounds::Kind::submarine);
    EXPECT_EQ(player.events, QStringList({QStringLiteral("load Submarine"), QStringLiteral("stop Submarine"), QStringLiteral("play Submarine"),
                                          QStringLiteral("stop Submarine"), QStringLiteral("play Submarine")}));
}

TEST(Sounds, DifferentKindsOverlap)
{
    FakeSoundPlayer player;
    Sounds sounds(player);
    sounds.play(Sounds::Kind::glass);
    sounds.play(Sounds::Kind::hero);
    EXPECT_FALSE(player.events.mid(2).contains(QStringLiteral("stop Glass"))) << player.events.join(u',').toStdString();
    EXPECT_EQ(player.played(), QStringList({QStringLiteral("Glass"), QStringLiteral("Hero")}));
}

TEST(Sounds, AMissingSoundIsLookedUpAgainAndNeverCached)
{
    FakeSoundPlayer player;
    player.missing.insert(QStringLiteral("QuibLockChime"));
    Sounds sounds(player);
    sounds.play(Sounds::Kind::lockChime);
    sounds.play(Sounds::Kind::lockChime);
    EXPECT_EQ(player.events, QStringList({QStringLiteral("load QuibLockChime"), QStringLiteral("load QuibLockChime")}));
    EXPECT_FALSE(sounds.cachedNames().contains(QStringLiteral("QuibLockChime")));

    player.missing.clear();
    sounds.play(Sounds::Kind::lockChime);
    EXPECT_EQ(player.played(), QStringList{QStringLiteral("QuibLockChime")});
    EXPECT_EQ(sounds.cachedNames(), QList<QString>{QStringLiteral("QuibLockChime")});
}
