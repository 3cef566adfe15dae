// The margin trend on streams made here (a stable print with smudges, a fade) and the result CSV read
// back exactly as the monitor wrote it, faults named by line.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "monitor/margin_trend.h"
#include "monitor/result_csv.h"
#include "monitor/result_csv_reader.h"

namespace torv {
namespace {

// A reproducible stream: every character's best difference is drawn 0..20; `extra(k, position)` adds
// to it and may mark the judgement NG.
class PrintStream {
  public:
    explicit PrintStream(std::string text) : m_text(std::move(text)) {}

    template <typename Extra>
    Judgement next(long long k, Extra extra) {
        Judgement judgement{kJudgedOk, {}};
        for (std::size_t i = 0; i < m_text.size(); ++i) {
            const int good = draw(21) + extra(k, static_cast<int>(i) + 1, judgement.code);
            judgement.characters.push_back(JudgedCharacter{'8', m_text[i], std::min(127, good + 30), good});
        }
        return judgement;
    }

  private:
    int draw(int span) {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((m_state >> 33) % static_cast<unsigned>(span));
    }

    std::string m_text;
    std::uint64_t m_state = 7;
};

TEST(MarginTrend, StablePrintWithSmudgesRaisesNoAlarmAndAFadeIsCaughtEarly) {
    constexpr long long kFadeStart = 2000;
    constexpr long long kFadeLength = 3000;
    struct Case {
        const char* name;
        bool fade;
        long long judgements;
    };
    for (const Case& c : {Case{"stable", false, 200000}, Case{"fade", true, kFadeStart + kFadeLength}}) {
        SCOPED_TRACE(c.name);
        PrintStream stream("AB12C");
        MarginTrend trend;
        for (long long k = 1; k <= c.judgements; ++k) {
            const Judgement judgement = stream.next(k, [&](long long n, int position, int& code) {
                if (n % 2500 == 0 && position == 1 + static_cast<int>(n / 2500 % 5)) {
                    code = kJudgedNg;  // a smudge: one bad print now and then, at changing places
                    return 110;
                }
                const double progress = std::clamp(double(n - kFadeStart) / kFadeLength, 0.0, 1.0);
                return c.fade && position == 4 ? static_cast<int>(std::lround(progress * 50)) : 0;
            });
            trend.add(judgement, "t" + std::to_string(k));
        }
        ASSERT_EQ(trend.judgements(), c.judgements);
        if (!c.fade) {
            EXPECT_TRUE(trend.alarms().empty()) << AlarmText(trend.alarms().front());
            // The smudges in the baseline were left out of the normal spread (0..20 has sigma 6.06).
            EXPECT_NEAR(trend.positions()[0].sigma(), 6.06, 0.5);
            continue;
        }
        ASSERT_FALSE(trend.alarms().empty());
        const TrendAlarm& first = trend.alarms().front();
        EXPECT_EQ(first.position, 4);
        EXPECT_EQ(first.character, '2');
        EXPECT_EQ(first.time, "t" + std::to_string(first.judgement));
        EXPECT_LT(first.judgement, kFadeStart + kFadeLength / 2);
        EXPECT_GT(first.level, first.baseline);
        // One excursion, one alarm: the position stays in alarm while the print stays faded.
        EXPECT_EQ(std::count_if(trend.alarms().begin(), trend.alarms().end(),
                                [](const TrendAlarm& a) { return a.position == 4; }),
                  1);
        EXPECT_NE(AlarmText(first).find("Position 4 ('2'): "), std::string::npos) << AlarmText(first);
    }
}

TEST(MarginTrend, NoJudgementCountsButMeasuresNothing) {
    MarginTrend trend(kShortestTrendBaseline);
    const Judgement none{kJudgedOther, {JudgedCharacter{'1', 'I', 90, 90}}};
    const Judgement ok{kJudgedOk, {JudgedCharacter{'1', 'I', 5, 40}}};
    for (int k = 0; k < kShortestTrendBaseline; ++k) {
        trend.add(ok, "");
        trend.add(none, "");
    }
    ASSERT_EQ(trend.positions().size(), 1U);
    EXPECT_EQ(trend.judgements(), 2 * kShortestTrendBaseline);
    EXPECT_EQ(trend.positions()[0].readings(), kShortestTrendBaseline);
    EXPECT_TRUE(trend.positions()[0].learned());
    EXPECT_DOUBLE_EQ(trend.positions()[0].baseline(), 5.0);
    EXPECT_DOUBLE_EQ(trend.positions()[0].sigma(), 1.0);  // a constant print still has some spread
}

Judgement Judged(int code, std::vector<JudgedCharacter> characters) {
    return Judgement{code, std::move(characters)};
}

TEST(ResultCsvReader, ReadsBackWhatTheMonitorWrote) {
    const std::vector<Judgement> logged = {
        Judged(kJudgedOk, {{'1', 'I', 3, 40}, {'0', 'O', 50, 2}, {'8', ',', 9, 9}}),
        Judged(kJudgedOther, {}),
        Judged(kJudgedNg, {{'\n', ' ', -5, 120}, {'5', 'S', 127, -128}}),
    };
    std::string text;
    for (std::size_t i = 0; i < logged.size(); ++i) {
        text += ResultCsvLines(logged[i], "Dec 05 2026 22:11:4" + std::to_string(i) + ".123");
    }
    std::vector<Judgement> read;
    std::vector<std::string> times;
    std::vector<UnreadRecord> unread;
    ReadResultCsvText(
        text, "run.csv",
        [&](const Judgement& j, std::string_view time) {
            read.push_back(j);
            times.emplace_back(time);
        },
        unread);
    EXPECT_TRUE(unread.empty()) << unread.front().text();
    ASSERT_EQ(read.size(), logged.size());
    for (std::size_t i = 0; i < logged.size(); ++i) {
        EXPECT_EQ(read[i].code, logged[i].code);
        EXPECT_EQ(ResultCsvLines(read[i], times[i]), ResultCsvLines(logged[i], times[i]));
    }
    EXPECT_EQ(times[2], "Dec 05 2026 22:11:42.123");
}

TEST(ResultCsvReader, NamesTheLineOfARecordItCannotReadAndGoesOn) {
    const std::string good =
        ResultCsvLines(Judged(kJudgedOk, {{'1', 'I', 3, 40}}), "Dec 05 2026 22:11:46.123");
    struct Case {
        const char* name;
        std::string bad;
        int line;
        const char* reason;
    };
    const Case cases[] = {
        {"unknown judgement", "OX,1,t\r\n1,1,I,\r\n3,3,40,\r\n", 4, "not the start of a judgement"},
        {"count out of range", "OK,256,t\r\n", 4, "the number of characters is not 0 to 255"},
        {"fewer characters than counted", "OK,2,t\r\n1, ,1, ,I,\r\n3, ,3, ,40,\r\n", 5,
         "the character line does not hold the 2 characters announced"},
        {"a difference that is no number", "OK,1,t\r\n1, ,1, ,I,\r\nx, ,3, ,40,\r\n", 6,
         "the difference line does not hold the 1 numbers (-128 to 127) announced"},
        {"a difference beyond a byte", "OK,1,t\r\n1, ,1, ,I,\r\n3, ,3, ,400,\r\n", 6,
         "the difference line does not hold the 1 numbers (-128 to 127) announced"},
        {"best not the better one", "OK,1,t\r\nI, ,1, ,I,\r\n3, ,3, ,40,\r\n", 6,
         "the best characters do not match their differences"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int judgements = 0;
        std::vector<UnreadRecord> unread;
        ReadResultCsvText(
            good + c.bad + good, "run.csv", [&](const Judgement&, std::string_view) { ++judgements; },
            unread);
        EXPECT_EQ(judgements, 2);
        ASSERT_EQ(unread.size(), 1U);
        EXPECT_EQ(unread[0].line, c.line);
        EXPECT_EQ(unread[0].text().rfind("run.csv:" + std::to_string(c.line) + ": " + c.reason, 0), 0U)
            << unread[0].text();
    }
    // A log cut short by a power cut: every whole record before the cut is read.
    int judgements = 0;
    std::vector<UnreadRecord> unread;
    ReadResultCsvText(
        good + good.substr(0, good.size() - 4), "run.csv",
        [&](const Judgement&, std::string_view) { ++judgements; }, unread);
    EXPECT_EQ(judgements, 1);
    ASSERT_EQ(unread.size(), 1U);
    EXPECT_EQ(unread[0].text(), "run.csv:6: the record ends early");
}

TEST(ResultCsvReader, LogsChosenTogetherAreReadInTheOrderWritten) {
    EXPECT_EQ(InLoggedOrder({"b/run.csv", "b/run-0002.csv", "a.csv", "b/run-0001.csv", "b/run-10000.csv"}),
              (std::vector<std::string>{"a.csv", "b/run-0001.csv", "b/run-0002.csv", "b/run-10000.csv",
                                        "b/run.csv"}));
}

}  // namespace
}  // namespace torv
