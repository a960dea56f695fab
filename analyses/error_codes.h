#pragma once

// The analysis error code that an analysis leaves with its data set: 0 for a
// report, anything else replaces the report by the code's fixed message
// (WriteCalculationError). Codes 2 to 5 and 10 come from the fault guard,
// the others from the analyses' own checks of the data.
namespace ombrix::analyses::error_code {

inline constexpr int None = 0;

inline constexpr int DivideByZero = 2;
inline constexpr int Underflow = 3;
inline constexpr int Overflow = 4;
inline constexpr int InvalidOperation = 5;
inline constexpr int OutOfMemory = 10;

inline constexpr int AnovaNotEnoughData = 11;
inline constexpr int AnovaOneValueInColumn = 12;
inline constexpr int AnovaAllSdsZero = 13;
inline constexpr int AnovaIdenticalMeans = 14;
inline constexpr int IncompleteMatrix = 15;

inline constexpr int ChiSquareFractions = 30;
inline constexpr int ChiSquareNegative = 31;
inline constexpr int ChiSquareZeroRow = 32;
inline constexpr int ChiSquareZeroColumn = 33;
inline constexpr int ChiSquareMissingValues = 34;
inline constexpr int NoConvergence = 35;
inline constexpr int RegressionTooFewPoints = 36;
inline constexpr int RegressionOneX = 37;
inline constexpr int RegressionOneY = 38;
inline constexpr int CorrelationTooFewPoints = 39;
inline constexpr int ZeroSd = 40;
inline constexpr int PairedDifferencesEqual = 41;
inline constexpr int NonparametricNeedsRawData = 42;
inline constexpr int AnovaNeedsRawData = 43;
inline constexpr int PairedNeedsRawData = 44;
inline constexpr int TwoByTwoIncomplete = 45;
inline constexpr int ContingencyNoData = 46;
inline constexpr int CorrelationNoData = 47;
inline constexpr int PairedTwoByTwoIncomplete = 48;
inline constexpr int SingleValueInColumn = 49;
inline constexpr int SinglePair = 50;

}  // namespace ombrix::analyses::error_code
