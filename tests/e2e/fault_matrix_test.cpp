// Every device operation against every way a sensor or a line fails, at the first, a middle and the
// last exchange, and Cancel after the first and the last block: the message the user sees, the exit
// code, what is left on disk, and whether the store command went out. Faults run through torvctl as a
// user would; Cancel is pressed through the engine's host, at exactly the block it names. The silence
// and NAK rows run again through a real device server (ser2net with RFC 2217).

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "dictionary/dictionary_file.h"
#include "link/com_device.h"
#include "operations/device_operations.h"
#include "params/parameter_file.h"
#include "tests/support/scripted_host.h"
#include "tests/support/ser2net_server.h"
#include "tests/support/simulated_sensor.h"

namespace torv {
namespace {

using test::ReadFileBytes;

enum class Trigger { kSilence, kNak, kChecksum, kTruncate, kDelay, kHangup, kCancel };
enum class Position { kFirst, kMiddle, kLast };

// A read that appends character blocks keeps the whole blocks it appended before it stopped.
struct Appending {
    int firstBlockExchange = 0;  // 0: the operation appends nothing
    int exchangesPerBlock = 1;
    int charactersPerBlock = 1;
    int characters = 0;            // in a complete run
    int keptAfterFirstCancel = 0;  // Cancel after block 1 is seen after the next block
};

struct DeviceOperation {
    const char* name;
    int code;
    int exchanges;  // in a complete run
    int blocks;     // Cancel is seen after each; 0: the operation cannot be cancelled once started
    std::vector<std::string> command;  // torvctl's words, NAME standing for the file name
    bool readsIntoFile;                // the file is the target (else, for a write, the source)
    bool storesAtTheEnd;               // the last exchange is the store command `U`
    int exchangesAfterBlocks = 0;      // after the last block (a write's length and store)
    const char* source = "bank.torv";  // the file a write sends
    std::vector<std::string> simArguments = {};
    Appending appending = {};
    int framesAfterFirstCancel = 0;  // 0: fewer than half the exchanges
};

const DeviceOperation kReadParametersOp{
    "ParamsRead", kReadParameters, 590, 16, {"params", "read", "NAME"}, true, false};
const DeviceOperation kWriteParametersOp{
    "ParamsWrite", kWriteParameters, 590, 16, {"--yes", "params", "write", "NAME"}, false, true, 1};
const DeviceOperation kSetClockOp{"ClockSet", kSetClock, 25, 0, {"--yes", "clock", "set"}, false, false};
// The newest NG of the default seed has 17 characters: 3 ring words, 244 image blocks, 3 record blocks
// and 2 pattern blocks. Its last Cancel check comes after the record, before the pattern blocks.
const DeviceOperation kReadNgDataOp{"NgRead", kReadNgData, 252, 125, {"ng", "read", "NAME"}, true, false};
// The default seed's occupancy reaches slot 29 of the ring: all 30 slots, six blocks each.
const DeviceOperation kNgCsvOp{"NgCsv", kConvertNgDataToCsv, 183, 180, {"ng", "csv", "NAME"}, true, false};
// Five recognized characters of eight pattern exchanges each, after the count.
const DeviceOperation kDictRecognizedOp{"DictRecognized",
                                        kReadRecognizedCharacters,
                                        41,
                                        5,
                                        {"dict", "recognized", "NAME"},
                                        true,
                                        false,
                                        0,
                                        "",
                                        {"--recognized", "A12B3"},
                                        {2, 8, 1, 5, 2}};
// The newest NG's 17 characters: 3 ring words, 3 record blocks, then 2 pattern blocks of 16 and 1.
const DeviceOperation kDictFromNgOp{
    "DictFromNg", kReadNgCharacters, 8, 5, {"dict", "from-ng", "NAME", "--ng", "1"}, true, false, 0, "",
    {},           {7, 1, 16, 17, 0}, 5};
// The seeded dictionary of 3 characters: the length, then four words each.
const DeviceOperation kDictReadOp{
    "DictRead", kReadDictionary, 13, 3, {"dict", "read", "NAME"}, true, false, 0, "", {}, {}, 9};
// Three characters of four words, after `R` 672; then `R` 12, the length and the store.
const DeviceOperation kDictWriteOp{"DictWrite",
                                   kWriteDictionary,
                                   16,
                                   3,
                                   {"--yes", "dict", "write", "NAME"},
                                   false,
                                   true,
                                   3,
                                   "user.dic4",
                                   {},
                                   {},
                                   9};

struct Row {
    const DeviceOperation* operation;
    Trigger trigger;
    Position position;
    bool throughServer = false;  // rfc2217://, served by ser2net from the sensor's pseudo-terminal
};

const char* FaultName(Trigger trigger) {
    switch (trigger) {
        case Trigger::kSilence:
            return "silence";
        case Trigger::kNak:
            return "nak";
        case Trigger::kChecksum:
            return "checksum";
        case Trigger::kTruncate:
            return "truncate";
        case Trigger::kDelay:
            return "delay";
        case Trigger::kHangup:
            return "hangup";
        case Trigger::kCancel:
            break;
    }
    return "cancel";
}

// What the user reads when the reply to the faulty exchange fails.
const char* FaultMessage(Trigger trigger) {
    switch (trigger) {
        case Trigger::kNak:
            return "Recieved an invalid communication response.";
        case Trigger::kChecksum:
        case Trigger::kTruncate:
            return "Error in checking sum of communication.";
        default:
            return "No communication response.";
    }
}

int ExchangeAt(const DeviceOperation& operation, Position position) {
    switch (position) {
        case Position::kFirst:
            return 1;
        case Position::kMiddle:
            return operation.exchanges / 2;
        case Position::kLast:
            break;
    }
    return operation.exchanges;
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.operation->name << ' ' << FaultName(row.trigger) << ' ' << static_cast<int>(row.position)
         << (row.throughServer ? " through the server" : "");
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    const char* positions[] = {"First", "Middle", "Last"};
    return std::string(info.param.operation->name) + "_" + FaultName(info.param.trigger) + "_" +
           positions[static_cast<int>(info.param.position)] + (info.param.throughServer ? "_Network" : "");
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

class FaultMatrix : public ::testing::TestWithParam<Row> {
  protected:
    void SetUp() override {
        ASSERT_EQ(SaveParameterFile(m_parameters, InitialParameterSet()), SaveStatus::Saved);
        ASSERT_TRUE(SaveDictionaryFile(m_dictionary,
                                       std::vector<DictionaryCharacter>{{'A', {}}, {'B', {}}, {'C', {}}}));
        m_parameterBytes = ReadFileBytes(m_parameters);
        m_dictionaryBytes = ReadFileBytes(m_dictionary);
    }
    // A write's source without its extension, or the file a read makes.
    std::string fileName() const {
        const DeviceOperation& operation = *GetParam().operation;
        if (operation.readsIntoFile) {
            return m_files.file("read");
        }
        const std::string source = m_files.file(operation.source);
        return source.substr(0, source.rfind('.'));
    }

    // The files are as they were: a read made none (or holds the whole blocks it appended), a write's
    // source is unchanged.
    void expectFilesAsTheyWere(int appendedCharacters = 0) const {
        std::vector<std::string> expected{"bank.torv", "user.dic4"};
        if (appendedCharacters > 0) {
            expected.insert(expected.begin() + 1, "read.dic4");  // in name order
            const LoadedDictionary appended = LoadDictionaryFile(m_files.file("read.dic4"));
            EXPECT_EQ(appended.status, DictionaryStatus::kLoaded);
            EXPECT_EQ(appended.characters.size(), static_cast<std::size_t>(appendedCharacters));
        }
        EXPECT_EQ(test::ListFolder(m_files.path()), expected);
        EXPECT_EQ(ReadFileBytes(m_parameters), m_parameterBytes);
        EXPECT_EQ(ReadFileBytes(m_dictionary), m_dictionaryBytes);
    }

    test::TempDir m_files;
    const std::string m_parameters = m_files.file("bank.torv");
    const std::string m_dictionary = m_files.file("user.dic4");
    std::string m_parameterBytes;
    std::string m_dictionaryBytes;
};

TEST_P(FaultMatrix, EndsWithItsMessageAndLeavesFilesAsTheyWere) {
    const Row row = GetParam();
    const DeviceOperation& operation = *row.operation;
    const int exchange = ExchangeAt(operation, row.position);
    if (row.throughServer && (!NetworkPortsAvailable() || test::Ser2netServer::ProgramPath().empty())) {
        GTEST_SKIP() << "needs network ports (libgensio) and ser2net";
    }
    std::vector<std::string> simArguments = operation.simArguments;
    simArguments.insert(simArguments.end(),
                        {"--fault", std::to_string(exchange) + "=" + FaultName(row.trigger)});
    test::SimulatedSensor sensor(simArguments);
    std::unique_ptr<test::Ser2netServer> server;
    if (row.throughServer) {
        server = std::make_unique<test::Ser2netServer>(std::vector<std::string>{sensor.devicePath()});
    }
    std::vector<std::string> arguments{"--port", server ? server->portName() : sensor.devicePath()};
    for (const std::string& word : operation.command) {
        arguments.push_back(word == "NAME" ? fileName() : word);
    }
    const test::ProgramResult result = test::RunProgram(TORVCTL_PATH, arguments);
    EXPECT_EQ(result.exitCode, 1);
    // The tool's own message first, then where it happened: the device and the rate.
    EXPECT_EQ(result.err.substr(0, result.err.find('\n')), FaultMessage(row.trigger));
    EXPECT_NE(result.err.find(arguments[1] + " at 57600 baud"), std::string::npos) << result.err;
    // A write that stopped between its first word and the store command says how to restore the sensor.
    const bool unstored = &operation == &kWriteParametersOp && row.position == Position::kMiddle;
    EXPECT_EQ(result.err.find("partly written parameter set") != std::string::npos, unstored) << result.err;
    EXPECT_TRUE(result.out.empty());
    expectFilesAsTheyWere(KeptAfterFault(operation.appending, exchange));
    const auto frames = sensor.frames();
    EXPECT_EQ(StoreSent(frames), operation.storesAtTheEnd && row.position == Position::kLast);
    EXPECT_EQ(frames.size(), static_cast<std::size_t>(exchange));  // nothing after the failure
}

// Cancel pressed in the pumping after block 1, or after the last block: the operation looks again after
// its next block (after the last one, before the store), and ends there.
class CancelMatrix : public FaultMatrix {};

TEST_P(CancelMatrix, StopsAfterTheBlockAndLeavesFilesAsTheyWere) {
    const Row row = GetParam();
    const DeviceOperation& operation = *row.operation;
    const int cancelledBlock = row.position == Position::kFirst ? 1 : operation.blocks;
    test::SimulatedSensor sensor(operation.simArguments);
    OperationState state;
    state.OperationCode = operation.code;
    state.ComPortNumber = sensor.port();
    state.OperationFileName = fileName();
    test::ScriptedHost host;
    int pumps = 0;
    host.onPump = [&] {
        if (++pumps == cancelledBlock) {
            state.AbortRequest = true;
        }
    };
    const OperationReport report = RunOperationOfState(state, host);
    const bool last = row.position == Position::kLast;
    expectFilesAsTheyWere(last ? operation.appending.characters : operation.appending.keptAfterFirstCancel);
    const auto frames = sensor.frames();
    if (operation.blocks == 0) {  // nothing pumps: the run cannot be stopped and completes
        EXPECT_EQ(report.outcome, OperationOutcome::kCompleted);
        EXPECT_EQ(frames.size(), static_cast<std::size_t>(operation.exchanges));
        return;
    }
    EXPECT_EQ(report.outcome, OperationOutcome::kAborted);
    EXPECT_EQ(report.text, "Aborted.");
    EXPECT_FALSE(StoreSent(frames));
    EXPECT_EQ(pumps, cancelledBlock);
    if (last) {  // every block went out; only what follows the blocks is missing
        EXPECT_EQ(frames.size(),
                  static_cast<std::size_t>(operation.exchanges - operation.exchangesAfterBlocks));
    } else if (operation.framesAfterFirstCancel > 0) {
        EXPECT_EQ(frames.size(), static_cast<std::size_t>(operation.framesAfterFirstCancel));
    } else {
        EXPECT_LT(frames.size(), static_cast<std::size_t>(operation.exchanges / 2));
    }
}

std::vector<Row> FaultRows() {
    std::vector<Row> rows;
    for (const DeviceOperation* operation :
         {&kReadParametersOp, &kWriteParametersOp, &kSetClockOp, &kReadNgDataOp, &kNgCsvOp,
          &kDictRecognizedOp, &kDictFromNgOp, &kDictReadOp, &kDictWriteOp}) {
        for (Trigger trigger : {Trigger::kSilence, Trigger::kNak, Trigger::kChecksum, Trigger::kTruncate,
                                Trigger::kDelay, Trigger::kHangup}) {
            for (Position position : {Position::kFirst, Position::kMiddle, Position::kLast}) {
                rows.push_back({operation, trigger, position});
                if (trigger == Trigger::kSilence || trigger == Trigger::kNak) {
                    rows.push_back({operation, trigger, position, true});
                }
            }
        }
    }
    return rows;
}

std::vector<Row> CancelRows() {
    std::vector<Row> rows;
    for (const DeviceOperation* operation :
         {&kReadParametersOp, &kWriteParametersOp, &kSetClockOp, &kNgCsvOp, &kDictRecognizedOp,
          &kDictFromNgOp, &kDictReadOp, &kDictWriteOp}) {
        for (Position position : {Position::kFirst, Position::kLast}) {
            rows.push_back({operation, Trigger::kCancel, position});
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultMatrix, ::testing::ValuesIn(FaultRows()), RowName);
INSTANTIATE_TEST_SUITE_P(Operations, CancelMatrix, ::testing::ValuesIn(CancelRows()), RowName);

}  // namespace
}  // namespace torv
