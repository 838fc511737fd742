#include "bench/run_statistics.h"

#include <charconv>
#include <cmath>

namespace bench {
namespace {

// sum / count as one correctly rounded float division. The count is exact in a double,
// and a double quotient rounded to float is the correctly rounded float quotient.
float DivideByCount(float sum, std::size_t count) {
  return static_cast<float>(static_cast<double>(sum) / static_cast<double>(count));
}

}  // namespace

float MeanOfSamples(std::span<const float> samples) {
  float sum = 0.0f;
  for (const float sample : samples) sum = sum + sample;
  return DivideByCount(sum, samples.size());
}

float StdDevOfSamples(std::span<const float> samples) {
  const float mean = MeanOfSamples(samples);
  float sum = 0.0f;
  for (const float sample : samples) {
    const float d = sample - mean;
    const float square = d * d;
    sum = sum + square;
  }
  return std::sqrt(DivideByCount(sum, samples.size()));
}

std::string FormatDecimalComma(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "+Infinity" : "-Infinity";
  if (value == 0.0f) value = 0.0f;  // -0 is written as 0,00
  // The largest float has 39 integer digits.
  char buf[64];
  const auto result =
      std::to_chars(buf, buf + sizeof buf, static_cast<double>(value), std::chars_format::fixed, 2);
  std::string text(buf, result.ptr);
  for (char& c : text) {
    if (c == '.') c = ',';
  }
  return text;
}

std::string ResultLine(std::int32_t runNumber, float averageFps, float fpsDeviation) {
  char number[16];
  const auto end = std::to_chars(number, number + sizeof number, runNumber).ptr;
  std::string line = " Lauf ";
  line.append(number, end);
  line += " : ";
  line += FormatDecimalComma(averageFps);
  line += " ( \xB1 ";
  line += FormatDecimalComma(fpsDeviation);
  line += " )";
  return line;
}

std::string RecordRunResult(const std::vector<float>& frameSamples, std::int32_t runNumber,
                            RunResults& results) {
  results.MeanFrameMs = MeanOfSamples(frameSamples);
  results.StdDevFrameMs = StdDevOfSamples(frameSamples);
  results.AverageFps = 1000.0f / results.MeanFrameMs;
  const float product = results.AverageFps * results.StdDevFrameMs;
  results.FpsDeviation = product / results.MeanFrameMs;

  std::string line = ResultLine(runNumber, results.AverageFps, results.FpsDeviation);
  if (!results.ResultsText.empty()) {
    results.ResultsText.insert(0, 1, '\n');
  }
  results.ResultsText.insert(0, line);
  return line;
}

}  // namespace bench
