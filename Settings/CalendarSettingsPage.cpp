#include "Settings/CalendarSettingsPage.h"

#include "App/AppModel.h"
#include "Notch/ClaudeUsageSection.h"
#include "Platform/Symbols.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsText.h"
#include "Settings/SettingsValueText.h"
#include "Settings/SidebarIcon.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

// The check box of a calendar row: a 16-point rounded square in the
// calendar's colour, filled with a white check mark when on, outlined when
// off.
class CalendarCheckBox : public QAbstractButton {
public:
    CalendarCheckBox(QColor color, QWidget *parent)
        : QAbstractButton(parent)
        , m_color(std::move(color))
    {
        setFixedSize(16, 16);
        setCursor(Qt::PointingHandCursor);
    }

    void setOn(bool on)
    {
        m_on = on;
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double line = 1.5;
        const QRectF square(0, 0, 16, 16);
        if (m_on) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(m_color);
            painter.drawRoundedRect(square, 4, 4);
        }
        // The border lies inside the square's edge.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(m_color, line));
        painter.drawRoundedRect(square.adjusted(line / 2, line / 2, -line / 2, -line / 2), 4 - line / 2, 4 - line / 2);
        if (m_on)
            Symbols::draw(painter, QRectF(3.5, 3.5, 9, 9), QStringLiteral("checkmark"), Qt::white);
    }

private:
    const QColor m_color;
    bool m_on = false;
};

namespace {

QRectF centredSquare(const QPointF &centre, double side)
{
    return QRectF(centre.x() - side / 2, centre.y() - side / 2, side, side);
}

// The coding agent's mark: "sparkle" in its colour.
void paintSparkle(QPainter &painter, const QRectF &box)
{
    Symbols::draw(painter, box, QStringLiteral("sparkle"), ClaudeUsageSection::claudeColor());
}

std::vector<TileOption> sideColumnTiles()
{
    const auto today = [] { return QDate::currentDate(); };
    return {
        {QStringLiteral("Eventos e clima"),
         [today](QPainter &painter, const QRectF &box) { CalendarDayIcon::paint(painter, centredSquare(box.center(), 22), today()); }},
        {QStringLiteral("Claude"), [](QPainter &painter, const QRectF &box) { paintSparkle(painter, centredSquare(box.center(), 18)); }},
        {QStringLiteral("Os dois"),
         [today](QPainter &painter, const QRectF &box) {
             // The day icon and the mark side by side, 4 points apart, centred together.
             const double left = box.center().x() - (18 + 4 + 14) / 2.0;
             CalendarDayIcon::paint(painter, QRectF(left, box.center().y() - 9, 18, 18), today());
             paintSparkle(painter, QRectF(left + 18 + 4, box.center().y() - 7, 14, 14));
         }},
    };
}

// The calendar card's content: one row per calendar, or a message when there
// is none. Rebuilt when the model's calendars or its access change.
class CalendarList : public QWidget {
public:
    CalendarList(AppModel &model, QWidget *parent)
        : QWidget(parent)
        , m_layout(new QVBoxLayout(this))
    {
        m_layout->setContentsMargins(0, 0, 0, 0);
        m_layout->setSpacing(0);
        m_calendars.setBinding([&model] { return model.calendar.calendars(); });
        m_authorized.setBinding([&model] { return model.calendar.authorized(); });
        Preferences &preferences = model.preferences;
        const auto rebuild = [this, &preferences] { build(preferences); };
        m_calendarsChanged = m_calendars.addNotifier(rebuild);
        m_authorizedChanged = m_authorized.addNotifier(rebuild);
        build(preferences);
    }

private:
    void build(Preferences &preferences)
    {
        // The old content may hold the button whose click led here.
        if (m_content) {
            m_content->hide();
            m_content->deleteLater();
        }
        m_content = new QWidget(this);
        auto *rows = new QVBoxLayout(m_content);
        rows->setContentsMargins(0, 0, 0, 0);
        rows->setSpacing(0);
        const QList<CalendarInfo> calendars = m_calendars.value();
        if (calendars.isEmpty()) {
            QLabel *message = SettingsText::label(CalendarSettingsPage::emptyListText(m_authorized.value()), 12, QFont::Normal,
                                                  SettingsText::secondary(), m_content);
            message->setWordWrap(true);
            message->setContentsMargins(12, 12, 12, 12);
            rows->addWidget(message);
        }
        for (const CalendarInfo &calendar : calendars) {
            if (rows->count() > 0)
                rows->addWidget(new RowDivider(m_content));
            rows->addWidget(new CalendarToggleRow(calendar, bindingOf(preferences.disabledCalendarIDs), m_content));
        }
        m_layout->addWidget(m_content);
        m_content->show();
    }

    QVBoxLayout *m_layout;
    QWidget *m_content = nullptr;
    QProperty<QList<CalendarInfo>> m_calendars;
    QProperty<bool> m_authorized;
    QPropertyNotifier m_calendarsChanged;
    QPropertyNotifier m_authorizedChanged;
};

} // namespace

CalendarSettingsPage::CalendarSettingsPage(AppModel &model, QWidget *parent)
    : SettingsPage(SettingsPageID::calendar, parent)
{
    Preferences &preferences = model.preferences;
    Sounds &sounds = model.sounds;

    SettingsCard *card = addCard();
    ToggleRow::Options calendar;
    calendar.icon = QStringLiteral("calendar");
    card->addRow(new ToggleRow(QStringLiteral("Calendário"), bindingOf(preferences.calendarEnabled), calendar));
    card->addDivider();
    card->addRow(new SliderRow(QStringLiteral("Contagem antes do evento"), bindingOf(preferences.reminderMinutes), 0, 60, 5, reminderText));
    card->addDivider();
    ToggleRow::Options keep;
    keep.hint = QStringLiteral("Com música tocando, o tempo aparece ao lado da capa");
    card->addRow(new ToggleRow(QStringLiteral("Manter a contagem até o evento começar"), bindingOf(preferences.keepEventCountdown), keep));
    card->addDivider();
    ToggleRow::Options progress;
    progress.hint = QStringLiteral("Um círculo que se completa até o fim do evento, no notch");
    card->addRow(new ToggleRow(QStringLiteral("Progresso do evento em andamento"), bindingOf(preferences.eventProgress), progress));
    card->addDivider();
    ToggleRow::Options announcement;
    announcement.preview = [&sounds] { sounds.play(Sounds::Kind::glass); };
    card->addRow(new ToggleRow(QStringLiteral("Som ao avisar evento"), bindingOf(preferences.soundOnEvent), announcement));
    card->addDivider();
    ToggleRow::Options chime;
    chime.preview = [&sounds] { sounds.play(Sounds::Kind::hero); };
    card->addRow(new ToggleRow(QStringLiteral("Toque de hora em hora"), bindingOf(preferences.hourlyChime), chime));
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Usar a cor do calendário"), bindingOf(preferences.useCalendarColor)));
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Mostrar clima quando o dia está livre"), bindingOf(preferences.showWeather)));

    addText(QStringLiteral("Vale para todos os eventos com horário dos calendários ativos abaixo. Quando o evento tem link de Meet, Zoom, "
                           "Teams ou FaceTime, o notch aberto mostra o botão Entrar."));

    addSectionLabel(QStringLiteral("Embaixo do dia"));
    addCard()->addRow(
        new TileSelector(sideColumnTiles(), indexBindingOf(preferences.sideColumn, {SideColumn::calendar, SideColumn::claude, SideColumn::both}), 48));
    addText(QStringLiteral("O dia fica sempre no topo. Embaixo dele: os eventos e o clima, quanto você já usou dos limites de 5 horas e da "
                           "semana do Claude (conecte em Ajustes › Avisos), ou os dois."));

    addSectionLabel(QStringLiteral("Calendários"));
    SettingsCard *calendars = addCard();
    calendars->addRow(new CalendarList(model, calendars));
}

QString CalendarSettingsPage::reminderText(double minutes)
{
    return minutes == 0 ? QStringLiteral("não") : SettingsValueText::wholeNumber(minutes, QStringLiteral("m"));
}

QString CalendarSettingsPage::emptyListText(bool authorized)
{
    return authorized ? QStringLiteral("Nenhum calendário encontrado")
                      : QStringLiteral("Permita o acesso ao Calendário em Ajustes do Sistema › Privacidade");
}

CalendarToggleRow::CalendarToggleRow(CalendarInfo calendar, SettingsBinding<StringSet> disabled, QWidget *parent)
    : QWidget(parent)
    , m_calendar(std::move(calendar))
    , m_checkBox(new CalendarCheckBox(m_calendar.color, this))
{
    setMinimumHeight(40);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(9);
    row->addWidget(m_checkBox, 0, Qt::AlignVCenter);
    row->addWidget(SettingsText::label(m_calendar.title, 13, QFont::Normal, SettingsText::primary(), this), 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(SettingsText::label(m_calendar.source, 12, QFont::Normal, SettingsText::secondary(), this), 0, Qt::AlignVCenter);
    m_checkBox->setAccessibleName(m_calendar.title);

    m_isOn.setBinding([read = disabled.read, identifier = m_calendar.id] { return isActive(read(), identifier); });
    m_checkBox->setOn(m_isOn.value());
    m_follow = m_isOn.addNotifier([this] { m_checkBox->setOn(m_isOn.value()); });
    connect(m_checkBox, &QAbstractButton::clicked, this, [this, disabled] {
        disabled.write(withActive(disabled.read(), m_calendar.id, !m_isOn.value()));
    });
}

QAbstractButton *CalendarToggleRow::checkBox() const
{
    return m_checkBox;
}

bool CalendarToggleRow::isActive(const StringSet &disabled, const QString &identifier)
{
    return !disabled.contains(identifier);
}

StringSet CalendarToggleRow::withActive(StringSet disabled, const QString &identifier, bool active)
{
    if (active)
        disabled.remove(identifier);
    else
        disabled.insert(identifier);
    return disabled;
}
