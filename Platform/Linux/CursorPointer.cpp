#include "Platform/Linux/CursorPointer.h"

#include "Platform/Linux/XcbConnection.h"
#include "Support/Log.h"

#include <QCursor>
#include <QTimer>

#include <xcb/xinput.h>

#include <cstdlib>
#include <memory>
#include <vector>

struct CursorPointer::Motion {
    XcbConnection *x11 = nullptr;
    XcbConnection::HandlerId handlerId = 0;
    uint8_t opcode = 0;
    std::vector<std::function<void()>> handlers;
    // Raw events come in bursts; the handlers run once per turn.
    bool queued = false;
    std::shared_ptr<Motion *> self = std::make_shared<Motion *>(this);

    void event(const xcb_generic_event_t &event)
    {
        if ((event.response_type & 0x7f) != XCB_GE_GENERIC)
            return;
        const auto &generic = reinterpret_cast<const xcb_ge_generic_event_t &>(event);
        if (generic.extension != opcode || generic.event_type != XCB_INPUT_RAW_MOTION || queued)
            return;
        queued = true;
        QTimer::singleShot(0, [alive = std::weak_ptr<Motion *>(self)] {
            if (const auto motion = alive.lock()) {
                (*motion)->queued = false;
                const auto handlers = (*motion)->handlers;
                for (const auto &handler : handlers)
                    handler();
            }
        });
    }

    ~Motion()
    {
        if (handlerId)
            x11->removeEventHandler(handlerId);
    }
};

namespace {

// Raw motion of every pointer device, selected on the root window; the
// extension's major opcode, or none without XInput 2.
std::optional<uint8_t> selectRawMotion(XcbConnection &x11)
{
    xcb_connection_t *connection = x11.connection();
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(connection, &xcb_input_id);
    if (!extension || !extension->present)
        return std::nullopt;
    std::unique_ptr<xcb_input_xi_query_version_reply_t, decltype(&free)> version(
        xcb_input_xi_query_version_reply(connection, xcb_input_xi_query_version(connection, 2, 2), nullptr), &free);
    if (!version || version->major_version < 2)
        return std::nullopt;
    struct {
        xcb_input_event_mask_t head;
        uint32_t mask;
    } selection{{XCB_INPUT_DEVICE_ALL, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
    xcb_generic_error_t *error = xcb_request_check(connection, xcb_input_xi_select_events_checked(connection, x11.root(), 1, &selection.head));
    std::free(error);
    if (error)
        return std::nullopt;
    return extension->major_opcode;
}

} // namespace

CursorPointer::CursorPointer(XcbConnection *x11)
    : m_x11(x11)
{
}

CursorPointer::~CursorPointer() = default;

std::optional<QPoint> CursorPointer::position() const
{
    return QCursor::pos();
}

bool CursorPointer::observeMotion(std::function<void()> handler)
{
    if (!m_motion) {
        if (!m_x11 || m_unsupported)
            return false;
        const std::optional<uint8_t> opcode = selectRawMotion(*m_x11);
        if (!opcode) {
            m_unsupported = true;
            qCWarning(lcPlatform, "Quib: no XInput 2 raw motion; the pointer is polled");
            return false;
        }
        m_motion = std::make_unique<Motion>();
        m_motion->x11 = m_x11;
        m_motion->opcode = *opcode;
        m_motion->handlerId = m_x11->addEventHandler([motion = m_motion.get()](const xcb_generic_event_t &event) { motion->event(event); });
    }
    m_motion->handlers.push_back(std::move(handler));
    return true;
}
