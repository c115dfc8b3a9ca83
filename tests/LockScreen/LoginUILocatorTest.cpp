#include "LockScreen/LoginUILocator.h"
#include "Wait.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using LoginUILocator::Item;

namespace {

// A node of a described accessibility tree.
struct Node {
    QString role;
    QString subrole;
    std::optional<QRectF> frame;
    std::vector<Node> children;
};

class NodeElement final : public LoginUILocator::Element {
public:
    explicit NodeElement(const Node &node)
        : m_node(node)
    {
    }
    QString role() const override { return m_node.role; }
    QString subrole() const override { return m_node.subrole; }
    std::optional<QRectF> frame() const override { return m_node.frame; }
    std::vector<std::unique_ptr<LoginUILocator::Element>> children() const override
    {
        std::vector<std::unique_ptr<LoginUILocator::Element>> elements;
        for (const Node &child : m_node.children)
            elements.push_back(std::make_unique<NodeElement>(child));
        return elements;
    }

private:
    const Node &m_node;
};

class DescribedTree final : public LoginUILocator::Tree {
public:
    bool isTrusted() const override { return trusted; }
    std::unique_ptr<LoginUILocator::Element> loginWindow() const override
    {
        return root ? std::make_unique<NodeElement>(*root) : nullptr;
    }

    bool trusted = true;
    std::optional<Node> root;
};

// A screen 1000 × 1000 at the desktop's origin: controls belong in its
// lower 45 %, below y = 550.
const QRect screen(0, 0, 1000, 1000);

Node element(const QString &role, const QRectF &frame, const QString &subrole = {})
{
    return Node{role, subrole, frame, {}};
}

// The login window as it usually is: a window without a rectangle of its
// own, a group with the name, the password field and a button, and a
// picture beside the group.
Node loginWindow()
{
    Node group{QStringLiteral("AXGroup"), {}, QRectF(300, 560, 400, 200), {}};
    group.children = {element(QStringLiteral("AXStaticText"), QRectF(450, 640, 100, 20)),
                      element(QStringLiteral("AXTextField"), QRectF(420, 670, 160, 28), QStringLiteral("AXSecureTextField")),
                      element(QStringLiteral("AXButton"), QRectF(590, 672, 24, 24))};
    Node window{QStringLiteral("AXWindow"), {}, std::nullopt, {group, element(QStringLiteral("AXImage"), QRectF(460, 570, 80, 60))}};
    return Node{QStringLiteral("AXApplication"), {}, std::nullopt, {window}};
}

TEST(LoginUILocator, CandidatesAreSmallControlsInTheLowerMiddleOfTheScreen)
{
    struct Row {
        const char *name;
        QRectF frame;
        QRect screen;
        bool candidate;
    };
    const QRect second(1920, 200, 1000, 1000);
    const Row rows[] = {
        {"a field in the lower middle", QRectF(400, 700, 200, 30), screen, true},
        {"a 3 × 20 element", QRectF(498, 700, 3, 20), screen, false},
        {"a 20 × 4 element", QRectF(490, 700, 20, 4), screen, false},
        {"centre exactly at 45 % from the bottom", QRectF(400, 535, 200, 30), screen, false},
        {"centre just below it", QRectF(400, 536, 200, 30), screen, true},
        {"half the screen wide", QRectF(250, 700, 500, 30), screen, false},
        {"centre 300 points beside the middle", QRectF(750, 700, 100, 30), screen, false},
        {"centre 299 points beside the middle", QRectF(749, 700, 100, 30), screen, true},
        {"0.3 of the screen high", QRectF(400, 650, 100, 300), screen, false},
        {"below the screen", QRectF(400, 1010, 200, 30), screen, false},
        {"on a second screen, in its own lower middle", QRectF(2320, 900, 200, 30), second, true},
        {"on a second screen, in its upper half", QRectF(2320, 400, 200, 30), second, false},
        {"on the first screen, asked for the second", QRectF(400, 700, 200, 30), second, false},
    };
    for (const Row &row : rows)
        EXPECT_EQ(LoginUILocator::isCandidate(row.frame, QRectF(row.screen)), row.candidate) << row.name;
}

TEST(LoginUILocator, RolesGiveShapes)
{
    using Shape = Item::Shape;
    struct Row {
        const char *role;
        const char *subrole;
        std::optional<Shape> shape;
    };
    const Row rows[] = {
        {"AXImage", "", Shape::circle},
        {"AXTextField", "AXSecureTextField", Shape::capsule},
        {"AXTextField", "", Shape::capsule},
        {"AXStaticText", "", Shape::capsule},
        {"AXButton", "", Shape::capsule},
        {"AXGroup", "AXSecureTextField", Shape::capsule},
        {"AXGroup", "", std::nullopt},
        {"AXWindow", "AXStandardWindow", std::nullopt},
        {"", "", std::nullopt},
    };
    for (const Row &row : rows)
        EXPECT_EQ(LoginUILocator::shape(row.role, row.subrole), row.shape) << row.role << " " << row.subrole;
}

TEST(LoginUILocator, WalksTheTreeDepthFirst)
{
    DescribedTree tree;
    tree.root = loginWindow();
    const QList<Item> expected{
        {QRectF(450, 640, 100, 20), Item::Shape::capsule},
        {QRectF(420, 670, 160, 28), Item::Shape::capsule},
        {QRectF(590, 672, 24, 24), Item::Shape::capsule},
        {QRectF(460, 570, 80, 60), Item::Shape::circle},
    };
    EXPECT_EQ(LoginUILocator::items(tree, screen), expected);
}

TEST(LoginUILocator, StopsBelowFourteenLevels)
{
    // A chain of groups with a field at every level, each field lower than
    // the one before.
    Node root{QStringLiteral("AXApplication"), {}, std::nullopt, {}};
    Node *parent = &root;
    for (int depth = 1; depth <= 16; ++depth) {
        parent->children = {element(QStringLiteral("AXTextField"), QRectF(400, 600 + 10 * depth, 200, 8)),
                            Node{QStringLiteral("AXGroup"), {}, std::nullopt, {}}};
        parent = &parent->children.back();
    }
    DescribedTree tree;
    tree.root = root;
    const QList<Item> found = LoginUILocator::items(tree, screen);
    // Fields at depths 1 to 13, then the picture added above them.
    ASSERT_EQ(found.size(), 14);
    EXPECT_EQ(found[12].frame, QRectF(400, 730, 200, 8));
    EXPECT_EQ(found.last().shape, Item::Shape::circle);
}

TEST(LoginUILocator, VisitsAtMostSixHundredElements)
{
    Node root{QStringLiteral("AXApplication"), {}, std::nullopt, {}};
    for (int index = 0; index < 700; ++index)
        root.children.push_back(element(QStringLiteral("AXImage"), QRectF(400, 700, 20, 20)));
    DescribedTree tree;
    tree.root = root;
    // The application itself is the first of the 600.
    EXPECT_EQ(LoginUILocator::items(tree, screen).size(), 599);
}

TEST(LoginUILocator, AddsThePictureAboveTheHighestControl)
{
    QList<Item> items{{QRectF(420, 670, 160, 28), Item::Shape::capsule}, {QRectF(450, 640, 100, 20), Item::Shape::capsule}};
    LoginUILocator::addAvatarIfMissing(items);
    ASSERT_EQ(items.size(), 3);
    // Centred on the name, its bottom edge 14 points above the name's top.
    EXPECT_EQ(items.last(), (Item{QRectF(473, 572, 54, 54), Item::Shape::circle}));

    QList<Item> level{{QRectF(100, 600, 100, 20), Item::Shape::capsule}, {QRectF(300, 590, 100, 40), Item::Shape::capsule}};
    LoginUILocator::addAvatarIfMissing(level);
    EXPECT_EQ(level.last().frame, QRectF(123, 532, 54, 54)) << "equal centres: the earlier item";

    QList<Item> withPicture{{QRectF(460, 570, 80, 60), Item::Shape::circle}, {QRectF(450, 640, 100, 20), Item::Shape::capsule}};
    LoginUILocator::addAvatarIfMissing(withPicture);
    EXPECT_EQ(withPicture.size(), 2);

    QList<Item> none;
    LoginUILocator::addAvatarIfMissing(none);
    EXPECT_TRUE(none.isEmpty());
}

TEST(LoginUILocator, FindsNothingWithoutTrustOrLoginWindow)
{
    const QTemporaryDir folder;
    const QString dump = folder.filePath(QStringLiteral("loginwindow.txt"));
    DescribedTree untrusted;
    untrusted.trusted = false;
    untrusted.root = loginWindow();
    EXPECT_TRUE(LoginUILocator::items(untrusted, screen, dump).isEmpty());

    DescribedTree noLoginWindow;
    EXPECT_TRUE(LoginUILocator::items(noLoginWindow, screen, dump).isEmpty());

    DescribedTree trusted;
    trusted.root = loginWindow();
    EXPECT_TRUE(LoginUILocator::items(trusted, QRect(), dump).isEmpty()) << "no screen";
    EXPECT_FALSE(QFile::exists(dump));
}

TEST(LoginUILocator, ThisDesktopOffersNoLoginWindowControls)
{
    EXPECT_TRUE(LoginUILocator::items(screen).isEmpty());
}

TEST(LoginUILocator, WritesTheWalkToTheDiagnosticFile)
{
    const QTemporaryDir folder;
    const QString dump = folder.filePath(QStringLiteral("loginwindow.txt"));
    Node root{QStringLiteral("AXApplication"), {}, QRectF(0, 0, 1000, 1000), {}};
    root.children = {element(QStringLiteral("AXStaticText"), QRectF(450, 640, 100, 20)), Node{QStringLiteral("AXGroup"), {}, std::nullopt, {}}};
    DescribedTree tree;
    tree.root = root;
    LoginUILocator::items(tree, screen, dump);

    ASSERT_TRUE(waitUntil([&] { return QFile::exists(dump); }));
    QFile file(dump);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    const QStringList expected{
        QStringLiteral("trusted: true"),
        QStringLiteral("found: [capsule (450, 640, 100, 20), circle (473, 572, 54, 54)]"),
        QStringLiteral("AXApplication  (0, 0, 1000, 1000)"),
        QStringLiteral(" AXStaticText  (450, 640, 100, 20)"),
    };
    EXPECT_EQ(lines, expected);
}

} // namespace
