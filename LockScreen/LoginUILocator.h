#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

// Finds the login window's own controls (the user's picture, name, password
// field and buttons) so the lock-screen backdrop can leave them clear.
namespace LoginUILocator {

struct Item {
    enum class Shape { circle, capsule };

    // Global screen coordinates: origin at the top-left of the desktop, y
    // downwards.
    QRectF frame;
    Shape shape = Shape::capsule;

    bool operator==(const Item &) const = default;
};

// One element of the login window's accessibility tree.
class Element {
public:
    virtual ~Element() = default;
    // "AXRole" and "AXSubrole"; empty when absent.
    virtual QString role() const = 0;
    virtual QString subrole() const = 0;
    // In global screen coordinates (origin top-left); none when the element
    // does not tell its position and size.
    virtual std::optional<QRectF> frame() const = 0;
    virtual std::vector<std::unique_ptr<Element>> children() const = 0;
};

// Where the login window's controls can be read.
class Tree {
public:
    virtual ~Tree() = default;
    // Whether this process may read other programs' controls.
    virtual bool isTrusted() const = 0;
    // The login window's application element; none when it does not run.
    virtual std::unique_ptr<Element> loginWindow() const = 0;
};

// The walk stops below this depth and after this many elements.
constexpr int deepestLevel = 13;
constexpr int mostElements = 600;
// The picture added above the highest control when none was found.
constexpr double avatarSize = 54;
constexpr double avatarGap = 14;
// The diagnostic dump of each search, while "debugHooks" is on.
inline const QString debugFile = QStringLiteral("/tmp/quib-loginwindow.txt");

// The controls on the screen at `screenFrame`, in the order found, depth
// first. This desktop offers no source of the login window's controls, so
// the list is always empty.
QList<Item> items(const QRect &screenFrame);
// The same read from `tree`. With `debugDump`, the tree as walked and the
// result are written there (not when the tree cannot be read).
QList<Item> items(const Tree &tree, const QRect &screenFrame, const std::optional<QString> &debugDump = std::nullopt);

// The rules of the walk, for one element's rectangle `frame` on the screen
// at `screenFrame`: whether it is placed like a login control (small, in the
// lower 45 % of the screen, near the middle), and what its roles make it.
bool isCandidate(const QRectF &frame, const QRectF &screenFrame);
std::optional<Item::Shape> shape(const QString &role, const QString &subrole);
// Appends the picture the login window shows above its controls when the
// list has controls but no picture.
void addAvatarIfMissing(QList<Item> &items);

} // namespace LoginUILocator
