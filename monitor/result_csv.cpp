#include "monitor/result_csv.h"

#include <array>
#include <cerrno>

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

std::string Difference(int value) {
    return std::to_string(value);
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
    AppendItems(lines, judgement, [](const JudgedCharacter& c) { return std::string(1, c.best()); });
    lines += kItemSeparator;
    AppendItems(lines, judgement, [](const JudgedCharacter& c) { return std::string(1, c.numerical); });
    lines += kItemSeparator;
    AppendItems(lines, judgement, [](const JudgedCharacter& c) { return std::string(1, c.alphabetic); });
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
    return open();
}

bool ResultCsvFile::open() {
    // A FIFO would block the open, a folder cannot be a log: refuse both before opening.
    if (PathKindOf(m_path) == PathKind::kOther) {
        m_failure = NotWritableText(m_path);
        return false;
    }
    m_file = std::fopen(m_path.c_str(), "wb");
    if (m_file == nullptr) {
        m_failure = SystemErrorText(m_path, errno);
    }
    return m_file != nullptr;
}

bool ResultCsvFile::append(std::string_view lines) {
    if (m_file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(lines.data(), 1, lines.size(), m_file) == lines.size();
    if (std::fflush(m_file) != 0 || !written) {
        m_failure = SystemErrorText(m_path, errno);
        return false;
    }
    return true;
}

bool ResultCsvFile::startAgain() {
    close();
    if (!moveAside()) {
        return false;
    }
    return open();
}

bool ResultCsvFile::moveAside() {
    m_asideName.clear();
    if (PathKindOf(m_path) == PathKind::kMissing) {
        return true;  // removed while the monitor ran: nothing left to keep
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
            m_failure = SystemErrorText(aside, errno);
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
