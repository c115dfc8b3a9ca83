#include "Onboarding/OnboardingView.h"

#include "Platform/Symbols.h"
#include "Settings/SettingsPage.h"
#include "Settings/SettingsStyle.h"
#include "Settings/SettingsText.h"
#include "Shared/Typography.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

QColor white(double opacity)
{
    return QColor::fromRgbF(1, 1, 1, float(opacity));
}

// A button drawn as its text on a filled rounded rectangle, without the
// style's chrome. `radius` none: a capsule.
class FilledButton : public QAbstractButton {
public:
    FilledButton(QFont font, QColor text, QColor fill, std::optional<double> radius, QMargins padding, QWidget *parent)
        : QAbstractButton(parent)
        , m_text(std::move(text))
        , m_fill(std::move(fill))
        , m_radius(radius)
        , m_padding(padding)
    {
        setFont(font);
        setCursor(Qt::PointingHandCursor);
    }

    QSize sizeHint() const override
    {
        const QSize label = fontMetrics().size(Qt::TextSingleLine, text());
        return QSize(label.width() + m_padding.left() + m_padding.right(), label.height() + m_padding.top() + m_padding.bottom());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect());
        const double radius = m_radius.value_or(box.height() / 2);
        QPainterPath shape;
        shape.addRoundedRect(box, radius, radius);
        painter.fillPath(shape, isDown() ? m_fill.darker(120) : m_fill);
        painter.setPen(m_text);
        painter.drawText(box, Qt::AlignCenter, text());
    }

private:
    QColor m_text;
    QColor m_fill;
    std::optional<double> m_radius;
    QMargins m_padding;
};

// A symbol drawn in a box of its own; `background` fills a rounded square
// behind it when set.
class SymbolBox : public QWidget {
public:
    SymbolBox(QString name, double symbolSize, QColor color, QSize size, std::optional<QColor> background, QWidget *parent)
        : QWidget(parent)
        , m_name(std::move(name))
        , m_symbolSize(symbolSize)
        , m_color(std::move(color))
        , m_background(std::move(background))
    {
        setFixedSize(size);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        if (m_background) {
            QPainterPath square;
            square.addRoundedRect(QRectF(rect()), 7, 7);
            painter.fillPath(square, *m_background);
        }
        const QPointF centre = QRectF(rect()).center();
        Symbols::draw(painter, QRectF(centre.x() - m_symbolSize / 2, centre.y() - m_symbolSize / 2, m_symbolSize, m_symbolSize), m_name, m_color);
    }

private:
    QString m_name;
    double m_symbolSize;
    QColor m_color;
    std::optional<QColor> m_background;
};

// The program's mark: a dark rounded square with the notch at its top.
class ApplicationIcon : public QWidget {
public:
    explicit ApplicationIcon(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(96, 96);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(4, 4, -4, -4);
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0, QColor::fromRgbF(0.24f, 0.24f, 0.26f));
        fill.setColorAt(1, QColor::fromRgbF(0.11f, 0.11f, 0.12f));
        QPainterPath square;
        square.addRoundedRect(box, 20, 20);
        painter.fillPath(square, fill);
        QPainterPath notch;
        notch.addRoundedRect(QRectF(box.center().x() - 22, box.top() - 8, 44, 24), 8, 8);
        painter.fillPath(notch.intersected(square), Qt::black);
        painter.setPen(QPen(SettingsStyle::accent(), 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(box.center().x() - 10, box.top() + 8), QPointF(box.center().x() + 10, box.top() + 8));
    }
};

} // namespace

// One permission: its icon, title and description, and at the end its
// state: "Permitido" once granted, else a button that runs `action`.
class PermissionRow : public QWidget {
public:
    PermissionRow(PermissionKind kind, std::function<void()> action, QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(rawValue(kind));
        const OnboardingView::RowText text = OnboardingView::rowText(kind);
        auto *layout = new QHBoxLayout(this);
        layout->setContentsMargins(12, 10, 12, 10);
        layout->setSpacing(12);
        layout->addWidget(new SymbolBox(text.symbol, 14, SettingsStyle::accent(), QSize(32, 32), withAlpha(SettingsStyle::accent(), 0.18), this),
                          0, Qt::AlignVCenter);

        auto *texts = new QVBoxLayout;
        texts->setSpacing(2);
        texts->addWidget(SettingsText::label(text.title, 13, QFont::DemiBold, SettingsText::primary(), this));
        QLabel *description = SettingsText::label(text.description, 11.5, QFont::Normal, SettingsText::secondary(), this);
        description->setWordWrap(true);
        texts->addWidget(description);
        layout->addLayout(texts, 1);
        layout->addSpacing(8);

        m_granted = new QWidget(this);
        m_granted->setObjectName(QStringLiteral("granted"));
        auto *granted = new QHBoxLayout(m_granted);
        granted->setContentsMargins(0, 0, 0, 0);
        granted->setSpacing(4);
        granted->addWidget(new SymbolBox(QStringLiteral("checkmark.circle.fill"), 12, SettingsStyle::accent(), QSize(14, 14), std::nullopt, m_granted));
        granted->addWidget(SettingsText::label(QStringLiteral("Permitido"), 12, QFont::Medium, SettingsStyle::accent(), m_granted));
        layout->addWidget(m_granted, 0, Qt::AlignVCenter);

        m_button = new FilledButton(Typography::systemFont(12, QFont::DemiBold), SettingsText::primary(), white(0.1), std::nullopt, QMargins(12, 6, 12, 6), this);
        QObject::connect(m_button, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
        layout->addWidget(m_button, 0, Qt::AlignVCenter);
    }

    void setStatus(PermissionStatus status)
    {
        const QString label = OnboardingView::buttonLabel(status);
        m_granted->setVisible(label.isEmpty());
        m_button->setVisible(!label.isEmpty());
        m_button->setText(label);
        m_button->updateGeometry();
    }

private:
    static QColor withAlpha(QColor color, double alpha)
    {
        color.setAlphaF(float(alpha));
        return color;
    }

    QWidget *m_granted;
    QAbstractButton *m_button;
};

OnboardingView::OnboardingView(PermissionsModel &permissions, std::function<void()> onFinish, QWidget *parent)
    : QWidget(parent)
    , m_permissions(permissions)
{
    setFixedSize(windowSize);
    setAutoFillBackground(false);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto *header = new QVBoxLayout;
    header->setContentsMargins(0, 36, 0, 22);
    header->setSpacing(8);
    header->addWidget(new ApplicationIcon(this), 0, Qt::AlignHCenter);
    header->addWidget(SettingsText::label(QStringLiteral("Bem-vindo ao Quib"), 22, QFont::Bold, SettingsText::primary(), this), 0, Qt::AlignHCenter);
    QLabel *subtitle = SettingsText::label(
        QStringLiteral("O notch vira um painel: música, calendário, clima e avisos.\nPermita o que quiser usar — dá para mudar depois."), 13,
        QFont::Normal, SettingsText::secondary(), this);
    subtitle->setAlignment(Qt::AlignHCenter);
    header->addWidget(subtitle, 0, Qt::AlignHCenter);
    column->addLayout(header);

    auto *card = new SettingsCard(this);
    for (const PermissionKind kind : allCases<PermissionKind>()) {
        if (!m_rows.isEmpty())
            card->addDivider();
        auto *row = new PermissionRow(kind, [this, kind] { m_permissions.request(kind); }, card);
        card->addRow(row);
        m_rows.append(row);
    }
    auto *list = new QHBoxLayout;
    list->setContentsMargins(24, 0, 24, 0);
    list->addWidget(card);
    column->addLayout(list);

    column->addSpacing(16);
    column->addStretch(1);

    auto *finish = new FilledButton(Typography::systemFont(14, QFont::DemiBold), Qt::black, SettingsStyle::accent(), 10, QMargins(), this);
    finish->setObjectName(QStringLiteral("finish"));
    finish->setFixedHeight(38);
    finish->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(finish, &QAbstractButton::clicked, this, [onFinish = std::move(onFinish)] { onFinish(); });
    m_finish = finish;
    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(24, 0, 24, 24);
    bottom->addWidget(finish);
    column->addLayout(bottom);

    m_statusesChanged = m_permissions.bindableStatuses().addNotifier([this] { apply(); });
    apply();
}

QString OnboardingView::finishLabel(const PermissionStatuses &statuses)
{
    const auto cases = allCases<PermissionKind>();
    const bool allGranted = std::all_of(cases.begin(), cases.end(),
                                        [&](PermissionKind kind) { return statuses.value(kind, PermissionStatus::notAsked) == PermissionStatus::granted; });
    return allGranted ? QStringLiteral("Começar") : QStringLiteral("Continuar");
}

OnboardingView::RowText OnboardingView::rowText(PermissionKind kind)
{
    switch (kind) {
    case PermissionKind::calendar:
        return {QStringLiteral("calendar"), QStringLiteral("Calendário"), QStringLiteral("Mostra os eventos de hoje e avisa antes de cada um.")};
    case PermissionKind::location:
        return {QStringLiteral("location.fill"), QStringLiteral("Localização"), QStringLiteral("Localização aproximada (~1 km) para o clima.")};
    case PermissionKind::accessibility:
        return {QStringLiteral("accessibility"), QStringLiteral("Acessibilidade"),
                QStringLiteral("Captura as teclas de volume e brilho para mostrar o indicador no notch.")};
    case PermissionKind::bluetooth:
        return {QStringLiteral("dot.radiowaves.left.and.right"), QStringLiteral("Bluetooth"), QStringLiteral("Mostra a bateria dos AirPods e fones Bluetooth.")};
    case PermissionKind::fullDiskAccess:
        return {QStringLiteral("message.fill"), QStringLiteral("Acesso Total ao Disco"),
                QStringLiteral("Mostra no notch as mensagens do WhatsApp e de outros apps, e respeita o Foco. Em Ajustes, clique em + e escolha o Quib.")};
    }
    return {};
}

QString OnboardingView::buttonLabel(PermissionStatus status)
{
    switch (status) {
    case PermissionStatus::granted:
        return {};
    case PermissionStatus::denied:
        return QStringLiteral("Abrir Ajustes");
    case PermissionStatus::notAsked:
        break;
    }
    return QStringLiteral("Permitir");
}

void OnboardingView::apply()
{
    const PermissionStatuses statuses = m_permissions.statuses();
    const auto cases = allCases<PermissionKind>();
    for (size_t i = 0; i < cases.size(); ++i)
        m_rows[qsizetype(i)]->setStatus(statuses.value(cases[i], PermissionStatus::notAsked));
    m_finish->setText(finishLabel(statuses));
}

void OnboardingView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_permissions.startWatching();
}

void OnboardingView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_permissions.stopWatching();
}

void OnboardingView::paintEvent(QPaintEvent *)
{
    QPainter(this).fillRect(rect(), SettingsStyle::detailBackground());
}
