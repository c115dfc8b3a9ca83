#include "Alerts/ExternalAlertListener.h"

#include "App/AppModel.h"
#include "Platform/Workspace.h"
#include "Settings/SettingsStyle.h"
#include "Shared/SystemColors.h"
#include "Support/Text.h"

#include <charconv>
#include <cmath>

ExternalAlertListener::ExternalAlertListener(AppModel &model)
    : m_model(model)
{
    m_model.services().notifications.observe(name, [this](const DistributedNotifications::Notification &notification) {
        // Malformed user information counts as empty: the request is dropped.
        handle(notification.userInfo.value_or(DistributedNotifications::UserInfo()));
    });
}

std::optional<QColor> ExternalAlertListener::color(const QString &named)
{
    const QString lower = named.toLower();
    static const QList<std::pair<QStringList, QColor>> names{
        {{QStringLiteral("red"), QStringLiteral("vermelho")}, SystemColors::red()},
        {{QStringLiteral("orange"), QStringLiteral("laranja")}, SystemColors::orange()},
        {{QStringLiteral("yellow"), QStringLiteral("amarelo")}, SystemColors::yellow()},
        {{QStringLiteral("green"), QStringLiteral("verde")}, SystemColors::green()},
        {{QStringLiteral("blue"), QStringLiteral("azul")}, SystemColors::blue()},
        {{QStringLiteral("purple"), QStringLiteral("roxo")}, SystemColors::purple()},
        {{QStringLiteral("pink"), QStringLiteral("rosa")}, SystemColors::pink()},
        {{QStringLiteral("white"), QStringLiteral("branco")}, QColor(Qt::white)},
    };
    for (const auto &[words, value] : names) {
        if (words.contains(lower))
            return value;
    }

    QString hex = named;
    if (hex.startsWith(u'#'))
        hex.remove(0, 1);
    if (hex.size() != 6)
        return std::nullopt;
    const auto isHexDigit = [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    };
    if (!std::all_of(hex.begin(), hex.end(), isHexDigit))
        return std::nullopt;
    const uint rgb = hex.toUInt(nullptr, 16);
    return QColor::fromRgb((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

std::optional<double> ExternalAlertListener::duration(const QString &text)
{
    QByteArray bytes = text.toLatin1();
    if (text.isEmpty() || bytes.size() != text.size())
        return std::nullopt;
    // A decimal number may carry an explicit plus sign ("+2.5"); from_chars
    // accepts only the minus.
    if (bytes.startsWith('+') && bytes.size() > 1 && bytes.at(1) != '-')
        bytes.remove(0, 1);
    double value = 0;
    const auto [end, error] = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), value);
    // Out of range ("1e400"), NaN and infinities are unreadable: a banner
    // that never hides would hold up every banner behind it.
    if (error != std::errc() || end != bytes.constData() + bytes.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void ExternalAlertListener::handle(const DistributedNotifications::UserInfo &request)
{
    const Preferences &preferences = m_model.preferences;
    if (!preferences.externalAlerts.value())
        return;

    QString title = Text::prefixGraphemes(request.value(QStringLiteral("title")), maximumTitleLength);
    const QString body = Text::prefixGraphemes(request.value(QStringLiteral("body")), maximumBodyLength);
    if (title.isEmpty() && body.isEmpty())
        return;

    Workspace &workspace = m_model.services().workspace;
    std::optional<QString> app;
    if (const QString value = request.value(QStringLiteral("app")); !value.isEmpty())
        app = value;
    if (app && preferences.externalSkipFrontmost.value()) {
        const auto frontmost = workspace.frontmostApplication();
        if (frontmost && frontmost->bundleIdentifier == *app)
            return;
    }

    if (title.isEmpty()) {
        title = QStringLiteral("Quib");
        if (app) {
            if (const auto url = workspace.urlForApplication(*app))
                title = workspace.displayName(*url).remove(QStringLiteral(".app"));
        }
    }

    NotchBanner banner;
    banner.title = title;
    banner.body = body;
    if (const QString symbol = request.value(QStringLiteral("symbol")); !symbol.isEmpty())
        banner.symbol = symbol;
    banner.color = SettingsStyle::accent();
    if (request.contains(QStringLiteral("color"))) {
        if (const auto named = color(request.value(QStringLiteral("color"))))
            banner.color = *named;
    }
    banner.appBundleID = app;
    banner.duration = duration(request.value(QStringLiteral("duration"))).value_or(preferences.externalDuration.value());
    m_model.banners.show(banner);

    if (preferences.soundOnExternal.value() && request.value(QStringLiteral("sound")) != u"0")
        m_model.sounds.play(Sounds::Kind::bottle);
}
