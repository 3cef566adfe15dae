#include "tests/support/mosquitto_broker.h"

#include <mosquitto.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <stdexcept>

#include "tests/support/ser2net_server.h"

namespace torv::test {
namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kKeepAliveSeconds = 10;

}  // namespace

std::string MosquittoBroker::ProgramPath() {
    for (const char* path : {"/usr/sbin/mosquitto", "/usr/bin/mosquitto", "/usr/local/sbin/mosquitto"}) {
        if (access(path, X_OK) == 0) {
            return path;
        }
    }
    return {};
}

MosquittoBroker::MosquittoBroker(BrokerSetup setup) : m_setup(std::move(setup)), m_port(FreeLoopbackPort()) {
    if (ProgramPath().empty()) {
        throw std::runtime_error("mosquitto is not installed");
    }
    std::ofstream config(m_folder.file("mosquitto.conf"));
    config << "listener " << m_port << " 127.0.0.1\n"
           << "persistence true\n"
           << "persistence_location " << m_folder.path().string() << "/\n"
           << "log_dest file " << m_folder.file("mosquitto.log") << "\n"
           << "log_type all\n"
           // Enough for everything a test publishes while its subscriber reconnects.
           << "max_queued_messages 0\n";
    // Run as root (in a container), the broker would become the user `mosquitto`, who may not read
    // this folder's files.
    if (geteuid() == 0) {
        config << "user " << getpwuid(geteuid())->pw_name << "\n";
    }
    if (m_setup.user.empty()) {
        config << "allow_anonymous true\n";
    } else {
        config << "allow_anonymous false\npassword_file " << m_folder.file("passwords") << "\n";
        const ProgramResult added =
            RunProgram("/usr/bin/mosquitto_passwd",
                       {"-c", "-b", m_folder.file("passwords"), m_setup.user, m_setup.password});
        if (added.exitCode != 0) {
            throw std::runtime_error("mosquitto_passwd failed: " + added.err);
        }
    }
    if (m_setup.tls) {
        m_ca.emplace("TORV test CA");
        m_stranger.emplace("Some other CA");
        const IssuedCertificate server = m_ca->issue("server", "127.0.0.1", "IP:127.0.0.1,DNS:localhost");
        m_client = m_ca->issue("client", "torvctl test PC");
        config << "cafile " << caFile() << "\ncertfile " << server.certificate << "\nkeyfile " << server.key
               << "\nrequire_certificate " << (m_setup.requireCertificate ? "true" : "false") << "\n";
    }
    config.close();
    start();
}

MosquittoBroker::~MosquittoBroker() {
    stop();
}

std::string MosquittoBroker::url(const std::string& prefix) const {
    return std::string(m_setup.tls ? "mqtts" : "mqtt") + "://127.0.0.1:" + std::to_string(m_port) + "/" +
           prefix;
}

void MosquittoBroker::start() {
    if (m_process) {
        return;
    }
    m_process = std::make_unique<RunningProgram>(
        ProgramPath(), std::vector<std::string>{"-c", m_folder.file("mosquitto.conf")});
    WaitUntilListening(m_process, {m_port}, m_folder.file("mosquitto.log"));
}

void MosquittoBroker::stop() {
    if (!m_process) {
        return;
    }
    m_process->signal(SIGTERM);
    m_process->finish();
    m_process.reset();
}

struct MqttSubscriber::State {
    std::string filter;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::vector<ReceivedMessage> messages;
    bool subscribed = false;
};

MqttSubscriber::MqttSubscriber(const MosquittoBroker& broker, const std::string& filter)
    : m_state(std::make_shared<State>()) {
    static int made = 0;
    m_state->filter = filter;
    mosquitto_lib_init();
    const std::string id = "torv-test-" + std::to_string(getpid()) + "-" + std::to_string(++made);
    m_client = mosquitto_new(id.c_str(), false, m_state.get());
    if (m_client == nullptr) {
        throw std::runtime_error("mosquitto_new failed");
    }
    const BrokerSetup& setup = broker.setup();
    if (!setup.user.empty()) {
        mosquitto_username_pw_set(m_client, setup.user.c_str(), setup.password.c_str());
    }
    if (setup.tls) {
        mosquitto_tls_set(m_client, broker.caFile().c_str(), nullptr, broker.clientCertFile().c_str(),
                          broker.clientKeyFile().c_str(), nullptr);
    }
    mosquitto_connect_callback_set(m_client, [](mosquitto* client, void* self, int rc) {
        if (rc == 0) {
            mosquitto_subscribe(client, nullptr, static_cast<State*>(self)->filter.c_str(), 1);
        }
    });
    mosquitto_subscribe_callback_set(m_client, [](mosquitto*, void* self, int, int, const int*) {
        auto& state = *static_cast<State*>(self);
        std::lock_guard lock(state.mutex);
        state.subscribed = true;
        state.changed.notify_all();
    });
    mosquitto_message_callback_set(m_client, [](mosquitto*, void* self, const mosquitto_message* message) {
        auto& state = *static_cast<State*>(self);
        std::lock_guard lock(state.mutex);
        state.messages.push_back({message->topic,
                                  std::string(static_cast<const char*>(message->payload),
                                              static_cast<std::size_t>(message->payloadlen)),
                                  message->retain});
        state.changed.notify_all();
    });
    mosquitto_reconnect_delay_set(m_client, 1, 1, false);
    if (mosquitto_connect(m_client, "127.0.0.1", broker.port(), kKeepAliveSeconds) != MOSQ_ERR_SUCCESS ||
        mosquitto_loop_start(m_client) != MOSQ_ERR_SUCCESS) {
        mosquitto_destroy(m_client);
        throw std::runtime_error("the subscriber cannot connect to the broker");
    }
    std::unique_lock lock(m_state->mutex);
    if (!m_state->changed.wait_for(lock, std::chrono::milliseconds(kStartTimeoutMs),
                                   [this] { return m_state->subscribed; })) {
        lock.unlock();
        mosquitto_loop_stop(m_client, true);
        mosquitto_destroy(m_client);
        throw std::runtime_error("the broker did not confirm the subscription to " + filter);
    }
}

MqttSubscriber::~MqttSubscriber() {
    mosquitto_disconnect(m_client);
    mosquitto_loop_stop(m_client, false);
    mosquitto_destroy(m_client);
}

std::vector<ReceivedMessage> MqttSubscriber::messages() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->messages;
}

std::vector<std::string> MqttSubscriber::payloads(const std::string& topic) const {
    std::vector<std::string> found;
    for (const ReceivedMessage& message : messages()) {
        if (message.topic == topic) {
            found.push_back(message.payload);
        }
    }
    return found;
}

bool MqttSubscriber::waitFor(const std::function<bool(const std::vector<ReceivedMessage>&)>& done,
                             int timeoutMs) const {
    std::unique_lock lock(m_state->mutex);
    return m_state->changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                     [&] { return done(m_state->messages); });
}

}  // namespace torv::test
