#include "mci/CommandResult.h"

#include <gtest/gtest.h>

#include <string>

namespace kelto::mci {
namespace {

TEST(CommandResultTest, OnlyTheExactWordIsSuccess) {
    EXPECT_TRUE(IsSuccess("Success"));
    for (const std::string& other :
         {std::string("success"), std::string("Success "), std::string(" Success"),
          std::string("Success") + std::string(121, '\0'), std::string()}) {
        EXPECT_FALSE(IsSuccess(other)) << other;
    }
}

TEST(CommandResultTest, DisplayTextEndsAtTheFirstNul) {
    const std::string text = "There is no display window.";
    std::string buffer(128, '\0');
    buffer.replace(0, text.size(), text);
    ASSERT_EQ(buffer.size(), 128u);
    EXPECT_EQ(ResultDisplayText(buffer), text);
    EXPECT_EQ(ResultDisplayText("Success"), "Success");
    EXPECT_EQ(ResultDisplayText(std::string(128, '\0')), "");
}

}  // namespace
}  // namespace kelto::mci
