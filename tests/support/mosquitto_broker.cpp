#include "tests/support/mosquitto_broker.h"

#include <mosquitto.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "tests/support/ser2net_server.h"

namespace torv::test {
namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kPollMs = 10;
constexpr int kKeepAliveSeconds = 10;

void Run(const std::string& program, const std::vector<std::string>& arguments) {
    const ProgramResult result = RunProgram(program, arguments);
    if (result.exitCode != 0) {
        throw std::runtime_error(program + " failed: " + result.err);
    }
}

// An EC key and a certificate for it: signed by the CA `ca` (its .crt and .key), or by itself.
void MakeCertificate(const TempDir& folder, const std::string& name, const std::string& subject,
                     const std::string& ca, const std::string& extensions = {}) {
    const std::string key = folder.file(name + ".key");
    const std::string certificate = folder.file(name + ".crt");
    const std::vector<std::string> newKey{
        "-newkey", "ec",    "-pkeyopt",      "ec_paramgen_curve:prime256v1", "-nodes", "-keyout",
        key,       "-subj", "/CN=" + subject};
    std::vector<std::string> request{"req"};
    if (ca.empty()) {
        request.insert(request.end(), {"-x509", "-days", "2", "-out", certificate});
        request.insert(request.end(), newKey.begin(), newKey.end());
        Run("/usr/bin/openssl", request);
        return;
    }
    request.insert(request.end(), {"-out", folder.file(name + ".csr")});
    request.insert(request.end(), newKey.begin(), newKey.end());
    Run("/usr/bin/openssl", request);
    std::vector<std::string> sign{"x509",
                                  "-req",
                                  "-in",
                                  folder.file(name + ".csr"),
                                  "-CA",
                                  folder.file(ca + ".crt"),
                                  "-CAkey",
                                  folder.file(ca + ".key"),
                                  "-CAcreateserial",
                                  "-days",
                                  "2",
                                  "-out",
                                  certificate};
    if (!extensions.empty()) {
        WriteFileBytes(folder.file(name + ".ext"), extensions + "\n");
        sign.insert(sign.end(), {"-extfile", folder.file(name + ".ext")});
    }
    Run("/usr/bin/openssl", sign);
}

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
        Run("/usr/bin/mosquitto_passwd",
            {"-c", "-b", m_folder.file("passwords"), m_setup.user, m_setup.password});
    }
    if (m_setup.tls) {
        makeCertificates();
        config << "cafile " << caFile() << "\ncertfile " << m_folder.file("server.crt") << "\nkeyfile "
               << m_folder.file("server.key") << "\nrequire_certificate "
               << (m_setup.requireCertificate ? "true" : "false") << "\n";
    }
    config.close();
    start();
}

MosquittoBroker::~MosquittoBroker() {
    stop();
}

void MosquittoBroker::makeCertificates() {
    MakeCertificate(m_folder, "ca", "TORV test CA", {});
    MakeCertificate(m_folder, "server", "127.0.0.1", "ca", "subjectAltName=IP:127.0.0.1,DNS:localhost");
    MakeCertificate(m_folder, "client", "torvctl test PC", "ca");
    MakeCertificate(m_folder, "stranger", "Some other CA", {});
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
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartTimeoutMs);
    while (!LoopbackPortListening(m_port)) {
        if (std::chrono::steady_clock::now() > deadline) {
            m_process->signal(SIGKILL);
            const ProgramResult result = m_process->finish();
            m_process.reset();
            throw std::runtime_error("mosquitto did not start listening: " + result.err +
                                     ReadFileBytes(m_folder.file("mosquitto.log")));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
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

namespace {

void OnConnect(mosquitto* client, void* self, int rc) {
    auto& state = *static_cast<MqttSubscriber::State*>(self);
    if (rc == 0) {
        mosquitto_subscribe(client, nullptr, state.filter.c_str(), 1);
    }
}

void OnSubscribe(mosquitto* /*client*/, void* self, int /*id*/, int /*count*/, const int* /*granted*/) {
    auto& state = *static_cast<MqttSubscriber::State*>(self);
    std::lock_guard lock(state.mutex);
    state.subscribed = true;
    state.changed.notify_all();
}

void OnMessage(mosquitto* /*client*/, void* self, const mosquitto_message* message) {
    auto& state = *static_cast<MqttSubscriber::State*>(self);
    std::lock_guard lock(state.mutex);
    state.messages.push_back({message->topic,
                              std::string(static_cast<const char*>(message->payload),
                                          static_cast<std::size_t>(message->payloadlen)),
                              message->retain});
    state.changed.notify_all();
}

}  // namespace

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
    mosquitto_connect_callback_set(m_client, OnConnect);
    mosquitto_subscribe_callback_set(m_client, OnSubscribe);
    mosquitto_message_callback_set(m_client, OnMessage);
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
