#include "Settings/MonitorPageParts.h"

#include "Settings/SettingsControls.h"
#include "Settings/SettingsPage.h"
#include "Settings/SettingsText.h"
#include "Settings/SettingsValueText.h"
#include "Shared/Sounds.h"
#include "Shared/SystemColors.h"
#include "Shared/Typography.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

QLabel *pageNote(const QString &text, QWidget *parent)
{
    QLabel *label = SettingsText::label(text, 12, QFont::Normal, SettingsText::secondary(), parent);
    label->setWordWrap(true);
    label->setContentsMargins(6, 0, 6, 0);
    return label;
}

void addRows(SettingsCard *card, std::initializer_list<QWidget *> rows)
{
    bool first = true;
    for (QWidget *row : rows) {
        if (!first)
            card->addDivider();
        card->addRow(row);
        first = false;
    }
}

SliderRow *durationRow(Setting<double> &duration, double lower, double upper)
{
    return new SliderRow(QStringLiteral("Duração"), bindingOf(duration), lower, upper, 0.5, secondsText);
}

LowBatteryRows lowBatteryRows(Setting<bool> &warn, Setting<double> &threshold, Setting<bool> &sound, Sounds &sounds)
{
    ToggleRowOptions soundOptions;
    soundOptions.preview = [&sounds] { sounds.play(Sounds::Kind::funk); };
    return LowBatteryRows{
        new ToggleRow(QStringLiteral("Avisar com bateria fraca"), bindingOf(warn)),
        new SliderRow(QStringLiteral("Limite de bateria fraca"), bindingOf(threshold), 5, 50, 5,
                      SettingsValueText::inWholeUnits(QStringLiteral("%"))),
        new ToggleRow(QStringLiteral("Som com bateria fraca"), bindingOf(sound), std::move(soundOptions)),
    };
}

WarningBox::WarningBox(QWidget *parent)
    : QWidget(parent)
{
    setContentsMargins(12, 12, 12, 12);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void WarningBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor fill = SystemColors::yellow();
    fill.setAlphaF(0.08f);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), 12, 12);
}

QPushButton *smallPushButton(const QString &title, QWidget *parent)
{
    auto *button = new QPushButton(title, parent);
    button->setFont(Typography::systemFont(11));
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return button;
}

QWidget *warningSymbol(QWidget *parent)
{
    return symbolView(QStringLiteral("exclamationmark.triangle.fill"), 13, SystemColors::yellow(), 16, parent);
}
