#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

// Small questions to the X server that tests of real windows ask.
namespace testsupport {

inline xcb_atom_t internAtom(xcb_connection_t* conn, const char* name)
{
    auto* reply = xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 0, static_cast<uint16_t>(std::strlen(name)), name),
                                        nullptr);
    const xcb_atom_t atom = reply ? reply->atom : 0;
    std::free(reply);
    return atom;
}

// The window that has the keyboard input focus.
inline uint32_t inputFocus(xcb_connection_t* conn)
{
    auto* reply = xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr);
    const uint32_t window = reply ? reply->focus : 0;
    std::free(reply);
    return window;
}

} // namespace testsupport
