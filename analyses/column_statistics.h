#pragma once

#include <string>
#include <vector>

#include "core/data_format.h"
#include "core/data_table.h"
#include "core/real.h"

// N, mean, SD, SEM, 95% confidence limits, median, extremes and the
// Kolmogorov-Smirnov normality test of every column, kept in the column
// records of the data table.
namespace ombrix::analyses {

using core::DataTable;

// Recomputes every column whose changed flag is set (and the normality test of
// raw columns that lack one).
void UpdateColumnStatistics(DataTable& table);

// The column's record with N, mean, SD, SEM, extremes, median and confidence
// limits computed from the cells of rows 0..last used row, read as analyses
// read them (blanks, excluded values and, in analysis mode, unselected
// columns are missing). With N < 2 SD and SEM are 0; with N = 0 the mean is
// missing. Title and normality are the table's record's. Values up to the
// top of the extended range give finite SD and SEM.
core::ColumnRecord ComputeRawColumnStatistics(const DataTable& table, int column);
// The same with the record's normality test, from a single sort of the values.
core::ColumnRecord rawStatisticsWithNormality(const DataTable& table, int column);

// The same statistics of values in any order, in an untitled record.
core::ColumnRecord statisticsOfValues(std::vector<Real> values);

// 2^k with magnitude / 2^k in [1, 2): dividing by it rescales without
// rounding. 1 for 0, infinity and NaN.
Real powerOfTwoScale(Real magnitude);

// Completes a record whose mean, N and SD or SEM were typed: the other of SD
// and SEM and the confidence limits. Median, extremes and normality are left
// as they are: only raw columns compute them.
void ComputeSummaryColumnStatistics(core::ColumnRecord& record);

// Median of the column's values; missing when there is none. Every value of
// a full column is used.
Real ColumnMedian(const DataTable& table, int column);

struct NormalityResult {
    Real ks = MissingValue;
    Real p = MissingValue;  // 0.2 stands for any P above 0.10
};

// Fewer values than this are too few for the normality test, in the grid and
// in every report alike.
inline constexpr int FewestValuesForNormality = 5;

// Kolmogorov-Smirnov distance of the column's values from the normal
// distribution with the given mean and SD, with the Dallal-Wilkinson
// approximation of Lilliefors' P. Both missing with fewer than
// FewestValuesForNormality values or without SD > 0.
NormalityResult NormalityTest(const DataTable& table, int column, Real mean, Real sd);
NormalityResult normalityOfValues(std::vector<Real> values, Real mean, Real sd);

// KS, P and the passed flag (P above 0.05) of a record from a normality result.
void setNormality(core::ColumnRecord& record, const NormalityResult& normality);

// Dallal-Wilkinson P for a KS distance from n values: 0.2 below the distance
// whose P is 0.10, 0.10 exactly there, else the approximation.
Real lillieforsP(int n, Real ks);
Real lillieforsCutoff(int n);

// The statistics grid of the column statistics step, as a model: one grid
// column per data column, row labels in grid column 0. Grid rows run 0..16.
inline constexpr int StatisticsGridRows = 17;

struct StatisticsGridOptions {
    bool sdFirst = true;
    core::DataFormat format = core::DataFormat::Raw;
};

std::string statisticsGridLabel(int gridRow, const StatisticsGridOptions& options);
std::string statisticsGridCell(const DataTable& table, int column, int gridRow, const StatisticsGridOptions& options);

}  // namespace ombrix::analyses
