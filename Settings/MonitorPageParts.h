#pragma once

#include <QString>
#include <QWidget>

#include <initializer_list>

template <typename T>
class Setting;
class QLabel;
class SettingsCard;
class SliderRow;
class Sounds;
class ToggleRow;

// Pieces the pages of the monitors and of the level indicator share.

// An explanatory text outside the cards: 12 points, secondary colour, 6
// points in on both sides, wrapping over as many lines as it needs.
QLabel *pageNote(const QString &text, QWidget *parent = nullptr);

// Adds `rows` to `card` top to bottom with a divider between every two.
void addRows(SettingsCard *card, std::initializer_list<QWidget *> rows);

// The "Duração" slider of an alert strip, `lower` to `upper` in steps of 0.5,
// reading "%.1fs".
SliderRow *durationRow(Setting<double> &duration, double lower, double upper);

// The low-battery rows of the battery and device pages, top to bottom.
struct LowBatteryRows {
    ToggleRow *warn;
    SliderRow *threshold;
    ToggleRow *sound;
};
// "Avisar com bateria fraca", "Limite de bateria fraca" (5% to 50% in steps
// of 5) and "Som com bateria fraca", whose play button plays "Funk".
LowBatteryRows lowBatteryRows(Setting<bool> &warn, Setting<double> &threshold, Setting<bool> &sound, Sounds &sounds);

// The frame of the permission warnings: 12 points of padding on all sides
// (its contents margins: a layout set on it keeps margins of 0)
// over a rounded rectangle (radius 12) of yellow at 8% opacity.
class WarningBox : public QWidget {
    Q_OBJECT
public:
    explicit WarningBox(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A standard push button at the small control size.
class QPushButton *smallPushButton(const QString &title, QWidget *parent = nullptr);

// The yellow warning triangle of those boxes, drawn at 13 points.
QWidget *warningSymbol(QWidget *parent);
