// Every device operation, the monitor and the remote keys against every way a sensor or a line fails,
// and Cancel after the first and the last block: the message, the exit code, the files left (a read
// that replaces its files finds them in place), and what the sensor holds afterwards; and each run
// without a fault. Every failed reply takes one path in the engine, so each fault kind runs at the
// middle exchange and a NAK also at the first and the last. The silence and NAK rows run again through
// ser2net (RFC 2217), at the middle exchange also over TLS with client authentication. A second table
// puts out-of-range values into the replies and checks that the tool never leaves the sensor's areas.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>

#include "dictionary/dictionary_file.h"
#include "link/com_device.h"
#include "link/frames.h"
#include "monitor/result_monitor.h"
#include "operations/device_operations.h"
#include "params/parameter_file.h"
#include "sim/sensor_model.h"
#include "tests/e2e/known_sensor.h"
#include "tests/support/judgement_log.h"
#include "tests/support/plant_ca.h"
#include "tests/support/scripted_host.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::LoggedExchange;
using test::ReadFileBytes;

enum class Position { kFirst, kMiddle, kLast };
enum class Runs { kOperation, kMonitor, kKeys };

// A read that appends character blocks keeps the whole blocks it appended before it stopped.
struct Appending {
    int firstBlockExchange = 0;  // 0: the operation appends nothing
    int exchangesPerBlock = 1;
    int charactersPerBlock = 1;
    int characters = 0;            // in a complete run
    int keptAfterFirstCancel = 0;  // Cancel after block 1 is seen after the next block
};

// Sensor words as ranges; an operation addresses none outside its own.
struct WordRange {
    int first;
    int last;
};
const std::vector<WordRange> kParameterArea{{0, 11}, {16, 591}};
const std::vector<WordRange> kDictionaryArea{{12, 12}, {672, 895}};
const std::vector<WordRange> kCalendarArea{{896, 903}};
const std::vector<WordRange> kNgRingArea{{9, 11}};

struct DeviceOperation {
    const char* name;
    int code;
    int exchanges;  // in a complete run
    int blocks;     // Cancel is seen after each; 0: the operation cannot be cancelled once started
    std::vector<std::string> command;    // torvctl's words, NAME standing for the file name
    const char* printed = "";            // torvctl's stdout after a complete run
    std::vector<std::string> made = {};  // the files a complete run leaves beside the sources
    bool readsIntoFile = true;           // the file is the target (else, for a write, the source)
    bool storesAtTheEnd = false;         // the last exchange is the store command `U`
    int exchangesAfterBlocks = 0;        // after the last block (a write's length and store)
    const char* source = "";             // the file a write sends
    std::vector<std::string> simArguments = {};
    Appending appending = {};
    int framesAfterFirstCancel = 0;  // 0: fewer than half the exchanges
    std::vector<WordRange> area = {};
    Runs runs = Runs::kOperation;
};

// The frames of the operations' parts, as the sensor counts them.
constexpr int kVersionFrames = 2;       // `S` 0,7 and 1,7: two version characters each
constexpr int kCommonWords = 12;        // words 0..11, one `R` each
constexpr int kWrittenCommonWords = 9;  // words 9..11, the NG ring, are never written
constexpr int kBanks = 16;              // of 36 words each, from word 16 on
constexpr int kBankWords = 36;
constexpr int kPlaceFrames = 1;         // an `R` that places the write position
constexpr int kStoreFrames = 1;         // `U`
constexpr int kCalendarWords = 8;       // words 896..903, written 0xFFFF
constexpr int kCalendarRegisters = 16;  // `T` 0..15
constexpr int kRingFrames = 3;          // words 9..11: the slot pointer and the occupancy mask
constexpr int kSlots = 30;
constexpr int kImageLines = 122;  // two `V` blocks each: the image's 244 blocks
constexpr int kImageBlocks = 2 * kImageLines;
constexpr int kFirstPatternBlock = 246;  // three of 16 characters; 244 and 245 are no blocks
constexpr int kRecordBlocks = 3;         // blocks 249..251
constexpr int kLastBlock = 251;
constexpr int kCsvBlocksPerSlot = 6;     // the pattern and record blocks
constexpr int kNewestNgCharacters = 17;  // the default seed's newest NG
constexpr int kPatternsPerBlock = 16;
constexpr std::size_t kMostNgCharacters = 48;  // an NG record holds no more, in three pattern blocks
constexpr int kMostPatternBlocks = 3;
constexpr int kNewestNgPatternBlocks = 2;
constexpr int kCountFrames = 1;              // `S` 6,0: how many characters the line recognized
constexpr int kRecognizedCharacters = 5;     // "A12B3"
constexpr int kFramesPerRecognized = 8;      // `S` selectors, a pattern byte pair each
constexpr int kLengthFrames = 1;             // the dictionary length, word 12
constexpr int kSeededCharacters = 3;         // torvsim's dictionary, and the one the write sends
constexpr int kWordsPerCharacter = 4;        // a dictionary record of 8 bytes
constexpr std::size_t kDictionaryRoom = 56;  // characters in words 672..895
constexpr int kPolls = 5;                    // the monitor's `Y`, and the keys' `P`

// One operation a row or two. The parameter read takes the name with its extension, as a user may type
// it; its Cancel after bank 0 is seen after bank 1: the version, the common words and two banks.
// clang-format off
const DeviceOperation kReadParametersOp{.name = "ParamsRead", .code = kReadParameters,
    .exchanges = kVersionFrames + kCommonWords + kBanks * kBankWords, .blocks = kBanks,
    .command = {"--yes", "params", "read", "NAME.torv"},
    .printed = "Reading from TORV is completed.\n", .made = {"read.torv"},
    .framesAfterFirstCancel = kVersionFrames + kCommonWords + 2 * kBankWords, .area = kParameterArea};
// The version, `R` 0 and the common words, `R` 16 and the banks, the store.
const DeviceOperation kWriteParametersOp{.name = "ParamsWrite", .code = kWriteParameters,
    .exchanges = kVersionFrames + kPlaceFrames + kWrittenCommonWords + kPlaceFrames + kBanks * kBankWords +
                 kStoreFrames,
    .blocks = kBanks, .command = {"--yes", "params", "write", "NAME"},
    .printed = "Writing to TORV is completed.\n", .readsIntoFile = false, .storesAtTheEnd = true,
    .exchangesAfterBlocks = kStoreFrames, .source = "bank.torv", .area = kParameterArea};
// `R` 896, the calendar words, the registers.
const DeviceOperation kSetClockOp{.name = "ClockSet", .code = kSetClock,
    .exchanges = kPlaceFrames + kCalendarWords + kCalendarRegisters, .blocks = 0,
    .command = {"--yes", "clock", "set"},
    .printed = "Setting the current time to TORV bulit-in calendar is completed.\n", .readsIntoFile = false,
    .area = kCalendarArea};
// The ring words, the image (Cancel is seen after each line), the record and the pattern blocks. Its
// last Cancel check comes after the record, before the pattern blocks.
const DeviceOperation kReadNgDataOp{.name = "NgRead", .code = kReadNgData,
    .exchanges = kRingFrames + kImageBlocks + kRecordBlocks + kNewestNgPatternBlocks,
    .blocks = kImageLines + kRecordBlocks, .command = {"--yes", "ng", "read", "NAME.ng4"},
    .printed = "Reading the NG data with image from TORV is completed.\n", .made = {"read.bmp", "read.ng4"},
    .exchangesAfterBlocks = kNewestNgPatternBlocks, .area = kNgRingArea};
// The default seed's occupancy reaches slot 29 of the ring: all 30 slots, six blocks each.
const DeviceOperation kNgCsvOp{.name = "NgCsv", .code = kConvertNgDataToCsv,
    .exchanges = kRingFrames + kSlots * kCsvBlocksPerSlot, .blocks = kSlots * kCsvBlocksPerSlot,
    .command = {"--yes", "ng", "csv", "NAME.csv"}, .printed = "Reading all NG data from TORV is completed.\n",
    .made = {"read.csv"}, .area = kNgRingArea};
// The count, then each recognized character's pattern exchanges; Cancel after the first is seen after
// the second.
const DeviceOperation kDictRecognizedOp{.name = "DictRecognized", .code = kReadRecognizedCharacters,
    .exchanges = kCountFrames + kRecognizedCharacters * kFramesPerRecognized, .blocks = kRecognizedCharacters,
    .command = {"dict", "recognized", "NAME"},
    .printed = "Reading recognized characters from TORV is completed.\n", .made = {"read.dic4"},
    .simArguments = {"--recognized", "A12B3"},
    .appending = {.firstBlockExchange = kCountFrames + 1, .exchangesPerBlock = kFramesPerRecognized,
                  .charactersPerBlock = 1, .characters = kRecognizedCharacters, .keptAfterFirstCancel = 2}};
// The newest NG's characters: the ring words, the record blocks, then pattern blocks of 16 and 1, each
// appended as it arrives; Cancel after the first record block is seen after the second.
const DeviceOperation kDictFromNgOp{.name = "DictFromNg", .code = kReadNgCharacters,
    .exchanges = kRingFrames + kRecordBlocks + kNewestNgPatternBlocks,
    .blocks = kRecordBlocks + kNewestNgPatternBlocks, .command = {"dict", "from-ng", "NAME", "--ng", "1"},
    .printed = "Reading characters in NG data is completed. (No. of character = 17 )\n",
    .made = {"read.dic4"},
    .appending = {.firstBlockExchange = kRingFrames + kRecordBlocks + kNewestNgPatternBlocks - 1,
                  .charactersPerBlock = kPatternsPerBlock, .characters = kNewestNgCharacters},
    .framesAfterFirstCancel = kRingFrames + 2, .area = kNgRingArea};
// The seeded dictionary: the length, then four words a character; Cancel after the first character is
// seen after the second.
const DeviceOperation kDictReadOp{.name = "DictRead", .code = kReadDictionary,
    .exchanges = kLengthFrames + kSeededCharacters * kWordsPerCharacter, .blocks = kSeededCharacters,
    .command = {"--yes", "dict", "read", "NAME"},
    .printed = "Reading expansion dictionary data from TORV is completed.\n", .made = {"read.dic4"},
    .framesAfterFirstCancel = kLengthFrames + 2 * kWordsPerCharacter, .area = kDictionaryArea};
// `R` 672, four words a character; then `R` 12, the length and the store.
const DeviceOperation kDictWriteOp{.name = "DictWrite", .code = kWriteDictionary,
    .exchanges = kPlaceFrames + kSeededCharacters * kWordsPerCharacter + kPlaceFrames + kLengthFrames +
                 kStoreFrames,
    .blocks = kSeededCharacters, .command = {"--yes", "dict", "write", "NAME"},
    .printed = "Writing the expansion dictionary to TORV is completed.\n", .readsIntoFile = false,
    .storesAtTheEnd = true, .exchangesAfterBlocks = kPlaceFrames + kLengthFrames + kStoreFrames,
    .source = "user.dic4", .framesAfterFirstCancel = kPlaceFrames + 2 * kWordsPerCharacter,
    .area = kDictionaryArea};
// Polls, each a new judgement (OK or NG, every one with characters), logged to the CSV and printed a
// line each; Stop is pressed after a poll.
const DeviceOperation kMonitorOp{.name = "Monitor", .code = kNoOperation, .exchanges = kPolls,
    .blocks = kPolls, .command = {"monitor", "--csv", "NAME", "--count", "5"},
    .simArguments = {"--pace", "0", "--mix", "4,1,0"}, .framesAfterFirstCancel = 1, .runs = Runs::kMonitor};
// Keys, one exchange each; none that moves the bank, so the key log is all they change.
const DeviceOperation kKeysOp{.name = "Keys", .code = kNoOperation, .exchanges = kPolls, .blocks = 0,
    .command = {"key", "SET", "VIEW", "VIEW+UP", "VIEW+DOWN", "EXIT"}, .readsIntoFile = false,
    .runs = Runs::kKeys};
// clang-format on

const DeviceOperation* const kEveryOperation[] = {
    &kReadParametersOp, &kWriteParametersOp, &kSetClockOp,  &kReadNgDataOp, &kNgCsvOp, &kDictRecognizedOp,
    &kDictFromNgOp,     &kDictReadOp,        &kDictWriteOp, &kMonitorOp,    &kKeysOp};

// A line fault as torvsim's --fault names it, the message the user reads when the faulty exchange's reply
// fails, whether the row runs again through a device server, and whether it runs at the first and the
// last exchange too (else at the middle one only); or Cancel, pressed through the host.
struct Fault {
    const char* name;
    const char* message;
    bool alsoThroughServer = false;
    bool atEveryPosition = false;
};
const char* const kNoResponse = "No communication response.";
const char* const kInvalid = "Recieved an invalid communication response.";
const char* const kBadSum = "Error in checking sum of communication.";
const Fault kLineFaults[] = {
    {"silence", kNoResponse, true}, {"nak", kInvalid, true, true}, {"checksum", kBadSum},
    {"truncate", kBadSum},          {"delay", kNoResponse},        {"hangup", kNoResponse},
    {"garbage", kInvalid},          {"wrong-rate", kInvalid},      {"endless", kBadSum}};
const Fault kCancel{"cancel", "Aborted."};

struct Row {
    const DeviceOperation* operation;
    const Fault* fault;
    Position position;
    bool throughServer = false;  // rfc2217://, served by ser2net from the sensor's pseudo-terminal
    bool overTls = false;  // with throughServer: rfc2217s://, a TLS accepter asking for this PC's certificate
};

int ExchangeAt(const DeviceOperation& operation, Position position) {
    return position == Position::kFirst    ? 1
           : position == Position::kMiddle ? operation.exchanges / 2
                                           : operation.exchanges;
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    const char* positions[] = {"First", "Middle", "Last"};
    std::string fault = info.param.fault->name;
    std::erase(fault, '-');
    return std::string(info.param.operation->name) + "_" + fault + "_" +
           positions[static_cast<int>(info.param.position)] +
           (info.param.overTls         ? "_Tls"
            : info.param.throughServer ? "_Network"
                                       : "");
}

bool StoreSent(const std::vector<std::string>& frames) {
    return std::any_of(frames.begin(), frames.end(), [](const std::string& f) { return f[0] == 'U'; });
}

// The characters a read that appends has kept when exchange `failed` failed.
int KeptAfterFault(const Appending& appending, int failed) {
    if (appending.firstBlockExchange == 0 || failed <= appending.firstBlockExchange) {
        return 0;
    }
    const int blocks = (failed - appending.firstBlockExchange) / appending.exchangesPerBlock;
    return std::min(appending.characters, blocks * appending.charactersPerBlock);
}

// What the simulator holds before the tool's first frame: the default seed's memory (the options the
// rows give change what the line reads and judges, not the memory).
test::SimState StateBefore() {
    const sim::SensorModel model(1, sim::kDefaultRate, "0105");
    test::SimState state;
    state.rate = model.state().rate;
    state.version = model.state().version;
    for (std::size_t address = 0; address < model.state().words.size(); ++address) {
        if (model.state().words[address] != 0) {
            state.words[static_cast<int>(address)] = model.state().words[address];
        }
    }
    std::copy(model.state().calendar.begin(), model.state().calendar.end(), state.calendar.begin());
    state.keys.assign(model.state().keyLog.begin(), model.state().keyLog.end());
    return state;
}

// The words a write operation sends, in order, with their addresses: a write that stops part-way has
// written a first part of these and nothing else.
std::vector<std::pair<int, int>> IntendedWrites(const DeviceOperation& operation) {
    std::vector<std::pair<int, int>> writes;
    if (&operation == &kWriteParametersOp) {
        const ParameterSet set = InitialParameterSet();
        for (int i = 0; i < kWrittenCommonWords; ++i) {
            writes.emplace_back(i, set.common[static_cast<std::size_t>(i)]);
        }
        for (int b = 0; b < kBanks; ++b) {
            for (int i = 0; i < kBankWords; ++i) {
                writes.emplace_back(BankWordAddress(b, i),
                                    set.bank[static_cast<std::size_t>(b)][static_cast<std::size_t>(i)]);
            }
        }
    } else if (&operation == &kDictWriteOp) {
        const char codes[] = {'A', 'B', 'C'};
        for (int c = 0; c < kSeededCharacters; ++c) {
            const DictionaryRecord record = RecordOf({static_cast<std::uint8_t>(codes[c]), {}});
            for (int k = 0; k < kWordsPerCharacter; ++k) {
                writes.emplace_back(DictionaryRecordWordAddress(c, k), RecordWord(record, k));
            }
        }
        writes.emplace_back(kDictionaryLengthWord, kSeededCharacters * 2 * kWordsPerCharacter);
    } else if (&operation == &kSetClockOp) {
        for (int w = kCalendarArea[0].first; w <= kCalendarArea[0].last; ++w) {
            writes.emplace_back(w, 0xFFFF);
        }
    }
    return writes;
}

bool InArea(const std::vector<WordRange>& area, int address) {
    return std::any_of(area.begin(), area.end(),
                       [address](const WordRange& r) { return address >= r.first && address <= r.last; });
}

// The tool addressed nothing outside the operation's areas: `R` and `W` (at the position the last `R`
// placed) within its words, `V` only for slots 0..29 and blocks it uses, the pattern blocks (48
// characters) at most once per slot read.
void ExpectWithinAreas(const DeviceOperation& operation, const std::vector<LoggedExchange>& exchanges) {
    int position = 0;
    std::map<std::pair<int, int>, int> blocksRead;
    std::string outside;  // the first frame that went outside, in the log's words
    for (const LoggedExchange& e : exchanges) {
        if (e.letter == 'R') {
            position = e.word();
        }
        const bool word = e.letter == 'R' || e.letter == 'W';
        const bool block = e.letter == 'V';
        if ((word && !InArea(operation.area, position)) ||
            (block && (e.b1 >= kSlots || (e.b2 >= kImageBlocks && e.b2 < kFirstPatternBlock) ||
                       e.b2 > kLastBlock || ++blocksRead[std::make_pair(e.b1, e.b2)] > 1))) {
            outside = "exchange " + std::to_string(e.number) + ": " + e.letter + " " +
                      std::to_string(word ? position : e.b1) + (block ? "," + std::to_string(e.b2) : "");
            break;
        }
        position += e.letter == 'W' ? 1 : 0;
    }
    EXPECT_EQ(outside, "") << operation.name;
}

// The sensor holds what it held before, changed only by the first part of the operation's writes that
// took effect (a `W` whose reply failed still wrote), the calendar registers and keys it acknowledged
// or not. The NG ring's words move when the monitor's line stores an NG.
void ApplyEffects(const DeviceOperation& operation, const std::vector<LoggedExchange>& exchanges,
                  test::SimState& expected) {
    const auto intended = IntendedWrites(operation);
    std::size_t written = 0;
    for (const LoggedExchange& e : exchanges) {
        if (!e.tookEffect()) {
            continue;
        }
        if (e.letter == 'W') {
            ASSERT_LT(written, intended.size())
                << operation.name << ": more words written than the file holds";
            EXPECT_EQ(e.word(), intended[written].second) << operation.name << ": word " << written;
            const auto [address, value] = intended[written++];
            expected.words[address] = value;
        } else if (e.letter == 'T' && e.b1 < kCalendarRegisters) {
            expected.calendar[static_cast<std::size_t>(e.b1)] = e.b2;
        } else if (e.letter == 'P') {
            expected.keys.push_back(e.b1);
        }
    }
}

// `runs`: the exchanges of each run in turn, when several ran on the sensor.
void ExpectSensorMemory(const DeviceOperation& operation,
                        const std::vector<std::vector<LoggedExchange>>& runs, const test::SimState& after) {
    test::SimState expected = StateBefore();
    for (const auto& exchanges : runs) {
        ApplyEffects(operation, exchanges, expected);
    }
    std::erase_if(expected.words, [](const auto& w) { return w.second == 0; });
    std::map<int, int> words = after.words;
    if (operation.runs == Runs::kMonitor) {
        for (int ringWord = kNgRingArea[0].first; ringWord <= kNgRingArea[0].last; ++ringWord) {
            words.erase(ringWord);
            expected.words.erase(ringWord);
        }
    }
    EXPECT_EQ(words, expected.words) << operation.name;
    EXPECT_EQ(after.calendar, expected.calendar) << operation.name;
    EXPECT_EQ(after.keys, expected.keys) << operation.name;
    EXPECT_EQ(after.rate, expected.rate) << operation.name;
}

// After one run: nothing addressed outside the operation's areas, the memory as its writes left it.
void ExpectAreasAndMemory(const DeviceOperation& operation, test::SimulatedSensor& sensor) {
    const auto exchanges = test::LoggedExchanges(sensor.logPath());
    ExpectWithinAreas(operation, exchanges);
    ExpectSensorMemory(operation, {exchanges}, sensor.stopAndReadState());
}

// The operation's torvsim options and a fault plan.
std::vector<std::string> WithFault(const DeviceOperation& operation, const std::string& plan) {
    std::vector<std::string> arguments = operation.simArguments;
    arguments.insert(arguments.end(), {"--fault", plan});
    return arguments;
}

// The files each row starts with (a parameter file and a dictionary file a write sends), and what a row
// may leave beside them.
class OperationFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(SaveParameterFile(m_parameters, InitialParameterSet()), SaveStatus::Saved);
        ASSERT_TRUE(SaveDictionaryFile(m_dictionary,
                                       std::vector<DictionaryCharacter>{{'A', {}}, {'B', {}}, {'C', {}}}));
        m_parameterBytes = ReadFileBytes(m_parameters);
        m_dictionaryBytes = ReadFileBytes(m_dictionary);
    }

    // A write's source without its extension, or the file a read makes.
    std::string fileName(const DeviceOperation& operation, const test::TempDir* folder = nullptr) const {
        if (operation.readsIntoFile) {
            return (folder != nullptr ? *folder : m_files).file("read");
        }
        const std::string source = m_files.file(operation.source);
        return source.substr(0, source.rfind('.'));
    }

    // A read's file in `folder` when given, else in the test's.
    test::ProgramResult runTorvctl(const DeviceOperation& operation, const std::string& port,
                                   std::vector<std::string> arguments = {},
                                   const test::TempDir* folder = nullptr) const {
        arguments.insert(arguments.end(), {"--port", port});
        for (const std::string& word : operation.command) {  // NAME, or NAME with an extension
            arguments.push_back(word.starts_with("NAME") ? fileName(operation, folder) + word.substr(4)
                                                         : word);
        }
        return test::RunTorvctl(arguments, m_environment);
    }

    // A plant CA, a server certificate for 127.0.0.1 and this PC's certificate in a TLS folder of its own.
    test::Ser2netTls setUpTls() {
        m_ca = std::make_unique<test::PlantCa>();
        m_server = m_ca->issue("server", "fault-srv", "IP:127.0.0.1");
        const test::IssuedCertificate client = m_ca->issue("client", "fault-pc");
        std::filesystem::copy_file(m_ca->caFile(), m_tls.file("ca.pem"));
        std::filesystem::copy_file(client.certificate, m_tls.file("cert.pem"));
        std::filesystem::copy_file(client.key, m_tls.file("key.pem"));
        chmod(m_tls.file("key.pem").c_str(), 0600);
        m_environment = {"TORV_TLS_DIR=" + m_tls.path().string()};
        return {m_server.certificate, m_server.key, "fault-pc", m_ca->caFile()};
    }

    void expectSourcesUnchanged() const {
        EXPECT_EQ(ReadFileBytes(m_parameters), m_parameterBytes);
        EXPECT_EQ(ReadFileBytes(m_dictionary), m_dictionaryBytes);
    }

    // A read that replaces its files whole starts with them in place at the middle exchange's fault and
    // at Cancel after the last block (it is told to replace them): they must stay as they were. (A read
    // that appends keeps what it appended; the monitor replaces its CSV at Start by design.) Whether
    // the row made them.
    bool createTargets(const DeviceOperation& operation, Position position, bool cancel) const {
        if (operation.made.empty() || operation.appending.characters != 0 ||
            position != (cancel ? Position::kLast : Position::kMiddle)) {
            return false;
        }
        for (const std::string& name : operation.made) {
            test::WriteFileBytes(m_files.file(name), "what the user had in " + name);
        }
        return true;
    }

    // The files are as they were: a read made none or left those it would have replaced as they were
    // (or holds the whole blocks it appended, or the monitor's log the judgements before the failure), a
    // write's source is unchanged.
    void expectFilesAsTheyWere(const DeviceOperation& operation, int appendedCharacters,
                               const std::string& logPath, int judgements,
                               bool targetsExisted = false) const {
        std::vector<std::string> expected{"bank.torv", "user.dic4"};
        if (targetsExisted) {
            for (const std::string& name : operation.made) {
                EXPECT_EQ(ReadFileBytes(m_files.file(name)), "what the user had in " + name)
                    << operation.name;
                expected.push_back(name);
            }
            std::sort(expected.begin(), expected.end());
        }
        if (operation.runs == Runs::kMonitor) {
            expected.insert(expected.begin() + 1, "read.csv");
            auto sent = test::SentJudgements(logPath);
            ASSERT_GE(sent.size(), static_cast<std::size_t>(judgements));
            sent.resize(static_cast<std::size_t>(judgements));
            EXPECT_EQ(test::CsvProblem(m_files.file("read.csv"), sent), "");
        }
        if (appendedCharacters > 0) {  // the first blocks of a complete run, byte for byte
            expected.insert(expected.begin() + 1, "read.dic4");  // in name order
            const test::KnownSensor seeded(1);
            const auto count = static_cast<std::size_t>(appendedCharacters);
            EXPECT_EQ(ReadFileBytes(m_files.file("read.dic4")),
                      &operation == &kDictRecognizedOp
                          ? seeded.recognizedBlocks(operation.simArguments.at(1), count)
                          : seeded.characterBlocks(seeded.newestSlot(), count))
                << operation.name;
        }
        EXPECT_EQ(test::ListFolder(m_files.path()), expected);
        expectSourcesUnchanged();
    }

    std::unique_ptr<test::PlantCa> m_ca;  // made by setUpTls only: most rows need none
    test::IssuedCertificate m_server;
    test::TempDir m_tls;
    std::vector<std::string> m_environment;
    test::TempDir m_files;
    const std::string m_parameters = m_files.file("bank.torv");
    const std::string m_dictionary = m_files.file("user.dic4");
    std::string m_parameterBytes;
    std::string m_dictionaryBytes;
};

class FaultMatrix : public OperationFiles, public ::testing::WithParamInterface<Row> {
  protected:
    const DeviceOperation& operation() const { return *GetParam().operation; }
    std::string fileName() const { return OperationFiles::fileName(operation()); }
};

TEST_P(FaultMatrix, EndsWithItsMessageAndLeavesFilesAndSensorAsTheyWere) {
    const Row row = GetParam();
    if (row.throughServer && (!NetworkPortsAvailable() || test::Ser2netServer::ProgramPath().empty())) {
        GTEST_SKIP() << "needs network ports (libgensio) and ser2net";
    }
    const int exchange = ExchangeAt(operation(), row.position);
    test::SimulatedSensor sensor(WithFault(operation(), std::to_string(exchange) + "=" + row.fault->name));
    const bool targetsExisted = createTargets(operation(), row.position, false);
    std::unique_ptr<test::Ser2netServer> server;
    if (row.throughServer) {
        server = std::make_unique<test::Ser2netServer>(std::vector<std::string>{sensor.devicePath()},
                                                       row.overTls ? setUpTls() : test::Ser2netTls{});
    }
    const std::string port = server ? server->portName() : sensor.devicePath();
    const test::ProgramResult result = runTorvctl(operation(), port);
    EXPECT_EQ(result.exitCode, 1);
    // The tool's message first, then where it happened: the device and the rate.
    EXPECT_EQ(result.err.substr(0, result.err.find('\n')), row.fault->message);
    EXPECT_NE(result.err.find(port + " at 57600 baud"), std::string::npos) << result.err;
    // A write that stopped between its first word and the store command says how to restore the sensor.
    const bool unstored = &operation() == &kWriteParametersOp && row.position == Position::kMiddle;
    EXPECT_EQ(result.err.find("partly written parameter set") != std::string::npos, unstored) << result.err;
    // The monitor prints a line per judgement before the failure; nothing else prints a thing.
    const int judgements = operation().runs == Runs::kMonitor ? exchange - 1 : 0;
    EXPECT_EQ(test::OutputLines(result.out).size(), static_cast<std::size_t>(judgements)) << result.out;
    expectFilesAsTheyWere(operation(), KeptAfterFault(operation().appending, exchange), sensor.logPath(),
                          judgements, targetsExisted);
    const auto frames = sensor.frames();
    EXPECT_EQ(StoreSent(frames), operation().storesAtTheEnd && row.position == Position::kLast);
    EXPECT_EQ(frames.size(), static_cast<std::size_t>(exchange));  // nothing after the failure
    ExpectAreasAndMemory(operation(), sensor);
}

// Without a fault every operation runs to its end: its completion text, every exchange, the store, its
// files, and every word it meant to write in the sensor (checked word by word as for a failed run).
class CompleteRun : public OperationFiles, public ::testing::WithParamInterface<const DeviceOperation*> {
  protected:
    const DeviceOperation& operation() const { return *GetParam(); }
};

TEST_P(CompleteRun, EndsWithItsTextFilesAndSensorMemory) {
    test::SimulatedSensor sensor(operation().simArguments);
    const test::ProgramResult result = runTorvctl(operation(), sensor.devicePath());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    if (operation().runs == Runs::kMonitor) {
        EXPECT_EQ(test::OutputLines(result.out).size(), static_cast<std::size_t>(operation().exchanges));
        expectFilesAsTheyWere(operation(), 0, sensor.logPath(), operation().exchanges);
    } else if (operation().appending.characters > 0) {
        EXPECT_EQ(result.out, operation().printed);
        expectFilesAsTheyWere(operation(), operation().appending.characters, sensor.logPath(), 0);
    } else {
        EXPECT_EQ(result.out, operation().printed);
        std::vector<std::string> expected = operation().made;
        expected.insert(expected.end(), {"bank.torv", "user.dic4"});
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(test::ListFolder(m_files.path()), expected);
        expectSourcesUnchanged();
    }
    const auto frames = sensor.frames();
    EXPECT_EQ(frames.size(), static_cast<std::size_t>(operation().exchanges));
    EXPECT_EQ(StoreSent(frames), operation().storesAtTheEnd);
    ExpectAreasAndMemory(operation(), sensor);
}

// A late reply, then an immediate retry: the first run gives up on the middle exchange's reply, which
// the sensor sends 1500 ms late while it holds the frames after it, as a busy sensor does. The retry
// starts at once, while that reply is still to come: it must never take it for one of its own. It fails
// with the line out of step (or a reply it cannot check), leaving the files as the first run left them
// and the sensor with no more than the two runs' writes; or, when the late reply came before it opened
// the port, it is exactly a complete run.
class LateReplyRetry : public CompleteRun {
  protected:
    // The files a complete run makes, from a sensor that was never late.
    std::map<std::string, std::string> completeRunFiles() const {
        test::TempDir folder;
        test::SimulatedSensor sensor(operation().simArguments);
        EXPECT_EQ(runTorvctl(operation(), sensor.devicePath(), {}, &folder).exitCode, 0);
        std::map<std::string, std::string> files;
        for (const std::string& name : operation().made) {
            files[name] = ReadFileBytes(folder.file(name));
        }
        return files;
    }
};

TEST_P(LateReplyRetry, RetryFailsOrIsExactlyACompleteRun) {
    const int late = ExchangeAt(operation(), Position::kMiddle);
    test::SimulatedSensor sensor(WithFault(operation(), std::to_string(late) + "=delay"));
    const test::ProgramResult first = runTorvctl(operation(), sensor.devicePath());
    ASSERT_EQ(first.exitCode, 1) << first.err;
    const test::ProgramResult retry = runTorvctl(operation(), sensor.devicePath(), {"--yes"});
    std::vector<LoggedExchange> firstRun = test::LoggedExchanges(sensor.logPath());
    const auto retryStart = std::find_if(firstRun.begin(), firstRun.end(),
                                         [late](const LoggedExchange& e) { return e.number > late; });
    const std::vector<LoggedExchange> retryRun(retryStart, firstRun.end());
    firstRun.erase(retryStart, firstRun.end());
    if (retry.exitCode == 0) {
        EXPECT_EQ(retry.out, operation().printed);
        EXPECT_EQ(retryRun.size(), static_cast<std::size_t>(operation().exchanges));
        if (operation().runs == Runs::kOperation && operation().appending.characters == 0) {
            for (const auto& [name, bytes] : completeRunFiles()) {
                EXPECT_EQ(ReadFileBytes(m_files.file(name)), bytes) << name;
            }
        }
    }
    // The first run stopped a write between its first word and the store: the retry says so first.
    std::string err = retry.err;
    if (operation().storesAtTheEnd) {
        const std::string warning = "Warning: The last write to the sensor on " + sensor.devicePath() +
                                    " did not finish: " + (m_files.path() / operation().source).string();
        EXPECT_EQ(err.rfind(warning, 0), 0u) << err;
        err.erase(0, err.find('\n') + 1);
    }
    if (retry.exitCode != 0) {
        EXPECT_EQ(retry.exitCode, 1);
        const std::string message = err.substr(0, err.find('\n'));
        EXPECT_TRUE(message == kInvalid || message == kBadSum) << retry.err;
        if (message == kInvalid) {
            EXPECT_NE(err.find("a reply came late"), std::string::npos) << err;
        }
        if (operation().runs == Runs::kOperation) {  // the monitor's log keeps what it polled
            expectFilesAsTheyWere(operation(), KeptAfterFault(operation().appending, late), "", 0);
        }
    }
    ExpectWithinAreas(operation(), retryRun);
    ExpectSensorMemory(operation(), {firstRun, retryRun}, sensor.stopAndReadState());
}

// Stops the monitor's loop in the pumping after a poll, as the Stop button does.
struct StoppingMonitorHost : MonitorHost {
    StoppingMonitorHost(OperationState& s, int stopAfter) : state(s), stopAfter(stopAfter) {}
    void showJudgement(const Judgement&) override {}
    void showCount(int) override {}
    void pumpMessages() override {
        if (++pumps == stopAfter) {
            state.AbortRequest = true;
        }
    }
    OperationState& state;
    int stopAfter;
    int pumps = 0;
};

// Cancel pressed in the pumping after block 1, or after the last block: the operation looks again after
// its next block (after the last one, before the store), and ends there. The monitor stops right after
// the poll Stop followed.
class CancelMatrix : public FaultMatrix {
  protected:
    void cancelMonitor(const test::SimulatedSensor& sensor, int cancelledBlock) {
        OperationState state;
        state.ComPortNumber = sensor.port();
        ResultMonitor monitor(state);
        ASSERT_EQ(monitor.openLink(), kLinkOpened);
        ASSERT_TRUE(monitor.createCsv(fileName()));
        StoppingMonitorHost host(state, cancelledBlock);
        EXPECT_EQ(RunMonitorLoop(monitor, state, host), MonitorEnd::kStopped);
        monitor.close();  // Stop closes the file and frees the port (it opens exclusively)
        EXPECT_FALSE(monitor.csv().isOpen());
        EXPECT_EQ(OpenLink(sensor.port(), kDefaultBaudIndex), kLinkOpened);
        CloseLink(sensor.port());
        EXPECT_EQ(host.pumps, cancelledBlock);
        EXPECT_EQ(sensor.frames().size(), static_cast<std::size_t>(cancelledBlock));
        expectFilesAsTheyWere(operation(), 0, sensor.logPath(), cancelledBlock);
    }
};

TEST_P(CancelMatrix, StopsAfterTheBlockAndLeavesFilesAndSensorAsTheyWere) {
    const Row row = GetParam();
    const int cancelledBlock = row.position == Position::kFirst ? 1 : operation().blocks;
    test::SimulatedSensor sensor(operation().simArguments);
    if (operation().runs == Runs::kMonitor) {
        cancelMonitor(sensor, cancelledBlock);
        ExpectAreasAndMemory(operation(), sensor);
        return;
    }
    OperationState state;
    state.OperationCode = operation().code;
    state.ComPortNumber = sensor.port();
    state.OperationFileName = fileName();
    test::ScriptedHost host;
    host.cancelAtPump(state, cancelledBlock);
    host.answers = {true};  // replace the files there
    const bool targetsExisted = createTargets(operation(), row.position, true);
    const OperationReport report = RunOperationOfState(state, host);
    const bool last = row.position == Position::kLast;
    expectFilesAsTheyWere(
        operation(), last ? operation().appending.characters : operation().appending.keptAfterFirstCancel,
        sensor.logPath(), 0, targetsExisted);
    const auto frames = sensor.frames();
    ExpectAreasAndMemory(operation(), sensor);
    if (operation().blocks == 0) {  // nothing pumps: the run cannot be stopped and completes
        EXPECT_EQ(report.outcome, OperationOutcome::kCompleted);
        EXPECT_EQ(frames.size(), static_cast<std::size_t>(operation().exchanges));
        return;
    }
    EXPECT_EQ(report.outcome, OperationOutcome::kAborted);
    EXPECT_EQ(report.text, "Aborted.");
    EXPECT_FALSE(report.offersEdit);
    // Once a read appends, the editor selects the characters it meant to append, from where they begin.
    const bool appended = last || operation().appending.keptAfterFirstCancel > 0;
    EXPECT_EQ(state.AppendedCharCount, appended ? operation().appending.characters : 0);
    EXPECT_FALSE(StoreSent(frames));
    EXPECT_EQ(host.pumps, cancelledBlock);
    if (last) {  // every block went out; only what follows the blocks is missing
        EXPECT_EQ(frames.size(),
                  static_cast<std::size_t>(operation().exchanges - operation().exchangesAfterBlocks));
    } else if (operation().framesAfterFirstCancel > 0) {
        EXPECT_EQ(frames.size(), static_cast<std::size_t>(operation().framesAfterFirstCancel));
    } else {
        EXPECT_LT(frames.size(), static_cast<std::size_t>(operation().exchanges / 2));
    }
}

std::vector<Row> FaultRows() {
    std::vector<Row> rows;
    for (const DeviceOperation* operation : kEveryOperation) {
        for (const Fault& fault : kLineFaults) {
            for (Position position : {Position::kFirst, Position::kMiddle, Position::kLast}) {
                if (position != Position::kMiddle && !fault.atEveryPosition) {
                    continue;
                }
                rows.push_back({operation, &fault, position});
                if (fault.alsoThroughServer) {
                    rows.push_back({operation, &fault, position, true});
                }
                if (fault.alsoThroughServer && position == Position::kMiddle) {
                    rows.push_back({operation, &fault, position, true, true});
                }
            }
        }
    }
    return rows;
}

// The keys are single exchanges and the remote controller has no Cancel (only Quit, between keys).
std::vector<Row> CancelRows() {
    std::vector<Row> rows;
    for (const DeviceOperation* operation : kEveryOperation) {
        if (operation->runs == Runs::kKeys) {
            continue;
        }
        for (Position position : {Position::kFirst, Position::kLast}) {
            rows.push_back({operation, &kCancel, position});
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultMatrix, ::testing::ValuesIn(FaultRows()), RowName);
INSTANTIATE_TEST_SUITE_P(Operations, CancelMatrix, ::testing::ValuesIn(CancelRows()), RowName);
INSTANTIATE_TEST_SUITE_P(Operations, LateReplyRetry,
                         ::testing::ValuesIn(std::begin(kEveryOperation), std::end(kEveryOperation)),
                         [](const auto& info) { return std::string(info.param->name); });
INSTANTIATE_TEST_SUITE_P(Operations, CompleteRun,
                         ::testing::ValuesIn(std::begin(kEveryOperation), std::end(kEveryOperation)),
                         [](const auto& info) { return std::string(info.param->name); });

// ---- Out-of-range values from a wrong sensor ------------------------------------------------------

struct ValueRow {
    const DeviceOperation* operation;
    std::string_view fault;  // as torvsim's --fault names it
};

std::string ValueRowName(const ::testing::TestParamInfo<ValueRow>& info) {
    std::string fault(info.param.fault);
    std::erase(fault, '-');
    return std::string(info.param.operation->name) + "_" + fault;
}

bool ReadsNgSlots(const DeviceOperation& operation) {
    return &operation == &kReadNgDataOp || &operation == &kNgCsvOp || &operation == &kDictFromNgOp;
}

// The message an out-of-range value ends the operation with; empty when the operation completes (it
// clamps the value, records it, or never reads it).
std::string ValueFaultMessage(const ValueRow& row) {
    if (row.fault == "slot-pointer-200" && ReadsNgSlots(*row.operation)) {
        return "Recieved an invalid communication response.";
    }
    if (row.fault == "trailer-count-255" && row.operation->runs == Runs::kMonitor) {
        return "Error in checking sum of communication.";
    }
    return {};
}

class HostileValues : public OperationFiles, public ::testing::WithParamInterface<ValueRow> {};

// The value each operation meets: the clamp, the record, or the message; never an address outside the
// operation's areas, no more than 48 NG characters, no dictionary word past 895.
void ExpectValueReaction(const ValueRow& row, const std::string& fileBase, const std::string& err,
                         const std::vector<LoggedExchange>& exchanges) {
    const DeviceOperation& operation = *row.operation;
    const std::string clampNote = "the sensor reported 255 characters; a record holds 48";
    const auto count = [&](char letter) {
        return std::count_if(exchanges.begin(), exchanges.end(),
                             [letter](const LoggedExchange& e) { return e.letter == letter; });
    };
    if (row.fault == "slot-pointer-200" && ReadsNgSlots(operation)) {
        EXPECT_NE(err.find("slot pointer 200"), std::string::npos) << err;
        EXPECT_EQ(count('V'), 0);
    } else if (row.fault == "slot-pointer-200" && &operation == &kReadParametersOp) {
        const LoadedParameters read = LoadParameterFile(fileBase + ".torv");
        EXPECT_EQ(read.set.common[9] & 0xFF, 200) << "the parameter read records what the sensor said";
    } else if (row.fault == "dict-length-65535" && &operation == &kDictReadOp) {
        EXPECT_NE(err.find("announces 8191 characters, but its dictionary area holds 56"), std::string::npos)
            << err;
        EXPECT_EQ(LoadDictionaryFile(fileBase + ".dic4").characters.size(), kDictionaryRoom);
        EXPECT_EQ(count('R'), kLengthFrames + kDictionaryRoom * kWordsPerCharacter);  // words 672..895
    } else if (row.fault == "ng-count-255" && &operation == &kReadNgDataOp) {
        const auto lines = test::CsvLines(fileBase + ".ng4");
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], "Character number = 48 (" + clampNote + ")");
        EXPECT_EQ(count('V'), kImageBlocks + kRecordBlocks + kMostPatternBlocks);
    } else if (row.fault == "ng-count-255" && &operation == &kNgCsvOp) {
        const auto lines = test::CsvLines(fileBase + ".csv");
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Number of character,48," + clampNote), kSlots);
    } else if (row.fault == "ng-count-255" && &operation == &kDictFromNgOp) {
        EXPECT_NE(err.find("The NG record claims 255 characters"), std::string::npos) << err;
        EXPECT_EQ(LoadDictionaryFile(fileBase + ".dic4").characters.size(), kMostNgCharacters);
        EXPECT_EQ(count('V'), kRecordBlocks + kMostPatternBlocks);
    }
}

TEST_P(HostileValues, MeetsTheValueWithinItsAreas) {
    const ValueRow row = GetParam();
    const DeviceOperation& operation = *row.operation;
    test::SimulatedSensor sensor(WithFault(operation, "1+=" + std::string(row.fault)));
    const test::ProgramResult result = runTorvctl(operation, sensor.devicePath());
    const std::string message = ValueFaultMessage(row);
    EXPECT_EQ(result.exitCode, message.empty() ? 0 : 1) << result.err;
    if (!message.empty()) {
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), message);
    }
    const auto exchanges = test::LoggedExchanges(sensor.logPath());
    ExpectValueReaction(row, fileName(operation), result.err, exchanges);
    if (operation.runs == Runs::kMonitor) {
        // The judgements before the one that announced 255 characters are logged, and no other.
        const auto faulty = std::find_if(exchanges.begin(), exchanges.end(),
                                         [](const LoggedExchange& e) { return !e.fault.empty(); });
        auto sent = test::SentJudgements(sensor.logPath());
        std::erase_if(sent, [&](const test::SentJudgement& j) {
            return faulty != exchanges.end() && j.exchange >= faulty->number;
        });
        EXPECT_EQ(test::CsvProblem(fileName(operation) + ".csv", sent), "");
    }
    expectSourcesUnchanged();
    ExpectWithinAreas(operation, exchanges);
    ExpectSensorMemory(operation, {exchanges}, sensor.stopAndReadState());
}

std::vector<ValueRow> ValueRows() {
    std::vector<ValueRow> rows;
    for (const DeviceOperation* operation : kEveryOperation) {
        for (const char* fault :
             {"slot-pointer-200", "dict-length-65535", "ng-count-255", "trailer-count-255"}) {
            rows.push_back({operation, fault});
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Operations, HostileValues, ::testing::ValuesIn(ValueRows()), ValueRowName);

}  // namespace
}  // namespace torv
