// One connection per sensor, driven by a network thread of our own: it connects, runs libmosquitto's
// loop and hands queued messages to it, and it alone calls libmosquitto after start(). The monitor's
// thread only takes this object's mutex for a moment to queue a message, so a broker that is slow,
// away or unknown can never hold it up.
//
// Why not mosquitto_loop_start's thread: when it meets certain failures (a broker refusing the
// client certificate ends it, a failed reconnect is retried without a word) nobody learns of them, and
// the user must be told what went wrong, once, and whether it is retried.

#include "monitor/mqtt_publisher.h"

#include <mosquitto.h>
#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "monitor/wake_pipe.h"

#ifdef _WIN32
#include <process.h>
#else
#include <netdb.h>
#include <unistd.h>
#endif

namespace torv {
namespace {

// QoS 1 messages handed to libmosquitto and not yet acknowledged. A window keeps libmosquitto's own
// queue (which has no limit) short, so that the limit and what is dropped stay ours.
constexpr unsigned kInFlightWindow = 20;
// The longest the network thread waits for the broker's socket or new work before it looks at the
// keep-alive and the connection's time-out again.
constexpr int kLoopTimeoutMs = 100;
// Retries after 1, 2, 4 ... seconds, at most every 30 s; after a connection that worked, from 1 s again.
constexpr std::chrono::seconds kFirstRetry{1};
constexpr std::chrono::seconds kLongestRetry{30};
// After stop()'s grace, how long the network thread may take to say goodbye before it is left to end
// by itself (it may be stuck looking up a host name).
constexpr std::chrono::milliseconds kFarewell{500};
constexpr int kFarewellLoops = 5;

enum class Kind : std::size_t { kJudgement, kAlarm, kStats, kStatus };
constexpr std::array<const char*, 4> kKindNames{"judgement", "alarm", "stats", "status"};

struct Message {
    Kind kind;
    std::string payload;
};

bool Retained(Kind kind) {
    return kind == Kind::kStats || kind == Kind::kStatus;
}

// "Connection refused" -> "connection refused", as the middle of a sentence.
std::string Lowered(std::string text) {
    if (!text.empty() && text.front() >= 'A' && text.front() <= 'Z' &&
        (text.size() < 2 || !(text[1] >= 'A' && text[1] <= 'Z'))) {
        text.front() = static_cast<char>(text.front() - 'A' + 'a');
    }
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

std::string ErrnoText(int number) {
    return Lowered(std::strerror(number));
}

// Unique per connection, also for a fleet's many sensors in one process: a broker drops the older of
// two connections with the same id.
std::string DefaultClientId(const std::string& sensor) {
    char host[256] = "pc";
#ifdef _WIN32
    if (const char* name = std::getenv("COMPUTERNAME")) {
        std::snprintf(host, sizeof host, "%s", name);
    }
    const int pid = _getpid();
#else
    if (gethostname(host, sizeof host) != 0) {
        std::snprintf(host, sizeof host, "pc");
    }
    host[sizeof host - 1] = '\0';
    const int pid = static_cast<int>(getpid());
#endif
    return "torvctl-" + std::string(host) + "-" + std::to_string(pid) + "-" + sensor;
}

bool Readable(const std::string& path) {
    return std::ifstream(path).good();
}

// A private key that every user of the PC may read is no secret: refused as ssh refuses one.
bool ReadableByOthers(const std::string& path) {
#ifdef _WIN32
    (void)path;
    return false;
#else
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IROTH) != 0;
#endif
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

// Everything the network thread and the callers share. The thread holds it too, so that a thread left
// to end by itself (see kFarewell) never touches freed memory.
struct MqttPublisher::Impl {
    MqttSettings settings;
    std::string sensor;
    std::string where;  // "HOST:PORT"
    std::array<std::string, 4> topics;
    StatusListener listener;

    mutable std::mutex mutex;
    std::condition_variable changed;  // the queue drained, the thread ended, or it should leave
    WakePipe work;                    // a message was queued, or the thread should leave
    std::deque<Message> queue;
    std::unordered_set<int> inFlight;  // message ids libmosquitto has not had acknowledged
    MqttStatus status;
    std::uint64_t published = 0;
    std::uint64_t dropped = 0;
    bool connected = false;
    bool everConnected = false;
    bool failed = false;          // refused for good: nothing more is queued or sent
    bool stopping = false;        // stop() has queued "offline"
    bool quit = false;            // leave now
    bool finished = false;        // the network thread has ended
    bool retriedForStop = false;  // stop() cut a wait short to try once more
    std::string lastError;        // libmosquitto's last error line (OpenSSL's reason for a TLS failure)

    std::thread thread;
    bool started = false;
    bool stopped = false;

    const std::string& topic(Kind kind) const { return topics[static_cast<std::size_t>(kind)]; }

    void queueMessage(Kind kind, std::string payload);
    // Says a new state or reason once; the listener is called outside the lock.
    void report(MqttState state, std::string text);
    void fail(std::string text);
    void run(mosquitto* client);
    bool connect(mosquitto* client);
    bool serve(mosquitto* client);
    int loopOnce(mosquitto* client) const;
    void sendQueued(mosquitto* client);
    bool waitToRetry(std::chrono::seconds delay);
    std::string failureOf(int rc, int number);
    bool permanentTlsFailure(std::string& text);

    static void OnConnect(mosquitto* client, void* self, int rc);
    static void OnDisconnect(mosquitto* client, void* self, int rc);
    static void OnPublish(mosquitto* client, void* self, int id);
    static void OnLog(mosquitto* client, void* self, int level, const char* text);
};

void MqttPublisher::Impl::queueMessage(Kind kind, std::string payload) {
    std::lock_guard lock(mutex);
    if (failed || stopping) {
        return;
    }
    if (kind == Kind::kStats) {
        // Only the newest count matters; one waiting is replaced.
        std::erase_if(queue, [](const Message& m) { return m.kind == Kind::kStats; });
    }
    if (kind == Kind::kJudgement && queue.size() >= settings.queueLimit) {
        // Full: the oldest judgement goes. Status, alarm and stats messages are few and kept.
        const auto oldest = std::find_if(queue.begin(), queue.end(),
                                         [](const Message& m) { return m.kind == Kind::kJudgement; });
        ++dropped;
        if (oldest == queue.end()) {
            return;
        }
        queue.erase(oldest);
    }
    queue.push_back(Message{kind, std::move(payload)});
    work.wake();
}

void MqttPublisher::Impl::report(MqttState state, std::string text) {
    StatusListener tell;
    MqttStatus now{state, std::move(text)};
    {
        std::lock_guard lock(mutex);
        if (status.state == now.state && status.text == now.text) {
            return;
        }
        status = now;
        tell = listener;
    }
    if (tell) {
        tell(now);
    }
}

void MqttPublisher::Impl::fail(std::string text) {
    {
        std::lock_guard lock(mutex);
        failed = true;
        queue.clear();
    }
    changed.notify_all();
    report(MqttState::kFailed, std::move(text));
}

// Why a connection attempt or a connection failed, in words.
std::string MqttPublisher::Impl::failureOf(int rc, int number) {
    switch (rc) {
        case MOSQ_ERR_ERRNO:
            return ErrnoText(number);
        case MOSQ_ERR_EAI:
#ifdef _WIN32
            return "the host name was not found";
#else
            return Lowered(gai_strerror(number));
#endif
        case MOSQ_ERR_CONN_LOST:
            return "connection lost";
        case MOSQ_ERR_KEEPALIVE:
            return "no answer within the keep-alive time";
        case MOSQ_ERR_TLS:
        case MOSQ_ERR_TLS_HANDSHAKE: {
            std::lock_guard lock(mutex);
            return lastError.empty() ? "TLS failed" : "TLS: " + lastError;
        }
        default:
            return Lowered(mosquitto_strerror(rc));
    }
}

// A TLS failure no retry can mend: the broker's certificate is not trusted, or the broker refuses
// this PC's. The reason in words in `text`.
bool MqttPublisher::Impl::permanentTlsFailure(std::string& text) {
    std::string error;
    {
        std::lock_guard lock(mutex);
        error = lastError;
    }
    if (Contains(error, "certificate verify failed")) {
        text = "the broker's certificate at " + where + " is not trusted: it is not signed by the CA in " +
               settings.caFile + " or does not name " + settings.url.host + " (" + error + ")";
        return true;
    }
    if (Contains(error, "alert certificate required")) {
        text = "the broker at " + where + " asks for this PC's certificate and key (" + error + ")";
        return true;
    }
    if (Contains(error, "alert") &&
        (Contains(error, "unknown ca") || Contains(error, "bad certificate") ||
         Contains(error, "certificate unknown") || Contains(error, "certificate expired") ||
         Contains(error, "unsupported certificate") || Contains(error, "certificate revoked"))) {
        text = "the broker at " + where + " refused the client certificate " + settings.certFile + " (" +
               error + ")";
        return true;
    }
    return false;
}

bool MqttPublisher::Impl::connect(mosquitto* client) {
    {
        std::lock_guard lock(mutex);
        lastError.clear();
    }
    errno = 0;
    // Each attempt as the first: it looks the host up again, which may have moved.
    const int rc = mosquitto_connect(client, settings.url.host.c_str(), settings.url.port,
                                     static_cast<int>(settings.keepAlive.count()));
    const int number = errno;
    if (rc == MOSQ_ERR_SUCCESS) {
        return true;
    }
    std::string text;
    if (rc == MOSQ_ERR_TLS && permanentTlsFailure(text)) {
        fail(text);
    } else if (rc == MOSQ_ERR_EAI) {
        report(MqttState::kDisconnected, "cannot find the broker's host " + settings.url.host + " (" +
                                             failureOf(rc, number) + "); retrying");
    } else {
        report(MqttState::kDisconnected,
               "cannot reach " + where + " (" + failureOf(rc, number) + "); retrying");
    }
    return false;
}

// Runs one connection until it ends, handing the queue to libmosquitto while it is up; true when the
// broker accepted it.
bool MqttPublisher::Impl::serve(mosquitto* client) {
    const auto began = std::chrono::steady_clock::now();
    int farewell = -1;  // loops left after DISCONNECT went out
    bool accepted = false;
    for (;;) {
        errno = 0;
        const int rc = loopOnce(client);
        const int number = errno;
        bool up = false;
        bool leave = false;
        bool drained = false;
        {
            std::lock_guard lock(mutex);
            up = connected;
            accepted = accepted || up;
            leave = quit || failed;
            drained = stopping && queue.empty() && inFlight.empty();
        }
        if (farewell >= 0) {
            if (rc != MOSQ_ERR_SUCCESS || --farewell < 0) {
                return accepted;
            }
            continue;
        }
        if (rc != MOSQ_ERR_SUCCESS) {
            {
                std::lock_guard lock(mutex);
                connected = false;
                if (failed) {
                    return accepted;
                }
            }
            if (rc == MOSQ_ERR_CONN_REFUSED) {
                return accepted;  // the broker's refusal, said when its answer came
            }
            std::string text;
            if (permanentTlsFailure(text)) {
                fail(text);
            } else if (accepted) {
                report(MqttState::kDisconnected,
                       "lost the connection to " + where + " (" + failureOf(rc, number) +
                           "); retrying, messages wait in a queue of " + std::to_string(settings.queueLimit));
            } else {
                report(MqttState::kDisconnected,
                       "cannot reach " + where + " (" + failureOf(rc, number) + "); retrying");
            }
            return accepted;
        }
        if (leave || (up && drained)) {
            // A clean goodbye only once "offline" is through; otherwise the socket just closes and
            // the broker publishes the will.
            if (up && drained) {
                mosquitto_disconnect(client);
                farewell = kFarewellLoops;
                continue;
            }
            return accepted;
        }
        if (!up && std::chrono::steady_clock::now() - began > settings.keepAlive) {
            report(MqttState::kDisconnected,
                   "cannot reach " + where + " (no answer to the connection); retrying");
            return accepted;
        }
        sendQueued(client);
    }
}

// libmosquitto's own wait in mosquitto_loop cannot be woken from outside its calls: a message queued
// meanwhile would sit out the whole time-out (half of it on average, 50 ms). So the thread waits here for
// the socket or the wake pipe, and then lets libmosquitto do what is due without waiting again.
int MqttPublisher::Impl::loopOnce(mosquitto* client) const {
    const int socket = mosquitto_socket(client);
    if (socket < 0 || work.readEnd() < 0) {
        return mosquitto_loop(client, kLoopTimeoutMs, 1);
    }
    const auto events = static_cast<short>(POLLIN | (mosquitto_want_write(client) ? POLLOUT : 0));
    std::array<pollfd, 2> waits{{{socket, events, 0}, {work.readEnd(), POLLIN, 0}}};
    if (poll(waits.data(), waits.size(), kLoopTimeoutMs) > 0 && waits[1].revents != 0) {
        work.drain();
    }
    return mosquitto_loop(client, 0, 1);
}

void MqttPublisher::Impl::sendQueued(mosquitto* client) {
    for (;;) {
        Message message;
        {
            std::lock_guard lock(mutex);
            if (!connected || inFlight.size() >= kInFlightWindow || queue.empty()) {
                return;
            }
            message = std::move(queue.front());
            queue.pop_front();
        }
        int id = 0;
        const int rc = mosquitto_publish(client, &id, topic(message.kind).c_str(),
                                         static_cast<int>(message.payload.size()), message.payload.data(), 1,
                                         Retained(message.kind));
        std::lock_guard lock(mutex);
        if (rc == MOSQ_ERR_NOMEM) {
            queue.push_front(std::move(message));
            return;
        }
        if (rc == MOSQ_ERR_PAYLOAD_SIZE || rc == MOSQ_ERR_OVERSIZE_PACKET || rc == MOSQ_ERR_MALFORMED_UTF8 ||
            rc == MOSQ_ERR_INVAL || rc == MOSQ_ERR_QOS_NOT_SUPPORTED) {
            if (message.kind == Kind::kJudgement) {
                ++dropped;  // a message the broker can never take
            }
            continue;
        }
        // Any other outcome leaves the message with libmosquitto, numbered: a connection that failed
        // while it was written (or had failed unseen) sends it again after the reconnect.
        inFlight.insert(id);
    }
}

bool MqttPublisher::Impl::waitToRetry(std::chrono::seconds delay) {
    std::unique_lock lock(mutex);
    // stop() cuts one wait short: the broker may be back, and "offline" has a chance to go out.
    changed.wait_for(lock, delay, [this] { return quit || failed || (stopping && !retriedForStop); });
    retriedForStop = retriedForStop || stopping;
    return !quit && !failed;
}

void MqttPublisher::Impl::run(mosquitto* client) {
    std::chrono::seconds delay = kFirstRetry;
    for (;;) {
        const bool worked = connect(client) && serve(client);
        {
            std::lock_guard lock(mutex);
            connected = false;
            // After the goodbye (all sent, "offline" last) there is nothing to reconnect for.
            if (quit || failed || (stopping && queue.empty() && inFlight.empty())) {
                break;
            }
        }
        delay = worked ? kFirstRetry : std::min(delay * 2, kLongestRetry);
        if (!waitToRetry(worked ? kFirstRetry : delay)) {
            break;
        }
    }
    mosquitto_destroy(client);
    {
        std::lock_guard lock(mutex);
        finished = true;
    }
    changed.notify_all();
}

void MqttPublisher::Impl::OnConnect(mosquitto* /*client*/, void* self, int rc) {
    auto& impl = *static_cast<Impl*>(self);
    switch (rc) {
        case 0: {
            bool again = false;
            {
                std::lock_guard lock(impl.mutex);
                impl.connected = true;
                again = impl.everConnected;
                impl.everConnected = true;
                // Ahead of what waited: the dashboard sees the sensor back before its backlog.
                impl.queue.push_front(Message{Kind::kStatus, "online"});
            }
            impl.report(MqttState::kConnected, (again ? "reconnected to " : "connected to ") + impl.where);
            return;
        }
        case 4:
        case 5:
            impl.fail(impl.settings.user.empty()
                          ? "the broker at " + impl.where +
                                " refused a connection without a user name and password"
                          : "the broker at " + impl.where + " refused the user name or password");
            return;
        case 2:
            impl.fail("the broker at " + impl.where + " refused the client id " + impl.settings.clientId);
            return;
        case 1:
            impl.fail("the broker at " + impl.where + " does not speak MQTT 3.1.1");
            return;
        default:
            impl.report(MqttState::kDisconnected, "the broker at " + impl.where + " is unavailable (" +
                                                      Lowered(mosquitto_connack_string(rc)) + "); retrying");
            return;
    }
}

void MqttPublisher::Impl::OnDisconnect(mosquitto* /*client*/, void* self, int /*rc*/) {
    auto& impl = *static_cast<Impl*>(self);
    std::lock_guard lock(impl.mutex);
    impl.connected = false;
}

void MqttPublisher::Impl::OnPublish(mosquitto* /*client*/, void* self, int id) {
    auto& impl = *static_cast<Impl*>(self);
    {
        std::lock_guard lock(impl.mutex);
        if (impl.inFlight.erase(id) > 0) {
            ++impl.published;
        }
    }
    impl.changed.notify_all();
}

void MqttPublisher::Impl::OnLog(mosquitto* /*client*/, void* self, int level, const char* text) {
    if (level != MOSQ_LOG_ERR || text == nullptr) {
        return;
    }
    auto& impl = *static_cast<Impl*>(self);
    // "OpenSSL Error[0]: error:0A000086:SSL routines::certificate verify failed": the reason is what
    // follows the last "::" or ':'.
    std::string line = text;
    if (const std::size_t routines = line.rfind("::"); routines != std::string::npos) {
        line = line.substr(routines + 2);
    } else if (const std::size_t colon = line.rfind(": "); colon != std::string::npos) {
        line = line.substr(colon + 2);
    }
    std::lock_guard lock(impl.mutex);
    impl.lastError = line;
}

MqttPublisher::MqttPublisher(MqttSettings settings, std::string sensor, StatusListener listener)
    : m_impl(std::make_shared<Impl>()) {
    Impl& impl = *m_impl;
    impl.settings = std::move(settings);
    impl.sensor = std::move(sensor);
    if (impl.settings.clientId.empty()) {
        impl.settings.clientId = DefaultClientId(impl.sensor);
    }
    impl.where = (impl.settings.url.host.find(':') != std::string::npos ? "[" + impl.settings.url.host + "]"
                                                                        : impl.settings.url.host) +
                 ":" + std::to_string(impl.settings.url.port);
    for (std::size_t k = 0; k < kKindNames.size(); ++k) {
        impl.topics[k] = MqttTopic(impl.settings.url, impl.sensor, kKindNames[k]);
    }
    impl.listener = std::move(listener);
    impl.status = {MqttState::kConnecting, "connecting to " + impl.where};
}

MqttPublisher::~MqttPublisher() {
    stop();
}

bool MqttPublisher::start(std::string& failure) {
    Impl& impl = *m_impl;
    const MqttSettings& s = impl.settings;
    if (s.url.tls) {
        if (s.caFile.empty()) {
            failure = "mqtts:// needs the CA that signed the broker's certificate";
            return false;
        }
        for (const std::string* file : {&s.caFile, &s.certFile, &s.keyFile}) {
            if (!file->empty() && !Readable(*file)) {
                failure = *file + " cannot be read: " + ErrnoText(errno);
                return false;
            }
        }
        if (s.certFile.empty() != s.keyFile.empty()) {
            failure = "a client certificate needs its key, and a key its certificate";
            return false;
        }
        if (!s.keyFile.empty() && ReadableByOthers(s.keyFile)) {
            failure = s.keyFile + " is readable by every user of this PC; make it private (chmod 600)";
            return false;
        }
    }
    static std::once_flag initialised;
    std::call_once(initialised, [] { mosquitto_lib_init(); });
    mosquitto* client = mosquitto_new(s.clientId.c_str(), true, &impl);
    if (client == nullptr) {
        failure = "libmosquitto cannot make a client: " + ErrnoText(errno);
        return false;
    }
    const std::string offline = "offline";
    const auto refuse = [&](const std::string& what, int rc) {
        failure = what + ": " + Lowered(mosquitto_strerror(rc));
        mosquitto_destroy(client);
        return false;
    };
    int rc = mosquitto_int_option(client, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (rc == MOSQ_ERR_SUCCESS) {
        rc = mosquitto_max_inflight_messages_set(client, kInFlightWindow);
    }
    if (rc == MOSQ_ERR_SUCCESS) {
        rc = mosquitto_will_set(client, impl.topic(Kind::kStatus).c_str(), static_cast<int>(offline.size()),
                                offline.data(), 1, true);
    }
    if (rc != MOSQ_ERR_SUCCESS) {
        return refuse("libmosquitto refused the topic " + impl.topic(Kind::kStatus), rc);
    }
    if (!s.user.empty()) {
        rc = mosquitto_username_pw_set(client, s.user.c_str(),
                                       s.password.empty() ? nullptr : s.password.c_str());
        if (rc != MOSQ_ERR_SUCCESS) {
            return refuse("libmosquitto refused the user name", rc);
        }
    }
    if (s.url.tls) {
        rc = mosquitto_tls_set(client, s.caFile.c_str(), nullptr,
                               s.certFile.empty() ? nullptr : s.certFile.c_str(),
                               s.keyFile.empty() ? nullptr : s.keyFile.c_str(), nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            return refuse("libmosquitto refused the TLS files", rc);
        }
    }
    mosquitto_connect_callback_set(client, &Impl::OnConnect);
    mosquitto_disconnect_callback_set(client, &Impl::OnDisconnect);
    mosquitto_publish_callback_set(client, &Impl::OnPublish);
    mosquitto_log_callback_set(client, &Impl::OnLog);
    impl.thread = std::thread([shared = m_impl, client] { shared->run(client); });
    impl.started = true;
    return true;
}

void MqttPublisher::publishJudgement(std::string payload) {
    m_impl->queueMessage(Kind::kJudgement, std::move(payload));
}

void MqttPublisher::publishAlarm(std::string payload) {
    m_impl->queueMessage(Kind::kAlarm, std::move(payload));
}

void MqttPublisher::publishStats(std::string payload) {
    m_impl->queueMessage(Kind::kStats, std::move(payload));
}

void MqttPublisher::stop(std::chrono::milliseconds grace) {
    Impl& impl = *m_impl;
    if (impl.stopped) {
        return;
    }
    impl.stopped = true;
    if (!impl.started) {
        return;
    }
    std::unique_lock lock(impl.mutex);
    if (!impl.failed) {
        impl.queue.push_back(Message{Kind::kStatus, "offline"});
        impl.stopping = true;
        impl.work.wake();
    }
    // The network thread says goodbye itself once "offline" is acknowledged. Cutting in as soon as the
    // queue looks empty would close the socket under a message still being handed to libmosquitto,
    // and the broker would publish the will after it: "offline" twice.
    impl.changed.wait_for(lock, grace, [&impl] { return impl.finished || impl.failed; });
    impl.quit = true;
    impl.changed.notify_all();
    impl.work.wake();
    const bool ended = impl.changed.wait_for(lock, 2 * kFarewell, [&impl] { return impl.finished; });
    lock.unlock();
    if (ended) {
        impl.thread.join();
    } else {
        impl.thread.detach();  // it ends by itself; what it uses is shared with it
    }
}

MqttStatus MqttPublisher::status() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->status;
}

MqttCounts MqttPublisher::counts() const {
    std::lock_guard lock(m_impl->mutex);
    return {m_impl->published, m_impl->dropped, m_impl->queue.size() + m_impl->inFlight.size()};
}

}  // namespace torv
