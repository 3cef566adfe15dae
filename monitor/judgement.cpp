#include "monitor/judgement.h"

namespace torv {
namespace {

// Byte offsets inside one character's four trailer bytes.
constexpr std::size_t kNumericalDifferenceOffset = 0;
constexpr std::size_t kAlphabeticDifferenceOffset = 1;
constexpr std::size_t kNumericalCharacterOffset = 2;
constexpr std::size_t kAlphabeticCharacterOffset = 3;

int SignedByte(std::uint8_t byte) {
    return static_cast<std::int8_t>(byte);
}

char CharacterOf(std::uint8_t byte) {
    return static_cast<char>(byte & kJudgedCharacterBits);
}

template <typename Pick>
std::string Characters(const std::vector<JudgedCharacter>& characters, Pick pick) {
    std::string text;
    text.reserve(characters.size());
    for (const JudgedCharacter& c : characters) {
        text.push_back(pick(c));
    }
    return text;
}

}  // namespace

std::string_view Judgement::text() const {
    switch (code) {
        case kJudgedOk:
            return "OK";
        case kJudgedNg:
            return "NG";
        default:
            return "--";
    }
}

std::string Judgement::bestCharacters() const {
    return Characters(characters, [](const JudgedCharacter& c) { return c.best(); });
}

std::string Judgement::numericalCharacters() const {
    return Characters(characters, [](const JudgedCharacter& c) { return c.numerical; });
}

std::string Judgement::alphabeticCharacters() const {
    return Characters(characters, [](const JudgedCharacter& c) { return c.alphabetic; });
}

bool DecodeTrailer(std::span<const std::uint8_t> trailer, int count,
                   std::vector<JudgedCharacter>& characters) {
    characters.clear();
    if (count < 0 || trailer.size() != TrailerSize(count)) {
        return false;
    }
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < trailer.size(); ++i) {
        sum = static_cast<std::uint8_t>(sum + trailer[i]);
    }
    if (trailer.back() != static_cast<std::uint8_t>(0xFF - sum)) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const auto bytes = trailer.subspan(static_cast<std::size_t>(kTrailerBytesPerCharacter * i),
                                           static_cast<std::size_t>(kTrailerBytesPerCharacter));
        characters.push_back(
            {CharacterOf(bytes[kNumericalCharacterOffset]), CharacterOf(bytes[kAlphabeticCharacterOffset]),
             SignedByte(bytes[kNumericalDifferenceOffset]), SignedByte(bytes[kAlphabeticDifferenceOffset])});
    }
    return true;
}

}  // namespace torv
