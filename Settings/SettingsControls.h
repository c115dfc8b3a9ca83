#pragma once

#include "Settings/SettingsBinding.h"
#include "Settings/SettingsStyle.h"

#include <QAbstractButton>
#include <QColor>
#include <QProperty>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QPainter;

// The shared rows of the settings pages and the two painted primitives they
// use. Every control writes its value only through its binding and follows
// the bound value when it changes elsewhere.

// Shows `widget` exactly while `predicate` holds; the predicate is
// re-evaluated whenever a property it reads changes. A widget without a
// parent is only hidden, never opened as a window; place it before its
// predicate turns true.
void showWhile(QWidget *widget, std::function<bool()> predicate);

// Enables `widget` exactly while `predicate` holds, as showWhile shows it;
// while disabled it ignores input and is drawn at half opacity.
void enableWhile(QWidget *widget, std::function<bool()> predicate);

// The symbol `name` at `size` points in `color`, centred in a box `boxWidth`
// wide, as the rows draw their icons.
QWidget *symbolView(const QString &name, double size, const QColor &color, double boxWidth, QWidget *parent = nullptr);

// The seconds sliders' value text: "%.1fs" (4 reads 4.0s).
QString secondsText(double value);

// The 38 × 22 switch: an accent capsule when on, a knob that slides.
class AccentSwitch : public QAbstractButton {
    Q_OBJECT
public:
    explicit AccentSwitch(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The knob's place: 0 at the leading end (off), 1 at the trailing end.
    double m_position = 0;
    class QVariantAnimation *m_travel;
};

// A thin track with a knob, step snapping and tick dots, knob + 5 points
// tall. The pure rules are static so they can be checked without a screen.
class AccentSlider : public QWidget {
    Q_OBJECT
public:
    AccentSlider(SettingsBinding<double> value, double lower, double upper, double step, double knob, QWidget *parent = nullptr);

    // Where the knob stands, 0...1; 0 for an empty range. A value that is
    // not finite stands at the lower end.
    static double fraction(double value, double lower, double upper);
    // The value for a pointer at `x` on a slider `width` wide: clamped,
    // snapped to multiples of `step` counted from zero (halves away from
    // zero) when `step` > 0, clamped again.
    static double valueAt(double x, double width, double knob, double lower, double upper, double step);
    // The number of tick dots (0 when none is drawn).
    static int tickCount(double lower, double upper, double step);
    // The left edge of dot `index` of `count`.
    static double tickLeft(int index, int count, double width, double knob);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void moveTo(double x);

    SettingsBinding<double> m_value;
    const double m_lower;
    const double m_upper;
    const double m_step;
    const double m_knob;
    QProperty<double> m_shown;
    QPropertyNotifier m_repaint;
};

// What a ToggleRow shows besides its title. Declared outside the row so
// that `{}` can be the constructor's default argument.
struct ToggleRowOptions {
    std::optional<QString> icon;
    QColor iconColor = SettingsStyle::accent();
    std::optional<QString> hint;
    std::function<void()> preview;
};

// The options of a row whose only extra is a hint.
inline ToggleRowOptions withHint(QString hint)
{
    ToggleRowOptions options;
    options.hint = std::move(hint);
    return options;
}

// A labelled switch, with an optional icon, hint and "Ouvir" preview button.
class ToggleRow : public QWidget {
    Q_OBJECT
public:
    using Options = ToggleRowOptions;

    ToggleRow(const QString &title, SettingsBinding<bool> isOn, Options options = {}, QWidget *parent = nullptr);

    AccentSwitch *toggle() const { return m_switch; }
    // The "Ouvir" button; none without a preview.
    QAbstractButton *previewButton() const { return m_preview; }

private:
    AccentSwitch *m_switch;
    QAbstractButton *m_preview = nullptr;
    QProperty<bool> m_shown;
    QPropertyNotifier m_follow;
};

// A labelled slider with its value formatted in a pill.
class SliderRow : public QWidget {
    Q_OBJECT
public:
    SliderRow(const QString &title, SettingsBinding<double> value, double lower, double upper, double step,
              std::function<QString(double)> format, QWidget *parent = nullptr);

    AccentSlider *slider() const { return m_slider; }
    // The text of the value pill.
    QString valueText() const;

private:
    AccentSlider *m_slider;
    class QLabel *m_pill;
    QProperty<double> m_shown;
    QPropertyNotifier m_follow;
};

// A labelled pop-up menu over `labels`, bound to the chosen index.
class PickerRow : public QWidget {
    Q_OBJECT
public:
    PickerRow(const QString &title, QStringList labels, SettingsBinding<int> selection, std::optional<QString> icon = std::nullopt,
              QWidget *parent = nullptr);

    class QComboBox *menu() const { return m_menu; }

private:
    class QComboBox *m_menu;
    QProperty<int> m_shown;
    QPropertyNotifier m_follow;
};

// One tile of a TileSelector: its label and the picture drawn in it.
struct TileOption {
    QString label;
    std::function<void(QPainter &, const QRectF &)> preview;
};

// A row of picture tiles of which one, the bound index, is selected.
class TileSelector : public QWidget {
    Q_OBJECT
public:
    TileSelector(std::vector<TileOption> options, SettingsBinding<int> selection, double height, QWidget *parent = nullptr);

    int count() const { return int(m_options.size()); }
    // The rectangle of tile `index` in the selector's coordinates.
    QRectF tileRect(int index) const;
    int selectedIndex() const { return m_shown.value(); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // How selected tile `index` looks, 0...1, while the highlight moves.
    double highlight(int index) const;

    std::vector<TileOption> m_options;
    SettingsBinding<int> m_selection;
    const double m_height;
    QProperty<int> m_shown;
    QPropertyNotifier m_repaint;
    // The highlight moves from the tile selected before to the selected one.
    int m_previous = -1;
    int m_current = -1;
    class QVariantAnimation *m_move;
};
