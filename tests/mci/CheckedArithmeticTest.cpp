#include "mci/CheckedArithmetic.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace kelto::mci {
namespace {

constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();

TEST(RoundToInt32Test, RoundsToNearestWithHalvesToEven) {
    const struct {
        double in;
        std::int32_t out;
    } cases[] = {
        {12.5, 12},
        {37.5, 38},
        {-2.5, -2},
        {-3.5, -4},
        {0.5, 0},
        {1.5, 2},
        {2.4999, 2},
        {2.5001, 3},
        {-0.4, 0},
        {0.49999999999999994, 0},
        {29.97, 30},
        {100.5, 100},
        {101.5, 102},
        {2147483647.4, kMax32},
        {-2147483648.5, kMin32},  // -2147483648 is the even one
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RoundToInt32(c.in), c.out) << c.in;
    }
}

TEST(RoundToInt32Test, RefusesWhatDoesNotFit) {
    // nearbyint follows the rounding mode: the process must run in the default one.
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    for (double in : {2147483647.5, 2147483648.0, -2147483648.6, -2147483649.0, 1e300,
                      std::numeric_limits<double>::infinity(),
                      -std::numeric_limits<double>::infinity(), std::nan("")}) {
        EXPECT_EQ(RoundToInt32(in), std::nullopt) << in;
    }
}

TEST(CheckedIntegerTest, RefusesInsteadOfWrapping) {
    EXPECT_EQ(Sub32(kMin32 + 1, 1), kMin32);
    EXPECT_EQ(Mul32(21474836, 100), 2147483600);
    EXPECT_EQ(Mul32(-214748364, 10), -2147483640);
    EXPECT_EQ(Mul32(kMin32, 1), kMin32);

    EXPECT_EQ(Sub32(kMin32, 1), std::nullopt);
    EXPECT_EQ(Sub32(0, kMin32), std::nullopt);
    EXPECT_EQ(Mul32(21474837, 100), std::nullopt);
    EXPECT_EQ(Mul32(kMin32, -1), std::nullopt);
}

double Read(const std::string& text) { return ReadReplyNumber(text.data(), text.size()); }

TEST(ReadReplyNumberTest, ReadsTheLeadingNumber) {
    const struct {
        std::string in;
        double out;
    } cases[] = {
        {"250", 250.0},
        {"  12.5", 12.5},
        {"-3", -3.0},
        {"+7", 7.0},
        {"abc", 0.0},
        {"", 0.0},
        {"12abc", 12.0},
        {"1 000", 1000.0},
        {"- 4", -4.0},
        {".5", 0.5},
        {"-.25", -0.25},
        {"5.", 5.0},
        {"1.2.3", 1.2},
        {"1e5", 1.0},
        {"--3", 0.0},
        {"-", 0.0},
        {"0 0 352 288", 352288.0},  // blanks vanish anywhere, so callers split first
        {"2147483648", 2147483648.0},
        {std::string("42\0"
                     "99",
                     5),
         42.0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Read(c.in), c.out) << '"' << c.in << '"';
    }
}

TEST(ReadReplyNumberTest, StaysWithinCapacityAndSurvivesExtremes) {
    const char noTerminator[] = {'1', '2', '3', '4', '5'};
    EXPECT_EQ(ReadReplyNumber(noTerminator, 3), 123.0);
    EXPECT_EQ(ReadReplyNumber(noTerminator, 0), 0.0);
    EXPECT_EQ(ReadReplyNumber(nullptr, 128), 0.0);

    EXPECT_TRUE(std::isinf(Read(std::string(400, '9'))));
    EXPECT_LT(Read("-" + std::string(400, '9')), 0.0);
    EXPECT_EQ(RoundToInt32(Read(std::string(400, '9'))), std::nullopt);
    EXPECT_EQ(Read("0." + std::string(400, '0') + "1"), 0.0);
}

}  // namespace
}  // namespace kelto::mci
