#include "platform/linux/XcbWindowSystem.h"

#include "platform/WorkArea.h"
#include "platform/linux/XcbHotkey.h"

#include <QGuiApplication>
#include <QScreen>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {
template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
template <typename T> Reply<T> reply(T *value) {
    return Reply<T>(value, &std::free);
}

// Presses of these buttons dismiss; the wheel's (4 to 7) and the side buttons' do not.
bool dismissingButton(uint32_t button) {
    return button >= 1 && button <= 3;
}

bool anyPopupShows() {
    const QList<QWindow *> windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.begin(), windows.end(), [](const QWindow *window) {
        return window->isVisible() && window->type() == Qt::Popup;
    });
}

// After one of our dialogs maps, the launcher stacks itself under it again at these times.
constexpr int restackDelaysMs[] = {60, 200, 600};
} // namespace

XcbWindowSystem::XcbWindowSystem(XcbHotkey *hotkey, QObject *parent)
    : WindowSystem(parent), m_hotkey(hotkey) {
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    m_connection = x11->connection();
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    m_root = xcb_setup_roots_iterator(setup).data->root;
    m_resourceBase = setup->resource_id_base;
    m_resourceMask = setup->resource_id_mask;
    if (const xcb_query_extension_reply_t *input = xcb_get_extension_data(m_connection, &xcb_input_id);
        input && input->present) {
        // Selecting nothing tells whether the server takes X Input 2 selections from us at all.
        struct {
            xcb_input_event_mask_t head;
            uint32_t bits;
        } none{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, 0};
        if (xcb_generic_error_t *error = xcb_request_check(
                m_connection, xcb_input_xi_select_events_checked(m_connection, m_root, 1, &none.head)))
            std::free(error);
        else
            m_inputOpcode = input->major_opcode;
    }
    m_restack.setSingleShot(true);
    connect(&m_restack, &QTimer::timeout, this, [this] {
        if (!m_keptAbove)
            return;
        stackUnder(m_keptAbove);
        xcb_flush(m_connection);
        if (++m_restacks < int(std::size(restackDelaysMs)))
            m_restack.start(restackDelaysMs[m_restacks]);
    });
    m_keep.setSingleShot(true);
    m_keep.setInterval(0);
    connect(&m_keep, &QTimer::timeout, this, [this] { keepKeyboard(false); });
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this] {
        if (m_launcher)
            m_keep.start();
    });
    if (m_hotkey)
        m_hotkey->setKeyboardReleased([this] {
            if (m_launcher)
                keepKeyboard(false);
        });
    qGuiApp->installNativeEventFilter(this);
}

XcbWindowSystem::~XcbWindowSystem() {
    if (m_hotkey)
        m_hotkey->setKeyboardReleased(nullptr);
    if (qGuiApp && m_connection)
        qGuiApp->removeNativeEventFilter(this);
}

uint32_t XcbWindowSystem::atom(const char *name) const {
    auto answer = reply(xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 1, uint16_t(std::strlen(name)), name), nullptr));
    return answer ? answer->atom : uint32_t(XCB_ATOM_NONE);
}

// Every resource a client creates carries the client's id base: the windows of our own connection,
// including the tray icon embedded in another program's panel.
bool XcbWindowSystem::isOwnWindow(uint32_t window) const {
    return window && (window & ~m_resourceMask) == m_resourceBase;
}

bool XcbWindowSystem::pointerOverOwnWindow() const {
    uint32_t window = m_root;
    for (int depth = 0; depth < 16 && window != XCB_WINDOW_NONE; ++depth) {
        auto answer =
            reply(xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, window), nullptr));
        if (!answer)
            return false;
        window = answer->child;
        if (isOwnWindow(window))
            return true;
    }
    return false;
}

uint32_t XcbWindowSystem::topLevelOf(uint32_t window) const {
    for (int depth = 0; depth < 16; ++depth) {
        auto tree = reply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, window), nullptr));
        if (!tree)
            return XCB_WINDOW_NONE;
        if (tree->parent == tree->root || tree->parent == XCB_WINDOW_NONE)
            return window;
        window = tree->parent;
    }
    return XCB_WINDOW_NONE;
}

void XcbWindowSystem::selectPresses(bool on) {
    if (!m_inputOpcode)
        return;
    struct {
        xcb_input_event_mask_t head;
        uint32_t bits;
    } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0};
    xcb_input_xi_select_events(m_connection, m_root, 1, &mask.head);
    xcb_flush(m_connection);
}

QRect XcbWindowSystem::workArea(const QRect &screenGeometry, const QRect &fallback) const {
    if (!m_connection)
        return fallback;
    // Docks are the root's children, or their children where a manager reparents them into frames (not
    // every manager lists its docks among its clients).
    std::vector<uint32_t> windows;
    if (auto tree =
            reply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr))) {
        const xcb_window_t *children = xcb_query_tree_children(tree.get());
        std::vector<xcb_query_tree_cookie_t> inner;
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            if (isOwnWindow(children[i]))
                continue;
            windows.push_back(children[i]);
            inner.push_back(xcb_query_tree(m_connection, children[i]));
        }
        for (const xcb_query_tree_cookie_t cookie : inner) {
            if (auto frame = reply(xcb_query_tree_reply(m_connection, cookie, nullptr))) {
                const xcb_window_t *clients = xcb_query_tree_children(frame.get());
                windows.insert(windows.end(), clients, clients + xcb_query_tree_children_length(frame.get()));
            }
        }
    }
    const uint32_t partial = atom("_NET_WM_STRUT_PARTIAL");
    const uint32_t plain = atom("_NET_WM_STRUT");
    struct Asked {
        xcb_get_property_cookie_t partial, plain;
        xcb_get_window_attributes_cookie_t attributes;
    };
    std::vector<Asked> asked;
    asked.reserve(windows.size());
    for (const uint32_t window : windows)
        asked.push_back({xcb_get_property(m_connection, 0, window, partial, XCB_ATOM_CARDINAL, 0, 12),
                         xcb_get_property(m_connection, 0, window, plain, XCB_ATOM_CARDINAL, 0, 4),
                         xcb_get_window_attributes(m_connection, window)});
    QList<DockStrut> struts;
    for (const Asked &question : asked) {
        auto full = reply(xcb_get_property_reply(m_connection, question.partial, nullptr));
        auto four = reply(xcb_get_property_reply(m_connection, question.plain, nullptr));
        auto attributes = reply(xcb_get_window_attributes_reply(m_connection, question.attributes, nullptr));
        if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        DockStrut strut;
        if (full && full->format == 32 && xcb_get_property_value_length(full.get()) >= 48) {
            std::memcpy(&strut, xcb_get_property_value(full.get()), sizeof strut);
        } else if (four && four->format == 32 && xcb_get_property_value_length(four.get()) >= 16) {
            const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(four.get()));
            strut.left = values[0], strut.right = values[1], strut.top = values[2], strut.bottom = values[3];
            strut.leftEnd = strut.rightEnd = strut.topEnd = strut.bottomEnd = UINT32_MAX / 2;
        } else {
            continue;
        }
        struts.push_back(strut);
    }
    if (struts.isEmpty())
        return fallback;

    // Struts are in the display's pixels; Qt's geometry may be scaled.
    const qreal ratio = qGuiApp->primaryScreen() ? qGuiApp->primaryScreen()->devicePixelRatio() : 1.0;
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
    const int width = screen->width_in_pixels, height = screen->height_in_pixels;
    const QRect native(
        QPoint(qRound(screenGeometry.x() * ratio), qRound(screenGeometry.y() * ratio)),
        QSize(qRound(screenGeometry.width() * ratio), qRound(screenGeometry.height() * ratio)));
    const QRect area = workAreaFromStruts(native, QSize(width, height), struts);
    if (area.isEmpty())
        return fallback;
    return QRect(QPoint(qRound(area.x() / ratio), qRound(area.y() / ratio)),
                 QSize(qRound(area.width() / ratio), qRound(area.height() / ratio)));
}

void XcbWindowSystem::launcherShown(QWindow *window) {
    if (!m_connection || !window)
        return;
    const bool again = m_launcher == window;
    m_launcher = window;
    m_pressedOutside = false;
    if (!again) {
        auto focus =
            reply(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        m_focusBefore = focus && focus->focus > XCB_INPUT_FOCUS_POINTER_ROOT && focus->focus != m_root &&
                                !isOwnWindow(focus->focus)
                            ? focus->focus
                            : uint32_t(XCB_WINDOW_NONE);
    }
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_connection, xcb_window_t(window->winId()), XCB_CONFIG_WINDOW_STACK_MODE, &above);
    selectPresses(true);
    keepKeyboard(true);
}

void XcbWindowSystem::launcherHiding(QWindow *window) {
    if (!m_connection || !m_launcher || m_launcher != window)
        return;
    m_launcher.clear();
    m_keep.stop();
    m_restack.stop();
    m_keptAbove = XCB_WINDOW_NONE;
    m_lowered = false;
    selectPresses(false);
    releaseKeyboard();
    // The focus goes back to the window that had it, unless the press that dismissed the launcher gives
    // it to another (a focus set now would win over the window manager's own for that click).
    auto focus = reply(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    const bool ours = focus && (focus->focus <= XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == m_root ||
                                isOwnWindow(focus->focus));
    if (ours && !m_pressedOutside) {
        auto attributes =
            m_focusBefore
                ? reply(xcb_get_window_attributes_reply(
                      m_connection, xcb_get_window_attributes(m_connection, m_focusBefore), nullptr))
                : Reply<xcb_get_window_attributes_reply_t>(nullptr, &std::free);
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE)
            xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, m_focusBefore, XCB_CURRENT_TIME);
        else
            xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_POINTER_ROOT, XCB_INPUT_FOCUS_POINTER_ROOT,
                                XCB_CURRENT_TIME);
    }
    m_focusBefore = XCB_WINDOW_NONE;
    xcb_flush(m_connection);
}

void XcbWindowSystem::keepKeyboard(bool summoned) {
    if (!m_launcher || !m_launcher->isVisible() || anyPopupShows())
        return;
    const auto launcher = xcb_window_t(m_launcher->winId());
    // A dialog of ours has the keyboard, or is about to: a modal one from the moment it shows, before the
    // manager hands it the focus (a grab taken meanwhile would pull Qt's keys back to the launcher). It is
    // stacked above the launcher and keeps the keyboard.
    QWindow *dialog = QGuiApplication::modalWindow();
    if (QWindow *focus = QGuiApplication::focusWindow();
        !dialog && focus && focus != m_launcher && focus->isVisible())
        dialog = focus;
    if (!summoned && dialog) {
        releaseKeyboard();
        stackUnder(xcb_window_t(dialog->winId()));
        xcb_flush(m_connection);
        return;
    }
    if (m_lowered) {
        m_lowered = false;
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(m_connection, launcher, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    }
    // The hotkey's hold sends the keys typed since Alt+Z on to the launcher, in order; it hands the
    // keyboard over when typing pauses (setKeyboardReleased).
    if (!m_hotkey || !m_hotkey->holdsKeyboard()) {
        auto grab =
            reply(xcb_grab_keyboard_reply(m_connection,
                                          xcb_grab_keyboard(m_connection, 1, launcher, XCB_CURRENT_TIME,
                                                            XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                                          nullptr));
        m_grabbed = grab && grab->status == XCB_GRAB_STATUS_SUCCESS;
        if (m_hotkey)
            m_hotkey->setActiveGrabWindow(m_grabbed ? launcher : 0);
    }
    // The focus is taken once a showing and again when it was lost to nothing (a window that closed); a
    // manager that takes it back each time is left to it, since the grab brings the keys all the same.
    auto current = reply(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    const bool ours = current && isOwnWindow(current->focus);
    if (!ours && (summoned || m_focusTakes < maxFocusTakes)) {
        m_focusTakes = summoned ? 0 : m_focusTakes + 1;
        xcb_set_input_focus(m_connection, XCB_INPUT_FOCUS_PARENT, launcher, XCB_CURRENT_TIME);
    }
    xcb_flush(m_connection);
}

void XcbWindowSystem::releaseKeyboard() {
    if (m_hotkey)
        m_hotkey->setActiveGrabWindow(0);
    if (!m_grabbed)
        return;
    xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
    m_grabbed = false;
}

// Stacks the launcher right under the top-level (frame) of one of the program's other windows, so that
// a prompt or a file dialog it opens shows above it while it stays above everything else.
void XcbWindowSystem::stackUnder(uint32_t window) {
    if (!m_launcher || !window || window == xcb_window_t(m_launcher->winId()))
        return;
    const uint32_t top = topLevelOf(window);
    if (!top)
        return;
    const auto launcher = xcb_window_t(m_launcher->winId());
    const uint32_t values[] = {top, XCB_STACK_MODE_BELOW};
    if (xcb_generic_error_t *error = xcb_request_check(
            m_connection,
            xcb_configure_window_checked(m_connection, launcher,
                                         XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE, values)))
        std::free(error);
    // A manager that keeps windows it does not manage above its own (mutter) undoes that: the launcher
    // then goes to the bottom while the dialog shows, as a window of the normal level would.
    if (isAbove(launcher, top)) {
        const uint32_t bottom = XCB_STACK_MODE_BELOW;
        xcb_configure_window(m_connection, launcher, XCB_CONFIG_WINDOW_STACK_MODE, &bottom);
        m_lowered = true;
    }
}

bool XcbWindowSystem::isAbove(uint32_t window, uint32_t other) const {
    auto tree = reply(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
    if (!tree)
        return false;
    const xcb_window_t *children = xcb_query_tree_children(tree.get()); // bottom to top
    const int count = xcb_query_tree_children_length(tree.get());
    const auto at = [&](uint32_t w) { return int(std::find(children, children + count, w) - children); };
    return at(window) < count && at(other) < count && at(window) > at(other);
}

bool XcbWindowSystem::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) {
    if (eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    switch (event->response_type & 0x7f) {
    case XCB_GE_GENERIC: {
        auto *generic = reinterpret_cast<xcb_ge_generic_event_t *>(event);
        if (!m_inputOpcode || generic->extension != m_inputOpcode ||
            generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
            return false;
        auto *press = reinterpret_cast<xcb_input_raw_button_press_event_t *>(event);
        // A press while one of Qt's menus is open only closes the menu.
        if (m_launcher && dismissingButton(press->detail) && !anyPopupShows() && !pointerOverOwnWindow()) {
            m_pressedOutside = true;
            Q_EMIT pressedOutside();
        }
        return true;
    }
    case XCB_FOCUS_IN:
    case XCB_FOCUS_OUT: {
        // A grab that ended (the hotkey's, or a menu's that replaced ours) or a focus that went elsewhere.
        // A dialog of ours that closed leaves the focus to whatever the manager picks next.
        auto *focus = reinterpret_cast<xcb_focus_in_event_t *>(event);
        if (m_launcher && (focus->mode == XCB_NOTIFY_MODE_UNGRAB ||
                           ((event->response_type & 0x7f) == XCB_FOCUS_OUT && isOwnWindow(focus->event))))
            m_keep.start();
        return false;
    }
    case XCB_MAP_NOTIFY: {
        auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
        if (m_launcher && !map->override_redirect && isOwnWindow(map->window) &&
            map->window != xcb_window_t(m_launcher->winId())) {
            // The manager stacks the new window's frame after mapping it, some in more than one step.
            m_keptAbove = map->window;
            m_restacks = 0;
            stackUnder(map->window);
            m_restack.start(restackDelaysMs[0]);
        }
        return false;
    }
    case XCB_CONFIGURE_NOTIFY: {
        // Restacked over a dialog of ours by the manager: under it again.
        auto *configure = reinterpret_cast<xcb_configure_notify_event_t *>(event);
        if (m_launcher && m_keptAbove && configure->window == xcb_window_t(m_launcher->winId()) && !m_lowered)
            m_restack.start(0);
        return false;
    }
    case XCB_UNMAP_NOTIFY:
        if (reinterpret_cast<xcb_unmap_notify_event_t *>(event)->window == m_keptAbove) {
            m_keptAbove = XCB_WINDOW_NONE;
            m_restack.stop();
        }
        return false;
    default:
        return false;
    }
}
