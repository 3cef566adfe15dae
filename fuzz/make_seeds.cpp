// Writes the seed corpus of every fuzz target into OUT/<target>/: files and exchanges as the tool and
// torvsim really make them (torvsim's seeded parameters, dictionary, recognized characters, NG slots and
// judgements, written through the tool's own writers), plus the edge cases the tests use.
//
//   fuzz_seeds OUT

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/settings_file.h"
#include "dictionary/dictionary_file.h"
#include "fuzz/fuzz_support.h"
#include "link/frames.h"
#include "monitor/judgement.h"
#include "params/parameter_file.h"
#include "sim/protocol_machine.h"
#include "sim/sensor_model.h"

namespace torv::fuzz {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kSeeds[] = {1, 2, 3};
constexpr int kSeedImageLines = 4;

class SeedWriter {
  public:
    explicit SeedWriter(fs::path root) : m_root(std::move(root)) {}

    void write(const std::string& target, const std::string& name, const Bytes& bytes) {
        fs::create_directories(m_root / target);
        std::ofstream out(m_root / target / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ++m_count;
    }
    void write(const std::string& target, const std::string& name, const std::string& text) {
        write(target, name, Bytes(text.begin(), text.end()));
    }
    // A file one of the tool's writers made in the scratch folder.
    void copyFile(const std::string& target, const std::string& name, const std::string& path) {
        write(target, name, ReadBytes(path));
    }
    int count() const { return m_count; }

  private:
    fs::path m_root;
    int m_count = 0;
};

void Append(Bytes& to, const Bytes& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

ParameterSet SensorParameters(const sim::SensorModel& model) {
    ParameterSet set;
    set.version = 105;
    for (int i = 0; i < kCommonWordCount; ++i) {
        set.common[static_cast<std::size_t>(i)] = model.state().words[static_cast<std::size_t>(i)];
    }
    for (int b = 0; b < kBankCount; ++b) {
        for (int i = 0; i < kBankWordCount; ++i) {
            set.bank[static_cast<std::size_t>(b)][static_cast<std::size_t>(i)] =
                model.state().words[static_cast<std::size_t>(BankWordAddress(b, i))];
        }
    }
    return set;
}

void ParameterSeeds(SeedWriter& seeds) {
    const std::string path = ScratchPath("seed.torv");
    SaveParameterFile(path, InitialParameterSet());
    seeds.copyFile("parameter_file", "initial.torv", path);
    for (std::uint64_t seed : kSeeds) {
        sim::SensorModel model(seed, sim::kDefaultRate, "0105");
        SaveParameterFile(path, SensorParameters(model));
        std::string text = ReadBytes(path);
        seeds.write("parameter_file", "sensor-" + std::to_string(seed) + ".torv", text);
        if (seed == 1) {
            // The version as a read writes it, the older form without version lines, a file cut in bank 3.
            seeds.write("parameter_file", "version-chars.torv",
                        "Software version\r\n0105" + text.substr(text.find("\r\nCommon")));
            seeds.write("parameter_file", "old-form.torv", text.substr(text.find("Common")));
            seeds.write("parameter_file", "cut-in-bank-3.torv",
                        text.substr(0, text.find("Bank parameter No.3") + 40));
        }
    }
}

void SettingsSeeds(SeedWriter& seeds) {
    const std::string path = ScratchPath("seed.ini");
    LoaderSettings settings = DefaultSettings();
    WriteSettingsFile(path, settings);
    seeds.copyFile("settings_file", "defaults.ini", path);
    settings = {3, 5, 29, {"/data/bank", "/log/result", "C:\\dic\\user", "ng"}};
    WriteSettingsFile(path, settings);
    seeds.copyFile("settings_file", "names.ini", path);
    seeds.write("settings_file", "out-of-range.ini",
                std::string("12\r\n9\r\n-1\r\nPlease specify file name.\r\n\r\n"));
    seeds.write("settings_file", "short.ini", std::string("0\n4"));
}

void DictionarySeeds(SeedWriter& seeds) {
    for (std::uint64_t seed : kSeeds) {
        sim::SensorModel model(seed, sim::kDefaultRate, "0105");
        const int count = model.state().words[kDictionaryLengthWord] / kDictionaryRecordSize;
        std::vector<DictionaryCharacter> characters;
        for (int i = 0; i < count && i < kDictionaryMaxChars; ++i) {
            DictionaryRecord record{};
            for (int k = 0; k < kWordsPerRecord; ++k) {
                const std::uint16_t word =
                    model.state().words[static_cast<std::size_t>(DictionaryRecordWordAddress(i, k))];
                record[static_cast<std::size_t>(2 * k)] = static_cast<std::uint8_t>(word & 0xFF);
                record[static_cast<std::size_t>(2 * k + 1)] = static_cast<std::uint8_t>(word >> 8);
            }
            characters.push_back(CharacterOfRecord(record));
        }
        seeds.write("dictionary_file", "sensor-" + std::to_string(seed) + ".dic4",
                    DictionaryFileBytes(characters));
        // What a read of recognized characters appends: code "?" and all four cell symbols.
        std::string appended;
        const int recognized = model.handOverRecognized();
        for (int c = 0; c < recognized; ++c) {
            CharacterPattern pattern{};
            for (int pair = 0; pair < kPatternSize / 2; ++pair) {
                const auto bytes = model.patternPair(c, pair);
                pattern[static_cast<std::size_t>(2 * pair)] = bytes[0];
                pattern[static_cast<std::size_t>(2 * pair + 1)] = bytes[1];
            }
            appended += CharacterBlockFromPattern(pattern);
        }
        seeds.write("dictionary_file", "recognized-" + std::to_string(seed) + ".dic4", appended);
    }
    std::vector<DictionaryCharacter> sixty(
        60, DictionaryCharacter{'7', {0x7F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}});
    seeds.write("dictionary_file", "sixty.dic4", DictionaryFileBytes(sixty));
    seeds.write("dictionary_file", "line-end-code.dic4",
                DictionaryFileBytes(std::vector<DictionaryCharacter>{{'\n', {}}}));
    seeds.write("dictionary_file", "empty.dic4", std::string());
}

void NgSlotSeeds(SeedWriter& seeds) {
    for (std::uint64_t seed : kSeeds) {
        sim::SensorModel model(seed, sim::kDefaultRate, "0105");
        const int newest = (model.ngRing().slotPointer() + sim::kNgSlotCount - 1) % sim::kNgSlotCount;
        for (int age = 0; age < 3; ++age) {
            const int slot = (newest + sim::kNgSlotCount - age) % sim::kNgSlotCount;
            Bytes input;
            for (int block : {249, 250, 251, 246, 247, 248}) {
                const auto b = model.ngBlock(slot, block);
                input.insert(input.end(), b.begin(), b.end());
            }
            if (age == 0) {  // the image costs the target most: one slot of each seed has a few lines
                for (int block = 0; block < 2 * kSeedImageLines; ++block) {
                    const auto b = model.ngBlock(slot, block);
                    input.insert(input.end(), b.begin(), b.end());
                }
            }
            seeds.write("ng_slot", "slot-" + std::to_string(seed) + "-" + std::to_string(slot), input);
            if (seed == 1 && age == 0) {
                input[568] = 255;  // a record announcing more characters than it holds
                seeds.write("ng_slot", "count-255", input);
            }
        }
    }
}

// A poll as the judgement target takes it: what each of its three reads finds, then the bytes sent.
Bytes Poll(const Bytes& sent) {
    Bytes poll;
    Append(poll, NumberBytes(0, 1, 1));
    Append(poll, NumberBytes(0, 3, 3));
    Append(poll, NumberBytes(0, kMaxTrailerSize, kMaxTrailerSize));
    Append(poll, NumberBytes(0, kMaxTrailerSize + 4, static_cast<int>(sent.size())));
    Append(poll, sent);
    return poll;
}

Bytes JudgementReply(const sim::Judgement& j) {
    Bytes reply = sim::BuildReplyFrame(Bytes{j.count, j.status});
    Append(reply, j.trailer);
    return reply;
}

void JudgementSeeds(SeedWriter& seeds) {
    for (std::uint64_t seed : kSeeds) {
        sim::JudgementSettings everyPoll;
        everyPoll.shortestInterval = everyPoll.longestInterval = std::chrono::milliseconds(0);
        everyPoll.okWeight = 6;
        everyPoll.ngWeight = 3;
        everyPoll.noneWeight = 1;
        sim::SensorModel model(seed, sim::kDefaultRate, "0105", everyPoll);
        Bytes input;
        for (int p = 0; p < 8; ++p) {
            Append(input, Poll(JudgementReply(model.pollJudgement(std::chrono::seconds(p + 1)))));
        }
        seeds.write("judgement", "stream-" + std::to_string(seed), input);
    }
    seeds.write("judgement", "nothing-new", Poll(sim::BuildReplyFrame(Bytes{5, 0})));
    seeds.write("judgement", "no-trailer", Poll(sim::BuildReplyFrame(Bytes{3, 1})));
}

Bytes ReplySeed(int mode, const Bytes& reply) {
    Bytes input = NumberBytes(0, 2, mode);
    Append(input, NumberBytes(0, 2, 1));
    Append(input, NumberBytes(0, kFrameBufferSize + 2, kFrameBufferSize + 2));
    Append(input, reply);
    return input;
}

void ReceiveReplySeeds(SeedWriter& seeds) {
    sim::SensorModel model(1, sim::kDefaultRate, "0105");
    const auto block =
        model.ngBlock((model.ngRing().slotPointer() + sim::kNgSlotCount - 1) % sim::kNgSlotCount, 249);
    const Bytes word = sim::BuildReplyFrame(Bytes{0x34, 0x12});
    seeds.write("receive_reply", "word", ReplySeed(0, word));
    seeds.write("receive_reply", "block",
                ReplySeed(1, sim::BuildReplyFrame(Bytes(block.begin(), block.end()))));
    seeds.write("receive_reply", "nak",
                ReplySeed(0, sim::ShapeReply(Bytes{0x34, 0x12}, {}, sim::FaultKind::kNak)));
    seeds.write("receive_reply", "truncated",
                ReplySeed(0, sim::ShapeReply(Bytes{0x34, 0x12}, {}, sim::FaultKind::kTruncate)));
    seeds.write("receive_reply", "garbage",
                ReplySeed(0, sim::ShapeReply(Bytes{0x34, 0x12}, {}, sim::FaultKind::kGarbage)));
}

// The frames of a few of the tool's operations, one byte a millisecond, each frame 10 ms after the last.
Bytes ToolFrames(const std::vector<std::array<std::uint8_t, 3>>& commands, bool badChecksum = false) {
    Bytes input;
    Append(input, NumberBytes(0, 255, 1));  // seed
    Append(input, NumberBytes(0, 1, 1));    // a judgement at every poll
    Append(input, NumberBytes(0, 3, 0));    // no fault
    for (const auto& c : commands) {
        Bytes frame{c[0], c[1], c[2],
                    static_cast<std::uint8_t>(0xFF - c[0] - c[1] - c[2] - (badChecksum ? 1 : 0))};
        for (std::size_t i = 0; i < frame.size(); ++i) {
            Append(input, NumberBytes(0, 3, i == 0 ? 1 : 0));
            Append(input, NumberBytes(0, 255, frame[i]));
        }
    }
    return input;
}

void SimProtocolSeeds(SeedWriter& seeds) {
    std::vector<std::array<std::uint8_t, 3>> paramsRead{{'S', 0, 7}, {'S', 1, 7}};
    for (std::uint8_t w = 0; w < 12; ++w) {
        paramsRead.push_back({'R', w, 0});
    }
    seeds.write("sim_protocol", "params-read", ToolFrames(paramsRead));
    seeds.write("sim_protocol", "dict-write",
                ToolFrames({{'R', 0xA0, 0x02},
                            {'W', '1', 0x80},
                            {'W', 0x88, 0x88},
                            {'W', 0x88, 0x88},
                            {'W', 0x88, 0x80},
                            {'R', 12, 0},
                            {'W', 8, 0},
                            {'U', 8, 0},
                            {'R', 12, 0},
                            {'R', 0xA0, 0x02}}));
    seeds.write(
        "sim_protocol", "ng-read",
        ToolFrames({{'R', 9, 0}, {'R', 10, 0}, {'R', 11, 0}, {'V', 3, 249}, {'V', 3, 251}, {'V', 200, 246}}));
    seeds.write("sim_protocol", "monitor", ToolFrames({{'Y', 0, 0}, {'Y', 0, 0}, {'Y', 0, 0}, {'Y', 0, 0}}));
    seeds.write("sim_protocol", "clock-and-keys",
                ToolFrames({{'R', 0x80, 0x03},
                            {'W', 0xFF, 0xFF},
                            {'T', 2, 0x09},
                            {'T', 15, 0},
                            {'P', 4, 0},
                            {'P', 17, 0},
                            {'S', 6, 0},
                            {'S', 9, 1}}));
    seeds.write("sim_protocol", "bad-checksum", ToolFrames({{'R', 0, 0}, {'W', 1, 2}}, true));
}

}  // namespace
}  // namespace torv::fuzz

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_seeds OUT\n";
        return 2;
    }
    torv::fuzz::SeedWriter seeds(argv[1]);
    torv::fuzz::ParameterSeeds(seeds);
    torv::fuzz::SettingsSeeds(seeds);
    torv::fuzz::DictionarySeeds(seeds);
    torv::fuzz::NgSlotSeeds(seeds);
    torv::fuzz::JudgementSeeds(seeds);
    torv::fuzz::ReceiveReplySeeds(seeds);
    torv::fuzz::SimProtocolSeeds(seeds);
    std::cout << seeds.count() << " seeds in " << argv[1] << '\n';
    return 0;
}
