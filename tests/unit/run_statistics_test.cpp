#include "bench/run_statistics.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Every case runs under the C locale and under a German one, whose decimal comma the C
// library's own formatting would pick up.
class UnderLocale : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    m_saved = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, GetParam()), nullptr)
        << GetParam() << " is not installed (scripts/setup generates it)";
  }
  void TearDown() override { std::setlocale(LC_ALL, m_saved.c_str()); }

 private:
  std::string m_saved;
};

std::string LocaleName(const ::testing::TestParamInfo<const char*>& locale) {
  return locale.param[0] == 'C' ? "C" : "German";
}

INSTANTIATE_TEST_SUITE_P(Locales, UnderLocale, ::testing::Values("C", "de_DE.UTF-8"),
                         LocaleName);

TEST_P(UnderLocale, FormatDecimalCommaTable) {
  struct Row {
    const char* name;
    float value;
    const char* text;
  };
  const Row rows[] = {
      {"fps of the worked example", 243.90245f, "243,90"},
      {"spread of the worked example", 4.2064614f, "4,21"},
      {"spread of run 2", 16.528925f, "16,53"},
      {"many integer digits, no grouping", 123456.5f, "123456,50"},
      {"zero", 0.0f, "0,00"},
      {"negative zero", -0.0f, "0,00"},
      {"negative", -1.5f, "-1,50"},
      {"float nearest 0.005 lies below it", 0.005f, "0,00"},
      {"float nearest 2.675 lies below it", 2.675f, "2,67"},
      {"small negative keeps its sign", -0.001f, "-0,00"},
      {"largest float, no exponent", std::numeric_limits<float>::max(),
       "340282346638528859811704183484516925440,00"},
      {"smallest subnormal", std::numeric_limits<float>::denorm_min(), "0,00"},
      {"plus infinity", kInf, "+Infinity"},
      {"minus infinity", -kInf, "-Infinity"},
      {"NaN", kNaN, "NaN"},
      {"negative NaN", -kNaN, "NaN"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(bench::FormatDecimalComma(row.value), row.text);
  }
}

// Beyond the table: the C library's "%.2f" of the widened float, point made comma, for
// random finite floats of every magnitude and for exact halfway cases like 60.125.
TEST_P(UnderLocale, FormatDecimalCommaAgreesWithPrintfTwoDecimals) {
  std::mt19937 random(12345);
  std::vector<float> values = {60.125f, 0.125f, 2.375f, 1.005f, 99.995f, 0.625f, -60.125f};
  while (values.size() < 20000) {
    const std::uint32_t bits = random();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value) && value != 0.0f) values.push_back(value);
    // Plenty of frame-rate-sized values too, where hundredths matter.
    values.push_back(std::ldexp(static_cast<float>(random() & 0xFFFFFF), -(int)(random() % 24)));
  }
  for (const float value : values) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%.2f", static_cast<double>(value));
    std::string expected = buf;
    for (char& c : expected) {
      if (c == '.') c = ',';
    }
    ASSERT_EQ(bench::FormatDecimalComma(value), expected) << "value " << value;
  }
}

TEST_P(UnderLocale, ResultLinesOfSingleRuns) {
  struct Row {
    const char* name;
    std::vector<float> samples;
    std::int32_t run;
    const char* line;
  };
  const Row rows[] = {
      {"worked example", {4.1f, 4.05f, 4.2f, 4.15f, 4.0f}, 1, " Lauf 1 : 243,90 ( \xB1 4,21 )"},
      {"no samples", {}, 1, " Lauf 1 : NaN ( \xB1 NaN )"},
      {"all samples zero", {0.0f, 0.0f, 0.0f}, 4, " Lauf 4 : +Infinity ( \xB1 NaN )"},
      {"one sample", {12.5f}, 2, " Lauf 2 : 80,00 ( \xB1 0,00 )"},
      {"5000 equal samples drift in the float sum", std::vector<float>(5000, 9.3f), 1,
       " Lauf 1 : 107,52 ( \xB1 0,01 )"},
      {"run 10 unpadded", {5.0f, 6.0f}, 10, " Lauf 10 : 181,82 ( \xB1 16,53 )"},
      {"negative run number", {5.0f}, -3, " Lauf -3 : 200,00 ( \xB1 0,00 )"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    bench::RunResults results;
    EXPECT_EQ(bench::RecordRunResult(row.samples, row.run, results), row.line);
    EXPECT_EQ(results.ResultsText, row.line);
  }
}

TEST_P(UnderLocale, WorkedExampleFiguresAndBytes) {
  bench::RunResults results;
  bench::RecordRunResult({4.1f, 4.05f, 4.2f, 4.15f, 4.0f}, 1, results);
  EXPECT_EQ(results.MeanFrameMs, 4.1f);
  EXPECT_NEAR(results.StdDevFrameMs, 0.0707106f, 1e-6f);
  EXPECT_NEAR(results.AverageFps, 243.90245f, 1e-4f);
  EXPECT_NEAR(results.FpsDeviation, 4.2064614f, 1e-5f);
  ASSERT_EQ(results.ResultsText.size(), 27u) << "the plus-minus sign is one byte";
  EXPECT_EQ(static_cast<unsigned char>(results.ResultsText[19]), 0xB1);

  bench::RecordRunResult({5.0f, 6.0f}, 2, results);
  EXPECT_EQ(results.MeanFrameMs, 5.5f);
  EXPECT_EQ(results.StdDevFrameMs, 0.5f);
  EXPECT_NEAR(results.AverageFps, 181.81818f, 1e-4f);
  EXPECT_NEAR(results.FpsDeviation, 16.528925f, 1e-5f);
  EXPECT_EQ(results.ResultsText,
            " Lauf 2 : 181,82 ( \xB1 16,53 )\n Lauf 1 : 243,90 ( \xB1 4,21 )");
}

TEST(RunStatistics, SumIsRoundedToAFloatAtEveryStep) {
  const std::vector<float> samples(5000, 9.3f);
  const float mean = bench::MeanOfSamples(samples);
  const float spread = bench::StdDevOfSamples(samples);
  EXPECT_NEAR(mean, 9.300457f, 2e-6f);
  EXPECT_NE(mean, 9.3f) << "a double or pairwise sum would give 9.3 exactly";
  EXPECT_NEAR(spread, 0.000457f, 2e-6f);
}

TEST(RunStatistics, EmptyAndZeroSamplesFollowIeeeRules) {
  const std::vector<float> none;
  EXPECT_TRUE(std::isnan(bench::MeanOfSamples(none)));
  EXPECT_TRUE(std::isnan(bench::StdDevOfSamples(none)));

  bench::RunResults zeros;
  bench::RecordRunResult({0.0f, 0.0f}, 1, zeros);
  EXPECT_EQ(zeros.MeanFrameMs, 0.0f);
  EXPECT_EQ(zeros.StdDevFrameMs, 0.0f);
  EXPECT_EQ(zeros.AverageFps, kInf);
  EXPECT_TRUE(std::isnan(zeros.FpsDeviation));  // infinity times 0
}

TEST(RunStatistics, NewestLineFirstSingleLineFeedsNoneAtTheEnd) {
  bench::RunResults results;
  for (std::int32_t run = 1; run <= 3; ++run) {
    bench::RecordRunResult({static_cast<float>(run)}, run, results);
  }
  EXPECT_EQ(results.ResultsText,
            " Lauf 3 : 333,33 ( \xB1 0,00 )\n"
            " Lauf 2 : 500,00 ( \xB1 0,00 )\n"
            " Lauf 1 : 1000,00 ( \xB1 0,00 )");
}

}  // namespace
