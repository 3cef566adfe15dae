#include "resources/strings.h"

#include <gtest/gtest.h>

namespace torv {
namespace {

TEST(StringTable, KeepsTheToolsOwnWording) {
    struct Case {
        int number;
        const char* text;
    };
    const Case cases[] = {
        {130, "Agree to Exit?"},
        {133, "Recieved an invalid communication response."},
        {142, "Faild to open COM port."},
        {147, "The character code of expansion dictionary is \"?\". Do you go ahead with writing?"},
        {154, " )"},
        {159, "Do you overwrite to the enpansion dictionary file?"},
        {190, "Setting the current time to TORV bulit-in calendar is completed."},
        {207, "Please specify file name."},
        {224, "Reading expansion dictionary data from TORV is completed."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Text(c.number), c.text) << c.number;
    }
}

TEST(StringTable, UnknownNumbersGiveNoText) {
    for (int number : {0, 129, 164, 186, 205, 225, -1}) {
        EXPECT_TRUE(Text(number).empty()) << number;
    }
    EXPECT_EQ(Text(StringId::kEdit), "EDIT");
}

}  // namespace
}  // namespace torv
