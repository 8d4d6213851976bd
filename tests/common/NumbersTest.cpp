#include "common/Numbers.h"

#include <QLocale>

#include <cmath>

#include <gtest/gtest.h>

using namespace rq::num;

TEST(Numbers, ParseInteger)
{
    const struct
    {
        const char *text;
        std::optional<qint64> expected;
    } cases[] = {{"12", 12},
                 {"-5", -5},
                 {"+7", 7},
                 {" 3 ", 3},
                 {"0", 0},
                 {"12.0", std::nullopt},
                 {"1e3", std::nullopt},
                 {"", std::nullopt},
                 {"x", std::nullopt},
                 {"-", std::nullopt},
                 {"12a", std::nullopt},
                 {"99999999999999999999", std::nullopt}};
    for (const auto &c : cases)
        EXPECT_EQ(parseInteger(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(Numbers, ParseDecimalUsesPointWhateverTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const struct
    {
        const char *text;
        std::optional<double> expected;
    } cases[] = {{"12.5", 12.5},        {"12,5", std::nullopt},  {"12.", 12.0},         {".5", 0.5},
                 {"-3.25", -3.25},      {"1e3", 1000.0},         {"12.50000", 12.5},    {" 7 ", 7.0},
                 {"abc", std::nullopt}, {"inf", std::nullopt},   {"nan", std::nullopt}, {"", std::nullopt},
                 {".", std::nullopt},   {"1.2.3", std::nullopt}, {"1e", std::nullopt},  {"1,000.5", std::nullopt}};
    for (const auto &c : cases)
        EXPECT_EQ(parseDecimal(QString::fromUtf8(c.text)), c.expected) << c.text;
    QLocale::setDefault(QLocale::c());
}

TEST(Numbers, FormatFixed)
{
    const struct
    {
        double value;
        int decimals;
        int precision;
        const char *expected;
    } cases[] = {
        {12.5, 2, 8, "12.50"},
        {5.5, 2, 8, "5.50"},
        {512, 0, 8, "512"},
        {12.25, 1, 8, "12.3"},  // half away from zero on the decimal digits
        {-12.25, 1, 8, "-12.3"},
        {123456.789, 3, 8, "123456.790"},  // 8 significant digits, then padded
        {3.5, 4, 8, "3.5000"},
        {0.006, 2, 8, "0.01"},
        {-0.001, 2, 8, "0.00"},
        {99.995, 2, 8, "100.00"},
        {123456789.0, 2, 8, "1.2345679E8"},
        // The totals' form: 12 significant digits.
        {17.75, 0, 12, "18"},
        {17.75, 1, 12, "17.8"},
        {17.75, 3, 12, "17.750"},
        {8.875, 2, 12, "8.88"},
        {2.5, 0, 12, "3"},
        {-2.5, 0, 12, "-3"},
        {1234567890.125, 2, 12, "1234567890.13"},
        // Rounded to the significant digits first, then on the decimal digits, not on the binary value.
        {1.005, 2, 8, "1.01"},
        {-1.005, 2, 8, "-1.01"},
        {0.15, 1, 8, "0.2"},
        {-0.15, 1, 8, "-0.2"},
        {(8.25 + 8.2) / 2, 2, 8, "8.23"},
        {-(8.25 + 8.2) / 2, 2, 8, "-8.23"},
        {(8.25 + 8.2) / 2, 2, 12, "8.23"},
        {2.5, 0, 8, "3"},
        {-2.5, 0, 8, "-3"},
        {12.345, 2, 8, "12.35"},
        {-12.345, 2, 12, "-12.35"},
        {0.045, 2, 8, "0.05"},
        {1.0049999, 2, 8, "1.00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(formatFixed(c.value, c.decimals, c.precision), QString::fromLatin1(c.expected))
            << c.value << " with " << c.decimals;
}

TEST(Numbers, FormatGeneralIsShortest)
{
    const struct
    {
        double value;
        const char *expected;
    } cases[] = {{5.50, "5.5"},
                 {3, "3"},
                 {0.1 + 0.2, "0.3"},
                 {-7.25, "-7.25"},
                 {0, "0"},
                 {225.12, "225.12"},
                 {1e20, "1E20"},
                 {0.0001, "0.0001"},
                 {0.00001, "0.00001"},
                 {0.000001, "1E-6"},
                 {123456789012345.0, "123456789012345"}};
    for (const auto &c : cases)
        EXPECT_EQ(formatGeneral(c.value), QString::fromLatin1(c.expected)) << c.value;
}

TEST(Numbers, GroupingAndRounding)
{
    EXPECT_EQ(formatGrouped(16384000, QStringLiteral(",")), QStringLiteral("16,384,000"));
    EXPECT_EQ(formatGrouped(16384000, QString()), QStringLiteral("16384000"));
    EXPECT_EQ(formatGrouped(999, QStringLiteral("'")), QStringLiteral("999"));
    EXPECT_EQ(formatGrouped(1000, QStringLiteral("'")), QStringLiteral("1'000"));

    EXPECT_EQ(roundHalfEven(12.5), 12);
    EXPECT_EQ(roundHalfEven(13.5), 14);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(roundHalfAway(2.5), 3);
    EXPECT_EQ(roundHalfAway(-2.5), -3);
}
