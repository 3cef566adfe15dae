#include "monitor/result_csv.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/ctime_text.h"
#include "files/file_kind.h"
#include "files/file_status.h"
#include "files/move_aside.h"
#include "files/text_file.h"

namespace torv {
namespace {

// Where the parts of the time stamp stand in the ctime text "Sat Jan 01 00:00:00 2000".
constexpr std::size_t kMonthDayStart = 4;
constexpr std::size_t kMonthDayLength = 6;
constexpr std::size_t kYearStart = 20;
constexpr std::size_t kYearLength = 4;
constexpr std::size_t kTimeStart = 11;
constexpr std::size_t kTimeLength = 8;
constexpr long long kMillisecondsPerSecond = 1000;

constexpr std::string_view kItemSeparator = " ,";
// NAME-0001.csv: at least four digits; more once the four are used up.
constexpr int kAsideNumberDigits = 4;
constexpr int kLastAsideNumber = 999999;

template <typename Item>
void AppendItems(std::string& line, const Judgement& judgement, Item item) {
    for (const JudgedCharacter& c : judgement.characters) {
        line += item(c);
        line += ',';
    }
}

// The character byte 0x0A is a newline to the file, written as every other newline of it.
std::string Character(char c) {
    return c == '\n' ? std::string(kLineEnd) : std::string(1, c);
}

std::string Difference(int value) {
    return std::to_string(value);
}

std::string ReasonText(int error) {
    return std::strerror(error != 0 ? error : EIO);
}

// An earlier log that holds nothing loses nothing when it is emptied instead of moved aside.
bool HoldsJudgements(const std::string& path) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    return error || size > 0;
}

std::string AsideName(const std::string& baseName, int number) {
    std::array<char, 16> digits{};
    std::snprintf(digits.data(), digits.size(), "-%0*d", kAsideNumberDigits, number);
    return MakeFilePath(baseName + digits.data(), kCsvFile);
}

}  // namespace

std::string ResultTimeStamp(std::chrono::system_clock::time_point moment) {
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    const long long sinceEpoch = duration_cast<milliseconds>(moment.time_since_epoch()).count();
    // Floor division, so a moment before 1970 still has milliseconds 0..999.
    long long seconds = sinceEpoch / kMillisecondsPerSecond;
    long long millis = sinceEpoch % kMillisecondsPerSecond;
    if (millis < 0) {
        millis += kMillisecondsPerSecond;
        --seconds;
    }
    const std::string ctime = LocalCtimeText(seconds);
    std::array<char, 8> fraction{};
    std::snprintf(fraction.data(), fraction.size(), ".%03lld", millis);
    return ctime.substr(kMonthDayStart, kMonthDayLength) + ' ' + ctime.substr(kYearStart, kYearLength) + ' ' +
           ctime.substr(kTimeStart, kTimeLength) + fraction.data();
}

std::string ResultCsvLines(const Judgement& judgement, std::string_view timeStamp) {
    std::string lines(judgement.text());
    lines += ',' + std::to_string(judgement.characters.size()) + ',';
    lines += timeStamp;
    lines += kLineEnd;
    AppendItems(lines, judgement, [](const JudgedCharacter& c) { return Character(c.best()); });
    lines += kItemSeparator;
    AppendItems(lines, judgement, [](const JudgedCharacter& c) { return Character(c.numerical); });
    lines += kItemSeparator;
    AppendItems(lines, judgement, [](const JudgedCharacter& c) { return Character(c.alphabetic); });
    lines += kLineEnd;
    AppendItems(lines, judgement, [](const JudgedCharacter& c) { return Difference(c.bestDifference()); });
    lines += kItemSeparator;
    AppendItems(lines, judgement, [](const JudgedCharacter& c) { return Difference(c.numericalDifference); });
    lines += kItemSeparator;
    AppendItems(lines, judgement,
                [](const JudgedCharacter& c) { return Difference(c.alphabeticDifference); });
    lines += kLineEnd;
    return lines;
}

ResultCsvFile::~ResultCsvFile() {
    close();
}

bool ResultCsvFile::create(const std::string& baseName) {
    close();
    m_baseName = baseName;
    m_path = MakeFilePath(baseName, kCsvFile);
    m_nextAsideNumber = 1;
    // The earlier log is kept: a monitor started at the wrong rate would otherwise empty it and log
    // nothing in its place.
    return moveAside() && open(OpenMode::kCreate);
}

bool ResultCsvFile::continueLog(const std::string& baseName) {
    close();
    m_baseName = baseName;
    m_path = MakeFilePath(baseName, kCsvFile);
    m_nextAsideNumber = 1;
    m_asideName.clear();
    return open(OpenMode::kAppend);
}

bool ResultCsvFile::open(OpenMode mode) {
    // A FIFO would block the open, a folder cannot be a log: refuse both before opening.
    if (PathKindOf(m_path) == PathKind::kOther) {
        m_failure = NotWritableText(m_path);
        return false;
    }
    m_file = std::fopen(m_path.c_str(), mode == OpenMode::kAppend ? "ab" : "wb");
    if (m_file == nullptr) {
        m_failure = SystemErrorText(m_path, errno);
        return false;
    }
    // Unbuffered: a judgement that cannot be written leaves none of its bytes waiting in the stream.
    std::setvbuf(m_file, nullptr, _IONBF, 0);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(m_path, error);
    m_size = mode == OpenMode::kAppend && !error ? size : 0;
    return true;
}

bool ResultCsvFile::append(std::string_view lines) {
    if (m_file == nullptr) {
        return false;
    }
    errno = 0;
    if (std::fwrite(lines.data(), 1, lines.size(), m_file) == lines.size() && std::fflush(m_file) == 0) {
        m_size += lines.size();
        return true;
    }
    m_failure = m_path + " could not be written: " + ReasonText(errno) + ".";
    // A judgement is in the log whole or not at all: the part of it that reached the file goes again.
    std::error_code ignored;
    std::filesystem::resize_file(m_path, m_size, ignored);
    return false;
}

bool ResultCsvFile::startAgain() {
    close();
    if (!moveAside()) {
        return false;
    }
    return open(OpenMode::kCreate);
}

bool ResultCsvFile::moveAside() {
    m_asideName.clear();
    if (PathKindOf(m_path) != PathKind::kRegular || !HoldsJudgements(m_path)) {
        return true;  // nothing to keep (open() refuses a name that is no file)
    }
    for (; m_nextAsideNumber <= kLastAsideNumber; ++m_nextAsideNumber) {
        const std::string aside = AsideName(m_baseName, m_nextAsideNumber);
        const MoveResult moved = MoveWithoutReplacing(m_path, aside);
        if (moved == MoveResult::kMoved) {
            m_asideName = aside;
            ++m_nextAsideNumber;
            return true;
        }
        if (moved == MoveResult::kFailed) {
            m_failure = m_path + " could not be moved to " + aside + ": " + ReasonText(errno) + ".";
            return false;
        }
    }
    m_failure = m_path + ": every name for the full log is taken.";
    return false;
}

void ResultCsvFile::close() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        m_file = nullptr;
    }
}

}  // namespace torv
