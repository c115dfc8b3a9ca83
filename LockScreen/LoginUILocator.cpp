#include "LockScreen/LoginUILocator.h"

#include "Support/AtomicFile.h"
#include "Support/BackgroundRunner.h"

#include <cmath>

namespace LoginUILocator {

namespace {

QString describe(const QRectF &rect)
{
    return QStringLiteral("(%1, %2, %3, %4)").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height());
}

QString describe(const QList<Item> &items)
{
    QStringList parts;
    for (const Item &item : items)
        parts.append((item.shape == Item::Shape::circle ? QStringLiteral("circle ") : QStringLiteral("capsule ")) + describe(item.frame));
    return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
}

class Walk {
public:
    Walk(const QRectF &screen, QStringList *debugLines)
        : screen(screen)
        , debugLines(debugLines)
    {
    }

    const QRectF screen;
    QStringList *const debugLines;
    int count = 0;
    QList<Item> found;

    void visit(const Element &element, int depth)
    {
        if (depth > deepestLevel || count >= mostElements)
            return;
        ++count;
        const QString role = element.role();
        const QString subrole = element.subrole();
        if (const std::optional<QRectF> frame = element.frame()) {
            if (debugLines)
                debugLines->append(QString(depth, QLatin1Char(' ')) + role + QLatin1Char(' ') + subrole + QLatin1Char(' ') + describe(*frame));
            if (isCandidate(*frame, screen)) {
                if (const std::optional<Item::Shape> itemShape = shape(role, subrole))
                    found.append(Item{*frame, *itemShape});
            }
        }
        for (const std::unique_ptr<Element> &child : element.children())
            visit(*child, depth + 1);
    }
};

// No source of the login window's controls on this desktop.
class NoTree final : public Tree {
public:
    bool isTrusted() const override { return false; }
    std::unique_ptr<Element> loginWindow() const override { return nullptr; }
};

} // namespace

bool isCandidate(const QRectF &frame, const QRectF &screen)
{
    // Heights are measured up from the screen's bottom edge.
    const double fromBottom = screen.bottom() - frame.center().y();
    return frame.width() > 4 && frame.height() > 4 && frame.intersects(screen) && frame.width() < 0.5 * screen.width()
        && fromBottom < 0.45 * screen.height()
        && std::abs(frame.center().x() - screen.center().x()) < 0.3 * screen.width() && frame.height() < 0.3 * screen.height();
}

std::optional<Item::Shape> shape(const QString &role, const QString &subrole)
{
    if (role == QLatin1String("AXImage"))
        return Item::Shape::circle;
    if (role == QLatin1String("AXTextField") || role == QLatin1String("AXStaticText") || role == QLatin1String("AXButton"))
        return Item::Shape::capsule;
    if (subrole == QLatin1String("AXSecureTextField"))
        return Item::Shape::capsule;
    return std::nullopt;
}

void addAvatarIfMissing(QList<Item> &items)
{
    if (items.isEmpty())
        return;
    for (const Item &item : items) {
        if (item.shape == Item::Shape::circle)
            return;
    }
    // The highest control: the smallest centre from the top; the earlier one
    // on a tie.
    const Item *highest = &items.first();
    for (const Item &item : items) {
        if (item.frame.center().y() < highest->frame.center().y())
            highest = &item;
    }
    const QRectF avatar(highest->frame.center().x() - avatarSize / 2, highest->frame.top() - avatarGap - avatarSize, avatarSize, avatarSize);
    items.append(Item{avatar, Item::Shape::circle});
}

QList<Item> items(const QRect &screenFrame)
{
    return items(NoTree(), screenFrame);
}

QList<Item> items(const Tree &tree, const QRect &screenFrame, const std::optional<QString> &debugDump)
{
    if (!tree.isTrusted())
        return {};
    const std::unique_ptr<Element> loginWindow = tree.loginWindow();
    if (!loginWindow || screenFrame.isEmpty())
        return {};
    QStringList debugLines;
    Walk walk(QRectF(screenFrame), debugDump ? &debugLines : nullptr);
    walk.visit(*loginWindow, 0);
    addAvatarIfMissing(walk.found);
    if (debugDump) {
        const QStringList lines = QStringList{QStringLiteral("trusted: true"), QStringLiteral("found: ") + describe(walk.found)} + debugLines;
        // Written off the main thread; a failed write is of no consequence.
        runnerOrGlobalThreadPool({})([path = *debugDump, contents = lines.join(QLatin1Char('\n')).toUtf8()] { AtomicFile::write(path, contents); });
    }
    return walk.found;
}

} // namespace LoginUILocator
