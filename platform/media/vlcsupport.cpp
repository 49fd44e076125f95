#include "platform/media/vlcsupport.h"

#include "platform/base/appinfo.h"
#include "platform/media/soundoutput.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <mutex>

namespace platform::vlc {

namespace {

struct InstanceState {
    std::mutex lock;
    bool tried = false;
    bool argumentsSet = false;
    QStringList arguments;
    InstanceRef instance;
};

// Kept for the process's lifetime: libVLC unloads its plugins when the instance
// goes, while objects they made are still held, and the program ends without
// running destructors anyway.
InstanceState& state()
{
    static InstanceState* s = new InstanceState;
    return *s;
}

InstanceRef createInstance(const QStringList& args)
{
    QList<QByteArray> storage;
    std::vector<const char*> argv;
    for (const QString& a : args)
        storage.append(a.toLocal8Bit());
    for (const QByteArray& a : storage)
        argv.push_back(a.constData());
    InstanceRef instance = InstanceRef::adopt(libvlc_new(int(argv.size()), argv.data()));
    if (instance) {
        const QByteArray agent = "Vantora/" + appVersionText().toLatin1();
        libvlc_set_user_agent(instance.get(), "Vantora", agent.constData());
    }
    return instance;
}

} // namespace

QStringList defaultArguments()
{
    QStringList args{QStringLiteral("--quiet"), QStringLiteral("--no-video-title-show")};
    // With no device libVLC would fall back to ALSA, which prints its failures
    // on the terminal many times a second while anything plays.
    if (!soundOutputAvailable())
        args << QStringLiteral("--aout=adummy");
    return args;
}

QStringList arguments()
{
    InstanceState& s = state();
    std::lock_guard guard(s.lock);
    if (s.argumentsSet)
        return s.arguments;
    const QString fromEnv = qEnvironmentVariable("VANTORA_VLC_ARGS").trimmed();
    if (!fromEnv.isEmpty())
        return fromEnv.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    return defaultArguments();
}

void setArguments(const QStringList& args)
{
    InstanceState& s = state();
    std::lock_guard guard(s.lock);
    s.arguments = args;
    s.argumentsSet = true;
}

InstanceRef sharedInstance()
{
    const QStringList args = arguments();
    InstanceState& s = state();
    std::lock_guard guard(s.lock);
    if (!s.tried) {
        s.tried = true;
        s.instance = createInstance(args);
    }
    return s.instance;
}

bool sharedInstanceTried()
{
    InstanceState& s = state();
    std::unique_lock guard(s.lock, std::try_to_lock);
    return guard.owns_lock() && s.tried;
}

QString takeString(char* s)
{
    if (!s)
        return {};
    QString text = QString::fromUtf8(s);
    libvlc_free(s);
    return text;
}

EventRelay::EventRelay(libvlc_event_manager_t* manager, std::initializer_list<libvlc_event_e> types,
                       const std::atomic<quint64>* generation, QObject* context, Handler handler)
    : m_manager(manager), m_generation(generation), m_context(context), m_handler(std::move(handler))
{
    for (libvlc_event_e type : types) {
        if (libvlc_event_attach(m_manager, type, &EventRelay::onEvent, this) == 0)
            m_types.push_back(type);
    }
}

EventRelay::~EventRelay()
{
    for (libvlc_event_e type : m_types)
        libvlc_event_detach(m_manager, type, &EventRelay::onEvent, this);
}

void EventRelay::onEvent(const libvlc_event_t* event, void* self)
{
    const auto* relay = static_cast<const EventRelay*>(self);
    Event copy;
    copy.type = event->type;
    copy.generation = relay->m_generation->load();
    switch (event->type) {
    case libvlc_MediaPlayerBuffering: copy.cache = event->u.media_player_buffering.new_cache; break;
    case libvlc_MediaPlayerSeekableChanged: copy.value = event->u.media_player_seekable_changed.new_seekable; break;
    case libvlc_MediaPlayerESAdded: copy.value = event->u.media_player_es_changed.i_type; break;
    default: break;
    }
    QMetaObject::invokeMethod(
        relay->m_context, [handler = relay->m_handler, copy] { handler(copy); }, Qt::QueuedConnection);
}

} // namespace platform::vlc
