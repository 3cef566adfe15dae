#pragma once
// The parameter catalogue: every parameter the sensor keeps, described once. Decoding, storing, the
// editor's controls, the CSV sheet and torvctl all read this table; adding a parameter means adding a
// row here and nothing else.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace torv {

enum class ParameterScope { kCommon, kBank };

enum class ParameterKind {
    kList,    // the stored number is the index into the row's value list
    kNumber,  // a decimal number limited to the row's range
    kText,    // STRING: characters two to a word, zero-terminated
};

// Where the editor places a parameter control. The first four make up "SETUP FLOW".
enum class EditorGroup {
    kBeforeAutoTch,
    kBeforeSemiAuto,
    kUnderSemiAuto,  // the STRING field, under the caption "Perform SEMIAUTO"
    kBeforeDateTch,
    kAdjustment,
    kOthers,
    kBelowOthers,  // Save NG status, outside every group box
};

inline constexpr int kWordBits = 16;

struct BitField {
    ParameterScope scope;
    int word;  // index in the common block or in a bank
    int firstBit;
    int bitCount;

    constexpr bool fillsWord() const { return firstBit == 0 && bitCount == kWordBits; }
    constexpr std::uint32_t mask() const { return (1u << bitCount) - 1u; }  // before shifting
};

struct NumberRange {
    std::int32_t min;
    std::int32_t max;
    std::int32_t storedBelow;  // what a typed value below min becomes
    std::int32_t storedAbove;  // what a typed value above max becomes
    std::int32_t bias;         // added when stored, removed when shown
};

struct EditorPlace {
    int controlId;
    std::string_view description;  // second label line, "*" marking a per-bank parameter
    EditorGroup group;
};

struct ParameterRow {
    std::string_view key;  // UTF-8, as the editor labels it
    BitField field;
    ParameterKind kind;
    std::span<const std::string_view> list;  // list rows
    NumberRange range;                       // number rows; text rows: max is the character count
    EditorPlace editor;
    std::string_view sheetKey;  // empty when the parameter has no sheet row
    int sheetRow;               // 1..kSheetRowCount, 0 = no row
};

// ---- Value lists ----------------------------------------------------------------------------------

inline constexpr std::array<std::string_view, 18> kBankList = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "TCH", "BKIN"};
// The plain digit lists ("0", "0" "1", ... "0" .. "6") are prefixes of this one.
inline constexpr std::array<std::string_view, 7> kDigitList = {"0", "1", "2", "3", "4", "5", "6"};
inline constexpr std::array<std::string_view, 4> kWideList = {"OFF", "ON", "FAST", "FST2"};
inline constexpr std::array<std::string_view, 6> kReSlantList = {"OFF", "0.9", "2.5", "4.3", "6.0", "8.5"};
inline constexpr std::array<std::string_view, 2> kSaveNgList = {"Disable", "Enable"};
inline constexpr std::array<std::string_view, 3> kDateFormatList = {"YMD", "MDY", "DMY"};
inline constexpr std::array<std::string_view, 2> kOffOnList = {"OFF", "ON"};
inline constexpr std::array<std::string_view, 5> kSyncPulseList = {"OFF", "ON", "TIME", "TIM4", "REPT"};
inline constexpr std::array<std::string_view, 2> kSurfaceList = {"WHIT", "BLAK"};
inline constexpr std::array<std::string_view, 2> kLightPowerList = {"LOW", "HIGH"};
inline constexpr std::array<std::string_view, 11> kBoldList = {"-2", "-1", "0",  "+1", "+2", "+3",
                                                               "+4", "+5", "+6", "+7", "+8"};
inline constexpr std::array<std::string_view, 7> kMonthCharList = {"3", "4", "5", "6", "7", "8", "9"};
inline constexpr std::array<std::string_view, 4> kOrientationList = {"NORM", "REVS", "MIRR", "RVMR"};
inline constexpr std::array<std::string_view, 12> kCharSpaceList = {
    "x1.5", "x2.0", "x2.5", "x3.0", "x3.5", "x4.0", "x4.5", "x5.0", "x5.5", "x6.0", "x6.5", "x7.0"};
inline constexpr std::array<std::string_view, 16> kExtLightPowerList = {
    "6%",  "13%", "19%", "25%", "31%", "38%", "44%", "50%",
    "56%", "63%", "69%", "75%", "81%", "88%", "94%", "100%"};
// Bit 0 of the index shows "1", bit 1 shows "2", bit 2 shows "3".
inline constexpr std::array<std::string_view, 8> kZeroCheckList = {"---", "1--", "-2-", "12-",
                                                                   "--3", "1-3", "-23", "123"};
inline constexpr std::array<std::string_view, 14> kFormatList = {
    "---", "4YMD", "4YM", "2YMD", "H:M", "2YM", "HOUR", "STRG", "MD", "4YED", "4YE", "2YED", "2YE", "PY"};
inline constexpr std::array<std::string_view, 31> kSlantOffsetList = {
    "-26",  "-24",  "-22",  "-20",  "-19", "-17",  "-15",  "-14",  "-12",  "-10",  "-8.5",
    "-6.8", "-5.1", "-3.4", "-1.7", "0",   "+1.7", "+3.4", "+5.1", "+6.8", "+8.5", "+10",
    "+12",  "+14",  "+15",  "+17",  "+19", "+20",  "+22",  "+24",  "+26"};
inline constexpr std::array<std::string_view, 41> kTrapezoidList = {
    "-45", "-43", "-41", "-39", "-37", "-35", "-33", "-31", "-29", "-26", "-24", "-22", "-19", "-17",
    "-15", "-12", "-10", "-7",  "-5",  "-2",  "0",   "+2",  "+5",  "+7",  "+10", "+12", "+15", "+17",
    "+19", "+22", "+24", "+26", "+29", "+31", "+33", "+35", "+37", "+39", "+41", "+43", "+45"};

// ---- Row builders (used only by the table below) ---------------------------------------------------

namespace catalogue_detail {

constexpr BitField Common(int word, int firstBit, int bitCount) {
    return {ParameterScope::kCommon, word, firstBit, bitCount};
}
constexpr BitField Bank(int word, int firstBit, int bitCount) {
    return {ParameterScope::kBank, word, firstBit, bitCount};
}
constexpr BitField Bank(int word) {
    return Bank(word, 0, kWordBits);
}

// 0..max, where anything typed outside the range stores the maximum.
constexpr NumberRange UpTo(std::int32_t max) {
    return {0, max, max, max, 0};
}

constexpr std::span<const std::string_view> Digits(std::size_t count) {
    return std::span<const std::string_view>(kDigitList).first(count);
}

// A sheet key written differently from the editor's key is given; otherwise the sheet uses the key.
constexpr ParameterRow Row(std::string_view key, BitField field, ParameterKind kind,
                           std::span<const std::string_view> list, NumberRange range, EditorPlace editor,
                           int sheetRow, std::string_view sheetSpelling) {
    const std::string_view sheetKey = sheetRow == 0           ? std::string_view{}
                                      : sheetSpelling.empty() ? key
                                                              : sheetSpelling;
    return {key, field, kind, list, range, editor, sheetKey, sheetRow};
}

constexpr ParameterRow List(std::string_view key, BitField field, std::span<const std::string_view> list,
                            EditorPlace editor, int sheetRow, std::string_view sheetSpelling = {}) {
    return Row(key, field, ParameterKind::kList, list, {}, editor, sheetRow, sheetSpelling);
}

constexpr ParameterRow Number(std::string_view key, BitField field, NumberRange range, EditorPlace editor,
                              int sheetRow, std::string_view sheetSpelling = {}) {
    return Row(key, field, ParameterKind::kNumber, {}, range, editor, sheetRow, sheetSpelling);
}

constexpr ParameterRow TextRow(std::string_view key, BitField firstWord, std::int32_t maxChars,
                               EditorPlace editor, int sheetRow, std::string_view sheetSpelling) {
    return Row(key, firstWord, ParameterKind::kText, {}, {0, maxChars, 0, 0, 0}, editor, sheetRow,
               sheetSpelling);
}

inline constexpr NumberRange kDayOffset = {-999, 5000, -999, 5000, 999};
inline constexpr NumberRange kDayMargin = {0, 1000, 0, 0, 0};
inline constexpr std::int32_t kStringChars = 22;

}  // namespace catalogue_detail

// ---- The catalogue, in the editor's order ---------------------------------------------------------

// clang-format off
inline constexpr std::array kParameterCatalogue = [] {
    using namespace catalogue_detail;
    using enum EditorGroup;
    return std::array{
        List("BANK",          Common(0, 0, 5),   kBankList,             {1166, "(Bank selection)", kBeforeAutoTch}, 1),
        List("ORIENTTN",      Bank(35, 14, 2),   kOrientationList,      {1174, "(Shot orientation)*", kBeforeAutoTch}, 2),
        Number("SHTRLIMT",    Bank(8, 8, 8),     UpTo(132),             {1187, "(Shutter time limit)*", kBeforeAutoTch}, 3),
        List("TRAPEZID",      Common(5, 0, 8),   kTrapezoidList,        {1192, "(Adjust trapezium distortion)", kBeforeAutoTch}, 4),
        List("DATEFRMT",      Common(4, 1, 2),   kDateFormatList,       {1201, "(Date format)", kBeforeAutoTch}, 5),
        List("FORMAT 1",      Bank(20),          kFormatList,           {1202, "(Recognition format)*", kBeforeSemiAuto}, 6),
        List("FORMAT 2",      Bank(21),          kFormatList,           {1203, "(Recognition format)*", kBeforeSemiAuto}, 7),
        List("FORMAT 3",      Bank(22),          kFormatList,           {1204, "(Recognition format)*", kBeforeSemiAuto}, 8),
        List("FORMAT 4",      Bank(23),          kFormatList,           {1205, "(Recognition format)*", kBeforeSemiAuto}, 9),
        List("LIGHTPWR",      Bank(2, 9, 1),     kLightPowerList,       {1183, "(Light luminance)*", kBeforeSemiAuto}, 10),
        Number("SHUTTER",     Bank(1, 0, 8),     UpTo(132),             {1188, "(Shutter time)*", kBeforeSemiAuto}, 11),
        Number("LUSTER",      Bank(3, 0, 8),     UpTo(63),              {1185, "(Removal luster)*", kBeforeSemiAuto}, 12),
        Number("THRESHLD",    Bank(0, 0, 8),     UpTo(255),             {1191, "(Char. threshold)*", kBeforeSemiAuto}, 13),
        List("DOTCHECK",      Bank(2, 15, 1),    kOffOnList,            {1221, "(Check dot existence)*", kBeforeSemiAuto}, 14),
        List("ZEROCHCK",      Bank(11, 5, 3),    kZeroCheckList,        {1234, "(Check 0 existence)*", kBeforeSemiAuto}, 15),
        TextRow("STRING",       Bank(24),          kStringChars,          {1229, "", kUnderSemiAuto}, 54, "STRING EDIT"),
        List("BOLD",          Bank(9, 0, 8),     kBoldList,             {1182, "(Thicken/Thin)*", kBeforeDateTch}, 16),
        Number("ROTATE",      Bank(4, 0, 8),     UpTo(20),              {1186, "(Rotating angle)*", kBeforeDateTch}, 17),
        List("SLANTOFS",      Bank(11, 8, 5),    kSlantOffsetList,      {1210, "(Tilt angle offset)*", kBeforeDateTch}, 18),
        Number("SLANT",       Bank(5, 0, 8),     UpTo(20),              {1189, "(Tilt adjustment)*", kBeforeDateTch}, 19),
        Number("CHARWDTH",    Bank(6, 0, 8),     UpTo(200),             {1215, "(Typ. char. width)*", kBeforeDateTch}, 20),
        Number("CHARHGHT",    Bank(7, 0, 8),     UpTo(200),             {1212, "(Typ. char. height)*", kBeforeDateTch}, 21),
        Number("CHARNARW",    Bank(10),          UpTo(100),             {1214, "(Min. char width)*", kBeforeDateTch}, 22),

        Number("1-DAYOFS",    Bank(12),          kDayOffset,            {1193, "(Date add. value)*", kAdjustment}, 23),
        Number("2-DAYOFS",    Bank(13),          kDayOffset,            {1195, "(Date add. value)*", kAdjustment}, 24),
        Number("1-DAY±",      Bank(14),          kDayMargin,            {1194, "(Date margin)*", kAdjustment}, 25, "1-DAY+/-"),
        Number("2-DAY±",      Bank(15),          kDayMargin,            {1196, "(Date margin)*", kAdjustment}, 26, "2-DAY+/-"),
        Number("1-TIMOFS",    Bank(16),          UpTo(1439),            {1197, "(Time add. value)*", kAdjustment}, 27),
        Number("2-TIMEOFS",   Bank(17),          UpTo(1439),            {1199, "(Time add. value)*", kAdjustment}, 28, "2-TIMOFS"),
        Number("1-TIME±",     Bank(18),          UpTo(720),             {1198, "(Time margin)*", kAdjustment}, 29, "1-TIME+/-"),
        Number("2-TIME±",     Bank(19),          UpTo(720),             {1200, "(Time margin)*", kAdjustment}, 30, "2-TIME+/-"),
        Number("CHARMRGN",    Bank(2, 1, 8),     UpTo(255),             {1213, "(Recognition margin)*", kAdjustment}, 31),
        List("CHRSPACE",      Bank(2, 10, 4),    kCharSpaceList,        {1216, "(Character spacing)*", kAdjustment}, 32),
        Number("MSK LEFT",    Bank(4, 8, 8),     UpTo(255),             {1181, "(Mask left coordinate)*", kAdjustment}, 33),
        Number("MSKRIGHT",    Bank(5, 8, 8),     UpTo(255),             {1222, "(Mask right coordinate)*", kAdjustment}, 34),
        Number("MSK UP",      Bank(6, 8, 8),     UpTo(243),             {1223, "(Mask up coordinate)*", kAdjustment}, 35),
        Number("MSK DOWN",    Bank(7, 8, 8),     UpTo(243),             {1224, "(Mask down coordinate)*", kAdjustment}, 36),
        List("MONTHCHR",      Bank(11, 13, 3),   kMonthCharList,        {1236, "(Month chr. length)*", kAdjustment}, 37),
        List("RE-SLANT",      Common(0, 10, 3),  kReSlantList,          {1226, "(Retry slant adjustment)", kAdjustment}, 38),
        List("SHADING",       Bank(1, 13, 3),    Digits(5),             {1239, "(Shade correction)*", kAdjustment}, 39),
        List("SURFACE",       Bank(0, 8, 2),     kSurfaceList,          {1190, "(Object surface)*", kAdjustment}, 40),

        List("COMMUNIC",      Common(4, 8, 3),   Digits(7),             {1168, "(Communication)", kOthers}, 41),
        List("EXTLGTPW",      Bank(1, 8, 4),     kExtLightPowerList,    {1238, "(Ext. Light Src. brgtns)*", kOthers}, 42),
        List("LCD VIEW",      Common(4, 6, 1),   Digits(2),             {1220, "(LCD up/down reverse)", kOthers}, 43),
        List("LIGHT",         Bank(2, 0, 1),     Digits(2),             {1169, "(Light ON/OFF)*", kOthers}, 44),
        Number("OFFDELAY",    Common(2, 0, 15),  UpTo(5000),            {1167, "(Off delay time)", kOthers}, 45),
        Number("ON DELAY",    Common(3, 0, 16),  UpTo(5000),            {1172, "(On delay time)", kOthers}, 46),
        List("ONESHOT",       Common(2, 15, 1),  Digits(2),             {1173, "(One shot output)", kOthers}, 47),
        List("STRING+",       Common(4, 13, 2),  kOffOnList,            {1176, "(String incr. input)", kOthers}, 49),
        Number("OUTSYNDL",    Common(6, 8, 4),   UpTo(15),              {1211, "(Out. sync. delay cnt)", kOthers}, 48),
        Number("SYNCDELY",    Bank(35, 0, 13),   UpTo(8000),            {1177, "(Sync. IN delay time)*", kOthers}, 50),
        List("SYNCHRO",       Common(4, 3, 3),   Digits(5),             {1179, "(Synchronization input)", kOthers}, 51),
        List("SYNCPULS",      Common(6, 13, 3),  kSyncPulseList,        {1178, "(Sync. pulse input)", kOthers}, 52),
        List("WIDE",          Common(0, 8, 2),   kWideList,             {1180, "(Spread field of view)", kOthers}, 53),

        List("Save NG status", Common(4, 0, 1),  kSaveNgList,           {1175, "(In View NG Log)", kBelowOthers}, 0),
    };
}();
// clang-format on

inline constexpr std::size_t kParameterCount = kParameterCatalogue.size();

// Bits that carry no parameter but must be 1 in every word the editor stores.
inline constexpr std::array kFixedBits = {
    BitField{ParameterScope::kCommon, 4, 12, 1},
    BitField{ParameterScope::kCommon, 6, 1, 1},
    BitField{ParameterScope::kBank, 8, 1, 6},
};

// ---- Sections and groups (editor group boxes and sheet section lines) ------------------------------

inline constexpr int kSheetRowCount = 54;

struct ParameterSection {
    std::string_view title;  // group box caption in the editor, section line in the sheet
    int firstSheetRow;       // the section line stands before this sheet row
};

inline constexpr std::array<ParameterSection, 3> kParameterSections = {{
    {"SETUP FLOW", 1},
    {"ADJUSTMENT", 23},
    {"OTHERS", 41},
}};

inline constexpr std::size_t kNoSection = kParameterSections.size();

struct EditorGroupInfo {
    EditorGroup group;
    std::size_t section;        // index into kParameterSections; kNoSection below the group boxes
    std::string_view title;     // inner group box caption, empty when the group is the section itself
    std::string_view stepText;  // the caption that follows the group in the set-up sequence
};

inline constexpr std::array<EditorGroupInfo, 7> kEditorGroups = {{
    {EditorGroup::kBeforeAutoTch, 0, "Parameters Before AUTO TCH", "Perform AUTO TCH"},
    {EditorGroup::kBeforeSemiAuto, 0, "Parameters Before SEMIAUTO", "Perform SEMIAUTO"},
    {EditorGroup::kUnderSemiAuto, 0, "", ""},
    {EditorGroup::kBeforeDateTch, 0, "Parameters Before DATE TCH", "Perform DATE TCH"},
    {EditorGroup::kAdjustment, 1, "", ""},
    {EditorGroup::kOthers, 2, "", ""},
    {EditorGroup::kBelowOthers, kNoSection, "", ""},
}};

const EditorGroupInfo& GroupInfo(EditorGroup group);

// ---- Look-ups --------------------------------------------------------------------------------------

// The row whose key or sheet key is `key` (exact, case-sensitive); nullptr when there is none.
const ParameterRow* FindParameter(std::string_view key);
std::optional<std::size_t> FindParameterIndex(std::string_view key);

// What a number row counts, for the editor ("days", "min"); empty for the rows that count steps of
// the sensor's own.
std::string_view ParameterUnit(const ParameterRow& row);

// The catalogue index of the row with this sheet row number (1..kSheetRowCount).
std::optional<std::size_t> SheetRowParameter(int sheetRow);

// The position of `text` in a list row's values.
std::optional<int> FindListEntry(const ParameterRow& row, std::string_view text);

// The list entry at `index`; empty when the list has no such entry.
std::string_view ListEntry(const ParameterRow& row, std::int64_t index);

// The editor's label: key and description on two lines ("ORIENTTN\n(Shot orientation)*"); a row
// without description is labelled on one line, with "*" when it is per bank ("STRING*").
std::string EditorLabel(const ParameterRow& row);

}  // namespace torv
