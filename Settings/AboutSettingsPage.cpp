#include "Settings/AboutSettingsPage.h"

#include "App/AppModel.h"
#include "Platform/Symbols.h"
#include "Settings/ActionRow.h"
#include "Settings/SettingsControls.h"
#include "Settings/SettingsText.h"

#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>

#include <unicode/locid.h>
#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

#include <cmath>
#include <memory>

namespace {

// The unit and signed count that describe `seconds` from now: the largest
// unit with a whole count, months and years by the calendar.
std::pair<URelativeDateTimeUnit, double> relativeUnit(const QDateTime &date, const QDateTime &now)
{
    const qint64 seconds = now.secsTo(date);
    const qint64 magnitude = std::abs(seconds);
    const double sign = seconds < 0 ? -1 : 1;
    constexpr qint64 minute = 60, hour = 60 * minute, day = 24 * hour, week = 7 * day;
    if (magnitude < minute)
        return {UDAT_REL_UNIT_SECOND, double(seconds)};
    if (magnitude < hour)
        return {UDAT_REL_UNIT_MINUTE, sign * double(magnitude / minute)};
    if (magnitude < day)
        return {UDAT_REL_UNIT_HOUR, sign * double(magnitude / hour)};
    if (magnitude < week)
        return {UDAT_REL_UNIT_DAY, sign * double(magnitude / day)};
    // Whole months between the two moments, counted on the calendar.
    const QDateTime &earlier = seconds < 0 ? date : now;
    const QDateTime &later = seconds < 0 ? now : date;
    int months = (later.date().year() - earlier.date().year()) * 12 + later.date().month() - earlier.date().month();
    if (earlier.addMonths(months) > later)
        --months;
    if (months < 1)
        return {UDAT_REL_UNIT_WEEK, sign * double(magnitude / week)};
    if (months < 12)
        return {UDAT_REL_UNIT_MONTH, sign * months};
    return {UDAT_REL_UNIT_YEAR, sign * (months / 12)};
}

QPixmap applicationIcon()
{
    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull())
        return icon.pixmap(128, 128);
    // No icon installed: the generic application symbol.
    return QPixmap::fromImage(Symbols::image(QStringLiteral("app.fill"), 128, SettingsText::secondary()));
}

} // namespace

QString AboutSettingsPage::relativeText(const QDateTime &date, const QDateTime &now)
{
    UErrorCode status = U_ZERO_ERROR;
    icu::RelativeDateTimeFormatter formatter(icu::Locale("pt", "BR"), nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_NONE, status);
    const auto [unit, count] = relativeUnit(date, now);
    icu::UnicodeString text;
    formatter.format(count, unit, text, status);
    if (U_FAILURE(status))
        return date.toString(Qt::ISODate);
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

std::optional<QString> AboutSettingsPage::lastCheckText(const std::optional<QDateTime> &lastCheck, const QDateTime &now)
{
    if (!lastCheck)
        return std::nullopt;
    return QStringLiteral("Última verificação ") + relativeText(*lastCheck, now);
}

AboutSettingsPage::AboutSettingsPage(AppModel &model, QWidget *parent)
    : AboutSettingsPage(model.updater, model.services().scheduler, parent)
{
}

AboutSettingsPage::AboutSettingsPage(Updater &updater, const Scheduler &clock, QWidget *parent)
    : SettingsPage(SettingsPageID::about, parent)
    , m_updater(updater)
    , m_clock(clock)
{
    addHeader();
    addSectionLabel(QStringLiteral("Atualizações"));
    addUpdates();
}

void AboutSettingsPage::addHeader()
{
    auto *header = new QWidget;
    auto *column = new QVBoxLayout(header);
    column->setContentsMargins(0, 30, 0, 10);
    column->setSpacing(10);
    auto *icon = new QLabel(header);
    icon->setFixedSize(128, 128);
    icon->setScaledContents(true);
    icon->setPixmap(applicationIcon());
    column->addWidget(icon, 0, Qt::AlignHCenter);
    column->addWidget(SettingsText::label(QStringLiteral("Quib"), 22, QFont::Bold, SettingsText::primary(), header), 0, Qt::AlignHCenter);
    column->addWidget(
        SettingsText::label(QStringLiteral("Versão ") + m_updater.version(), 13, QFont::Normal, SettingsText::secondary(), header), 0,
        Qt::AlignHCenter);
    addWidget(header);
}

void AboutSettingsPage::addUpdates()
{
    Updater &updater = m_updater;
    SettingsCard *card = addCard();
    if (!updater.isConfigured()) {
        QLabel *note = SettingsText::label(QStringLiteral("Esta cópia do Quib foi gerada no seu Mac, sem endereço de atualização. As cópias baixadas "
                                                          "do site se atualizam sozinhas."),
                                           13, QFont::Normal, SettingsText::secondary());
        note->setWordWrap(true);
        note->setContentsMargins(12, 12, 12, 12);
        card->addRow(note);
        return;
    }

    const Scheduler &scheduler = m_clock;
    // The relative time is worked out when the row is built and when the
    // updater changes, not on a timer.
    card->addRow(new ActionRow(
        [&updater, &scheduler] {
            const std::optional<QString> available = updater.available();
            return ActionRowContent{available ? QStringLiteral("Versão ") + *available + QStringLiteral(" disponível")
                                              : QStringLiteral("Você está na versão mais recente"),
                                    lastCheckText(updater.lastCheck(), scheduler.now()),
                                    available ? QStringLiteral("Ver e instalar") : QStringLiteral("Procurar agora")};
        },
        [&updater] { updater.checkNow(); }));
    card->addDivider();
    card->addRow(new ToggleRow(QStringLiteral("Procurar atualizações sozinho"),
                               {[&updater] { return updater.automaticallyChecks(); }, [&updater](const bool &on) { updater.setAutomaticallyChecks(on); }},
                               withHint(QStringLiteral("Uma vez por dia; uma versão nova aparece no notch"))));
    const auto whileChecking = [&updater] { return updater.automaticallyChecks(); };
    showWhile(card->addDivider(), whileChecking);
    auto *downloads = new ToggleRow(
        QStringLiteral("Baixar e instalar sozinho"),
        {[&updater] { return updater.automaticallyDownloads(); }, [&updater](const bool &on) { updater.setAutomaticallyDownloads(on); }},
        withHint(QStringLiteral("Instala quando o Quib fechar ou o Mac reiniciar")));
    card->addRow(downloads);
    showWhile(downloads, whileChecking);
}
