#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bench {

// Every figure is 32-bit float arithmetic, each operation rounded to a float in the order
// written, with IEEE rules for zero divisors (x / 0 is infinite, 0 / 0 is NaN).

// Arithmetic mean, summed from first to last; an empty list gives NaN.
float MeanOfSamples(std::span<const float> samples);

// Population standard deviation (divided by the count, not by one less); empty gives NaN.
float StdDevOfSamples(std::span<const float> samples);

// Two decimals, rounded from the float's exact value, with a decimal comma; no grouping,
// no exponent, no plus sign. Negative zero is written as 0,00; infinities and NaN as
// "+Infinity", "-Infinity" and "NaN". Independent of the process locale.
std::string FormatDecimalComma(float value);

// The figures of the last finished run and every result line so far.
struct RunResults {
  float MeanFrameMs = 0.0f;    // ms per frame, mean of the block means
  float StdDevFrameMs = 0.0f;  // ms, spread of the block means
  float AverageFps = 0.0f;     // 1000 / MeanFrameMs
  float FpsDeviation = 0.0f;   // the spread in frames per second
  // One line per finished run, newest first, separated by single LFs, none at the end.
  // Code page 1252: "±" is the byte 0xB1.
  std::string ResultsText;
};

// " Lauf <run> : <fps> ( ± <spread> )" in code page 1252.
std::string ResultLine(std::int32_t runNumber, float averageFps, float fpsDeviation);

// Turns the samples of a finished run into its figures and puts the run's line in front
// of ResultsText. Returns that line.
std::string RecordRunResult(const std::vector<float>& frameSamples, std::int32_t runNumber,
                            RunResults& results);

}  // namespace bench
