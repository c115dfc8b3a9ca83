#include "Settings/HUDStylePicker.h"

#include "Alerts/HUDBar.h"
#include "Settings/SettingsBinding.h"

#include <QPainter>

namespace {

std::vector<TileOption> tiles()
{
    std::vector<TileOption> options;
    for (const HUDStyle style : HUDStylePicker::styles()) {
        options.push_back({HUDStylePicker::label(style), [style](QPainter &painter, const QRectF &box) {
                               const QSizeF bar(80, 5);
                               const QRectF track(box.center() - QPointF(bar.width() / 2, bar.height() / 2), bar);
                               HUDBar::Appearance appearance;
                               appearance.level = HUDStylePicker::previewLevel;
                               appearance.style = style;
                               HUDBar::draw(painter, track, appearance);
                           }});
    }
    return options;
}

} // namespace

HUDStylePicker::HUDStylePicker(Setting<HUDStyle> &selection, QWidget *parent)
    : TileSelector(tiles(), indexBindingOf(selection, styles()), tileHeight, parent)
{
}

const std::vector<HUDStyle> &HUDStylePicker::styles()
{
    static const std::vector<HUDStyle> all = [] {
        constexpr auto cases = allCases<HUDStyle>();
        return std::vector<HUDStyle>(cases.begin(), cases.end());
    }();
    return all;
}

QString HUDStylePicker::label(HUDStyle style)
{
    switch (style) {
    case HUDStyle::white:
        return QStringLiteral("Branco");
    case HUDStyle::accent:
        return QStringLiteral("Destaque");
    case HUDStyle::glow:
        return QStringLiteral("Brilho");
    }
    return {};
}
