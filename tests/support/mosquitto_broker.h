#pragma once
// Debian's mosquitto broker for one test, on a free loopback port, never the PC's own service: its
// configuration, log, persistent state, password file and certificates (a test CA made with openssl)
// live in a temporary folder. And a subscriber that records every message it receives.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/plant_ca.h"
#include "tests/support/sim_process.h"
#include "tests/support/temp_dir.h"

struct mosquitto;

namespace torv::test {

struct BrokerSetup {
    bool tls = false;                 // the listener speaks TLS with a certificate the test CA signed
    bool requireCertificate = false;  // with tls: a client must show a certificate the test CA signed
    std::string user;                 // not empty: only this user, with this password, may connect
    std::string password;
};

class MosquittoBroker {
  public:
    explicit MosquittoBroker(BrokerSetup setup = {});
    ~MosquittoBroker();
    MosquittoBroker(const MosquittoBroker&) = delete;
    MosquittoBroker& operator=(const MosquittoBroker&) = delete;

    const BrokerSetup& setup() const { return m_setup; }
    int port() const { return m_port; }
    // "mqtt://127.0.0.1:PORT/PREFIX", or mqtts://.
    std::string url(const std::string& prefix) const;
    // With tls: the test CA, a client certificate and key it signed, and a CA (with its key) that
    // signed nothing the broker trusts; empty without tls.
    std::string caFile() const { return m_ca ? m_ca->caFile() : std::string(); }
    std::string clientCertFile() const { return m_client.certificate; }
    std::string clientKeyFile() const { return m_client.key; }
    std::string strangerCaFile() const { return m_stranger ? m_stranger->caFile() : std::string(); }
    std::string strangerKeyFile() const { return m_stranger ? m_stranger->keyFile() : std::string(); }

    // Stops it as a service stops (SIGTERM: it saves the sessions and the messages they wait for), and
    // starts it again on the same port with that state.
    void stop();
    void start();

    // The mosquitto program, or empty when it is not installed.
    static std::string ProgramPath();

  private:
    TempDir m_folder;
    BrokerSetup m_setup;
    int m_port = 0;
    std::optional<PlantCa> m_ca;
    std::optional<PlantCa> m_stranger;
    IssuedCertificate m_client;
    std::unique_ptr<RunningProgram> m_process;
};

struct ReceivedMessage {
    std::string topic;
    std::string payload;
    bool retained = false;
};

// A libmosquitto client subscribed to a topic filter with QoS 1. It keeps its session at the broker,
// so that what arrives while it reconnects (the broker restarted) waits for it; libmosquitto's thread
// reconnects it every second.
class MqttSubscriber {
  public:
    struct State;  // what libmosquitto's callbacks record

    // Returns once the broker has confirmed the subscription; throws when it does not within 10 s.
    MqttSubscriber(const MosquittoBroker& broker, const std::string& filter);
    ~MqttSubscriber();
    MqttSubscriber(const MqttSubscriber&) = delete;
    MqttSubscriber& operator=(const MqttSubscriber&) = delete;

    std::vector<ReceivedMessage> messages() const;
    // The payloads that came on one topic, in order.
    std::vector<std::string> payloads(const std::string& topic) const;
    // True once `done` holds for the messages so far, false after `timeoutMs`.
    bool waitFor(const std::function<bool(const std::vector<ReceivedMessage>&)>& done, int timeoutMs) const;

  private:
    std::shared_ptr<State> m_state;
    mosquitto* m_client = nullptr;
};

}  // namespace torv::test
