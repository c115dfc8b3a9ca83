#include "PrivateBus.h"
#include "PrivateDisplay.h"
#include "QuibProcess.h"
#include "Wait.h"

#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <memory>

namespace {

const QSize desktop(1280, 800);

// A client of the private display: paints the root white, so the notch shows
// against it, and plays another program's windows.
class Desktop {
public:
    explicit Desktop(const QString &display)
        : m_connection(xcb_connect(display.toUtf8().constData(), nullptr), xcb_disconnect)
    {
        if (xcb_connection_has_error(m_connection.get()))
            return;
        m_screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection.get())).data;
        xcb_ewmh_init_atoms_replies(&m_ewmh, xcb_ewmh_init_atoms(m_connection.get(), &m_ewmh), nullptr);
        const uint32_t white = m_screen->white_pixel;
        xcb_change_window_attributes(m_connection.get(), m_screen->root, XCB_CW_BACK_PIXEL, &white);
        xcb_clear_area(m_connection.get(), 0, m_screen->root, 0, 0, 0, 0);
        sync();
    }
    ~Desktop()
    {
        if (m_screen)
            xcb_ewmh_connection_wipe(&m_ewmh);
    }
    bool isConnected() const { return m_screen != nullptr; }

    // A small window that says it is full screen, made the active one: the
    // notch's screen then shows a full-screen window, while the window
    // itself stays clear of the notch.
    void showFullScreenWindow()
    {
        xcb_connection_t *c = m_connection.get();
        const xcb_window_t window = xcb_generate_id(c);
        const uint32_t grey = m_screen->black_pixel;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, window, m_screen->root, 100, 600, 200, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL, &grey);
        xcb_atom_t fullscreen = m_ewmh._NET_WM_STATE_FULLSCREEN;
        xcb_ewmh_set_wm_state(&m_ewmh, window, 1, &fullscreen);
        xcb_map_window(c, window);
        xcb_ewmh_set_client_list(&m_ewmh, 0, 1, const_cast<xcb_window_t *>(&window));
        xcb_ewmh_set_active_window(&m_ewmh, 0, window);
        sync();
    }

private:
    void sync() { free(xcb_get_input_focus_reply(m_connection.get(), xcb_get_input_focus(m_connection.get()), nullptr)); }

    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> m_connection;
    xcb_screen_t *m_screen = nullptr;
    xcb_ewmh_connection_t m_ewmh{};
};

class NotchPanelE2eTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isRunning());
        ASSERT_TRUE(display.isRunning());
        ASSERT_TRUE(desktopClient.isConnected());
        quib.environment().insert(QStringLiteral("DISPLAY"), display.name());
        quib.environment().insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        app = std::make_unique<RunningQuib>(quib);
        ASSERT_TRUE(app->waitUntilReady(observer));
    }

    // The bounds of what is not the white desktop in the top part of the
    // screen, as a screenshot of the root window shows it.
    QRect notchBounds() const
    {
        QProcess shot;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), display.name());
        shot.setProcessEnvironment(environment);
        shot.start(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")});
        if (!shot.waitForFinished(5000))
            return {};
        const QImage image = QImage::fromData(shot.readAllStandardOutput(), "PNG");
        QRect bounds;
        for (int y = 0; y < std::min(image.height(), 400); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qGray(image.pixel(x, y)) < 128)
                    bounds |= QRect(x, y, 1, 1);
            }
        }
        return bounds;
    }

    // Waits (bounded) for the notch to rest at `size`, hung centred from the
    // top edge. The ears taper to a point along the top edge, so their
    // outermost pixels are lighter than the threshold.
    bool waitForNotch(const QSize &size, int milliseconds = 8000)
    {
        return waitUntil(
            [&] {
                last = notchBounds();
                return last.top() == 0 && last.width() <= size.width() && last.width() >= size.width() - 6 && std::abs(last.height() - size.height()) <= 1
                    && std::abs(last.center().x() + 0.5 - desktop.width() / 2.0) <= 1;
            },
            milliseconds);
    }

    PrivateBus bus;
    QDBusConnection observer = bus.connect(QStringLiteral("observer"));
    PrivateDisplay display{desktop};
    Desktop desktopClient{display.name()};
    QuibProcess quib;
    std::unique_ptr<RunningQuib> app;
    QRect last;
};

} // namespace

// The private display has no top panel and no compositor: a simulated notch
// of 190 × 32, a banner of 380 × 104 (the notch height plus 72).
TEST_F(NotchPanelE2eTest, NotchShowsAtTheTopCentreAndABannerGrowsItForItsDuration)
{
    EXPECT_TRUE(waitForNotch(QSize(190, 32))) << "last seen " << last.x() << "," << last.y() << " " << last.width() << "x" << last.height();

    const auto result = quib.run({QStringLiteral("notify"), QStringLiteral("--title"), QStringLiteral("T"), QStringLiteral("--body"),
                                  QStringLiteral("B"), QStringLiteral("--duration"), QStringLiteral("2")});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(waitForNotch(QSize(380, 104))) << "last seen " << last.width() << "x" << last.height();
    EXPECT_TRUE(waitForNotch(QSize(190, 32))) << "last seen " << last.width() << "x" << last.height();
}

TEST_F(NotchPanelE2eTest, FullScreenWindowHidesTheNotchOfItsScreen)
{
    ASSERT_TRUE(waitForNotch(QSize(190, 32)));
    desktopClient.showFullScreenWindow();
    EXPECT_TRUE(waitUntil([&] { return notchBounds().top() > 0 || notchBounds().isEmpty(); }, 5000));
    // Only the window is left to see.
    EXPECT_EQ(notchBounds(), QRect(100, 600, 200, 100).intersected(QRect(0, 0, desktop.width(), 400)));
}
