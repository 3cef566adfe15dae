// A build without libmosquitto (the Windows cross-build): the publisher exists, so that its callers
// need no build switches, and start() says why it cannot publish.
#include "monitor/mqtt_publisher.h"

namespace torv {

struct MqttPublisher::Impl {};

MqttPublisher::MqttPublisher(MqttSettings /*settings*/, std::string /*sensor*/, StatusListener /*listener*/) {
}

MqttPublisher::~MqttPublisher() = default;

bool MqttPublisher::start(std::string& failure) {
    failure = "this build has no MQTT: libmosquitto was not available when it was made";
    return false;
}

void MqttPublisher::publishJudgement(std::string /*payload*/) {}
void MqttPublisher::publishAlarm(std::string /*payload*/) {}
void MqttPublisher::publishStats(std::string /*payload*/) {}
void MqttPublisher::stop(std::chrono::milliseconds /*grace*/) {}

MqttStatus MqttPublisher::status() const {
    return {MqttState::kFailed, "not published: this build has no MQTT"};
}

MqttCounts MqttPublisher::counts() const {
    return {};
}

}  // namespace torv
