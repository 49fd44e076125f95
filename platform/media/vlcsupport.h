#pragma once

// Shared plumbing of the libVLC-based media services: owning handles, the one
// libVLC instance of the process and the hand-over of libVLC events to a Qt thread.
// Internal to platform/media.

#include <QObject>
#include <QStringList>

#include <vlc/vlc.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace platform::vlc {

template <typename T>
struct HandleTraits;

template <>
struct HandleTraits<libvlc_instance_t> {
    static void retain(libvlc_instance_t* p) { libvlc_retain(p); }
    static void release(libvlc_instance_t* p) { libvlc_release(p); }
};

template <>
struct HandleTraits<libvlc_media_t> {
    static void retain(libvlc_media_t* p) { libvlc_media_retain(p); }
    static void release(libvlc_media_t* p) { libvlc_media_release(p); }
};

template <>
struct HandleTraits<libvlc_media_player_t> {
    static void retain(libvlc_media_player_t* p) { libvlc_media_player_retain(p); }
    static void release(libvlc_media_player_t* p) { libvlc_media_player_release(p); }
};

template <>
struct HandleTraits<libvlc_media_list_t> {
    static void retain(libvlc_media_list_t* p) { libvlc_media_list_retain(p); }
    static void release(libvlc_media_list_t* p) { libvlc_media_list_release(p); }
};

// A counted reference to a libVLC object: copying retains, destruction releases.
template <typename T>
class Ref {
public:
    Ref() = default;
    // Takes over a reference the caller already holds (a libVLC "new" or "get" result).
    static Ref adopt(T* p)
    {
        Ref r;
        r.m_p = p;
        return r;
    }
    // Adds a reference of its own to an object someone else holds.
    static Ref share(T* p)
    {
        if (p)
            HandleTraits<T>::retain(p);
        return adopt(p);
    }

    Ref(const Ref& other) : m_p(other.m_p)
    {
        if (m_p)
            HandleTraits<T>::retain(m_p);
    }
    Ref(Ref&& other) noexcept : m_p(std::exchange(other.m_p, nullptr)) {}
    Ref& operator=(Ref other) noexcept
    {
        std::swap(m_p, other.m_p);
        return *this;
    }
    ~Ref() { reset(); }

    void reset()
    {
        if (T* p = std::exchange(m_p, nullptr))
            HandleTraits<T>::release(p);
    }

    T* get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

private:
    T* m_p = nullptr;
};

using InstanceRef = Ref<libvlc_instance_t>;
using MediaRef = Ref<libvlc_media_t>;
using PlayerRef = Ref<libvlc_media_player_t>;
using MediaListRef = Ref<libvlc_media_list_t>;

// The process's libVLC instance, created on first use with arguments(). An empty
// reference when libVLC cannot start (no plugins); creation is not tried again.
InstanceRef sharedInstance();
// True once the creation has been tried (whatever came of it): sharedInstance()
// then answers at once. Never waits for a creation under way on another thread.
bool sharedInstanceTried();

// Command-line arguments for the instance. Taken from setArguments when it was
// called, else from the environment variable VANTORA_VLC_ARGS (blank-separated),
// else defaultArguments(). Only the first creation uses them.
QStringList arguments();
void setArguments(const QStringList& args);
QStringList defaultArguments();

// A libVLC string (meta, MRL): copied and freed. Null stays null.
QString takeString(char* s);

// One libVLC event, copied out of the callback together with the generation
// that was current when libVLC raised it.
struct Event {
    int type = 0;
    quint64 generation = 0;
    float cache = 0; // buffering percent
    int value = 0;   // seekable flag, ES type
};

// Listens to some event types of one libVLC event manager and hands each event,
// queued, to `context`'s thread, where `handler` runs. The callback itself touches
// nothing but the atomic generation counter, which the owner bumps whenever it
// replaces or stops a media: the handler drops events of older generations.
// Destruction detaches; once it returns no callback runs any more. Events already
// queued still arrive as long as `context` lives, so the handler must not rely on
// the relay.
class EventRelay {
public:
    using Handler = std::function<void(const Event&)>;

    EventRelay(libvlc_event_manager_t* manager, std::initializer_list<libvlc_event_e> types,
               const std::atomic<quint64>* generation, QObject* context, Handler handler);
    ~EventRelay();
    EventRelay(const EventRelay&) = delete;
    EventRelay& operator=(const EventRelay&) = delete;

private:
    static void onEvent(const libvlc_event_t* event, void* self);

    libvlc_event_manager_t* m_manager;
    std::vector<libvlc_event_e> m_types;
    const std::atomic<quint64>* m_generation;
    QObject* m_context;
    Handler m_handler;
};

} // namespace platform::vlc
