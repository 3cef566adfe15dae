#pragma once
// `fleet monitor --mqtt`: one MqttPublisher per sensor, each under the sensor's fleet name
// (PREFIX/NAME/judgement, status, alarm, stats), the same messages `monitor --mqtt` publishes. What a
// connection does is said through the fleet's own notices, so that it never breaks into the status
// lines on a terminal.

#include <string>

#include "cli/fleet_monitor.h"
#include "monitor/mqtt_publisher.h"

namespace torv::cli {

// The listeners for a fleet publishing with `settings`; `csvFolder` names the logs that stay complete
// when a broker refuses for good (empty: none).
SensorListenerFactory MqttListeners(const MqttSettings& settings, const std::string& csvFolder);

}  // namespace torv::cli
