#pragma once
// A fixture for running device operations through the engine against torvsim, as the main window does:
// a folder of the test's own for the files, and a host whose records hold what the last run asked,
// showed and how its status and progress moved.

#include <gtest/gtest.h>

#include "operations/device_operations.h"
#include "tests/support/scripted_host.h"
#include "tests/support/simulated_sensor.h"

namespace torv::test {

class OperationTest : public ::testing::Test {
  protected:
    // Sets sensor words before the run, two frames a word that operationFrames() leaves out.
    void setWords(const SimulatedSensor& sensor, const std::vector<std::pair<int, int>>& words) {
        sensor.setWords(words);
        m_setupFrames = 2 * static_cast<int>(words.size());
    }
    // Runs the operation on the file `name` in the folder, answering its questions from m_host.answers.
    OperationReport run(int code, const SimulatedSensor& sensor, const std::string& name, int ngNumber = 1) {
        m_state.OperationCode = code;
        m_state.ComPortNumber = sensor.port();
        m_state.OperationFileName = path(name);
        m_state.NgDataNumber = ngNumber;
        m_host.questions.clear();
        m_host.messages.clear();
        m_host.statuses.clear();
        m_host.progress.clear();
        return RunOperationOfState(m_state, m_host);
    }
    std::vector<std::string> operationFrames(const SimulatedSensor& sensor) const {
        const auto frames = sensor.frames();
        return {frames.begin() + m_setupFrames, frames.end()};
    }
    std::string path(const std::string& name) const { return m_files.file(name); }

    TempDir m_files;
    OperationState m_state;
    ScriptedHost m_host;
    int m_setupFrames = 0;
};

}  // namespace torv::test
