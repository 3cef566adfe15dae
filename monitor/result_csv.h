#pragma once
// The monitor's result CSV: three lines per judgement, no header, CR LF line ends, flushed after every
// judgement so that a log cut short by a failure or a power cut keeps every judgement before it.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "monitor/judgement.h"

namespace torv {

// "Dec 05 2026 22:11:46.123": the month and day, year and time of day of the local ctime text, then
// the milliseconds.
std::string ResultTimeStamp(std::chrono::system_clock::time_point moment);

// The three lines of one judgement, line ends included:
//   OK,3,Dec 05 2026 22:11:46.123
//   A,1,B, ,4,1,8, ,A,I,B,
//   3,2,5, ,9,2,7, ,3,6,5,
std::string ResultCsvLines(const Judgement& judgement, std::string_view timeStamp);

class ResultCsvFile {
  public:
    ResultCsvFile() = default;
    ~ResultCsvFile();
    ResultCsvFile(const ResultCsvFile&) = delete;
    ResultCsvFile& operator=(const ResultCsvFile&) = delete;

    // Creates `baseName`.csv for writing, empty, without asking. An earlier log of that name is first
    // moved aside as startAgain() does (an empty one is not kept). False when it cannot be created (a
    // folder or FIFO of that name, a missing folder, no permission) or the earlier log not moved.
    bool create(const std::string& baseName);
    // Opens `baseName`.csv to add to the judgements it holds (created when there is none); the wrap
    // moves it aside as ever.
    bool continueLog(const std::string& baseName);
    bool isOpen() const { return m_file != nullptr; }
    const std::string& path() const { return m_path; }

    // Writes and flushes; false when the bytes did not reach the file, which then ends with the last
    // whole append.
    bool append(std::string_view lines);

    // The named file starts again, empty; the full one is first moved aside to the first free name of
    // baseName-0001.csv, baseName-0002.csv, ..., so that nothing logged is lost. False when it could
    // not be moved or created again (the file is then closed).
    bool startAgain();
    // The name the last create() or startAgain() moved the earlier file to (empty when none).
    const std::string& lastAsideName() const { return m_asideName; }
    // Why the last create, append or startAgain failed, for the user (the path and the reason).
    const std::string& failureText() const { return m_failure; }

    void close();

  private:
    enum class OpenMode { kCreate, kAppend };
    bool open(OpenMode mode);
    bool moveAside();

    std::string m_baseName;
    std::string m_path;
    std::string m_asideName;
    std::string m_failure;
    int m_nextAsideNumber = 1;
    std::FILE* m_file = nullptr;
    std::uintmax_t m_size = 0;  // the bytes of the whole appends so far
};

}  // namespace torv
