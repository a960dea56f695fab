// Writes the example data sets of data/examples/ with the program's own
// writer, typing the numbers as a user would. Run it from the repository
// root after a change of the file format:
//     build/bin/ombrix-make-examples data/examples
#include <cstdio>
#include <initializer_list>
#include <string>

#include "core/cell_entry.h"
#include "core/oxd_file.h"
#include "workflow/document_io.h"

namespace {

using ombrix::core::DataFormat;
using ombrix::core::DataSet;

void typeColumn(DataSet& d, int column, const char* title, std::initializer_list<const char*> cells)
{
    int row = 0;
    for (const char* cell : cells)
        ombrix::core::enterCellText(d, row++, column, cell, '.', nullptr);
    d.table.setColumnTitle(column, title);
}

void typeSummary(DataSet& d, int column, const char* title, const char* mean, const char* error, const char* n)
{
    ombrix::core::enterSummaryText(d, 2, column, mean, '.');
    ombrix::core::enterSummaryText(d, 3, column, error, '.');
    ombrix::core::enterSummaryText(d, 4, column, n, '.');
    d.table.setColumnTitle(column, title);
}

void notes(DataSet& d, std::initializer_list<const char*> lines)
{
    for (const char* line : lines)
        d.notes.appendLine(line);
}

bool save(DataSet& d, const std::string& folder, const char* name)
{
    const std::string path = folder + "/" + name;
    const auto result = ombrix::workflow::saveDocument(d, path);
    if (!result.ok)
        std::fprintf(stderr, "%s: %s\n", path.c_str(), result.error.c_str());
    return result.ok;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ombrix-make-examples FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    bool ok = true;

    {
        DataSet d;
        d.chooseFormat(DataFormat::Raw);
        d.table.setTitle("Student's sleep data");
        typeColumn(d, 0, "Drug 1", {"0.7", "-1.6", "-0.2", "-1.2", "-0.1", "3.4", "3.7", "0.8", "0.0", "2.0"});
        typeColumn(d, 1, "Drug 2", {"1.9", "0.8", "1.1", "0.1", "-0.1", "4.4", "5.5", "1.6", "4.6", "3.4"});
        for (int row = 0; row < 10; ++row)
            d.table.setRowTitle(row, "Patient " + std::to_string(row + 1));
        d.choices.TwoColUnpaired = false;
        notes(d, {"Extra hours of sleep of ten patients given each of two soporific drugs,",
                  "compared with a control night (Cushny and Peebles, 1905), as analysed",
                  "by Student (1908), The probable error of a mean, Biometrika 6, 1-25.",
                  "The same patients took both drugs: a paired comparison."});
        ok &= save(d, folder, "sleep_paired.OXD");
    }
    {
        DataSet d;
        d.chooseFormat(DataFormat::Raw);
        d.table.setTitle("Plant growth, control group");
        typeColumn(d, 0, "Control", {"4.17", "5.58", "5.18", "6.11", "4.50", "4.61", "5.17", "4.53", "5.33", "5.14"});
        d.choices.HypotheticalChoice = ombrix::core::HypotheticalChoice::Typed;
        d.choices.HypotheticalValue = 5;
        notes(d, {"Dried weight (g) of ten plants grown under control conditions, from",
                  "Dobson (1983), An Introduction to Statistical Modelling, p. 9.",
                  "Compared with a hypothetical mean of 5 g."});
        ok &= save(d, folder, "plant_weight_one_column.OXD");
    }
    {
        DataSet d;
        d.chooseFormat(DataFormat::MeanSDN);
        d.table.setTitle("Michelson's speed of light, 1879");
        typeSummary(d, 0, "Experiment 1", "299909", "104.926", "20");
        typeSummary(d, 1, "Experiment 2", "299856", "61.164", "20");
        typeSummary(d, 2, "Experiment 3", "299845", "79.107", "20");
        typeSummary(d, 3, "Experiment 4", "299820.5", "60.042", "20");
        typeSummary(d, 4, "Experiment 5", "299831.5", "54.219", "20");
        notes(d, {"Speed of light in air (km/s), five experiments of 20 runs each, by",
                  "A. A. Michelson (1882), Experimental determination of the velocity of",
                  "light, Astronomical Papers 1, 109-145. Mean, SD and N of each experiment."});
        ok &= save(d, folder, "light_speed_mean_sd.OXD");
    }
    {
        DataSet d;
        d.chooseFormat(DataFormat::MeanSEMN);
        d.table.setTitle("Plant growth under two treatments");
        typeSummary(d, 0, "Control", "5.032", "0.1844", "10");
        typeSummary(d, 1, "Treatment 1", "4.661", "0.2510", "10");
        typeSummary(d, 2, "Treatment 2", "5.526", "0.1400", "10");
        notes(d, {"Dried weight (g) of plants: mean, SEM and N of ten plants per group, from",
                  "Dobson (1983), An Introduction to Statistical Modelling, p. 9."});
        ok &= save(d, folder, "plant_growth_mean_sem.OXD");
    }
    {
        DataSet d;
        d.chooseFormat(DataFormat::Raw);
        d.table.setTitle("Plant growth, three groups");
        typeColumn(d, 0, "Control", {"4.17", "5.58", "5.18", "6.11", "4.50", "4.61", "5.17", "4.53", "5.33", "5.14"});
        typeColumn(d, 1, "Treatment 1",
                   {"4.81", "4.17", "4.41", "3.59", "5.87", "3.83", "6.03", "4.89", "4.32", "4.69"});
        typeColumn(d, 2, "Treatment 2",
                   {"6.31", "5.12", "5.54", "5.50", "5.37", "5.29", "4.92", "6.15", "5.80", "5.26"});
        d.choices.MultiColNonParametric = true;
        notes(d, {"Dried weight (g) of ten plants in each of three groups, from Dobson",
                  "(1983), An Introduction to Statistical Modelling, p. 9. Independent",
                  "groups compared without assuming Gaussian data: the Kruskal-Wallis test."});
        ok &= save(d, folder, "plant_growth_three_groups.OXD");
    }
    {
        DataSet d;
        d.chooseFormat(DataFormat::Raw);
        d.table.setTitle("Rounding first base: three methods");
        typeColumn(d, 0, "Round out",
                   {"5.40", "5.85", "5.20", "5.55", "5.90", "5.45", "5.40", "5.45", "5.25", "5.85", "5.25",
                    "5.65", "5.60", "5.05", "5.50", "5.45", "5.55", "5.45", "5.50", "5.65", "5.70", "6.30"});
        typeColumn(d, 1, "Narrow angle",
                   {"5.50", "5.70", "5.60", "5.50", "5.85", "5.55", "5.40", "5.50", "5.15", "5.80", "5.20",
                    "5.55", "5.35", "5.00", "5.50", "5.55", "5.55", "5.50", "5.45", "5.60", "5.65", "6.30"});
        typeColumn(d, 2, "Wide angle",
                   {"5.55", "5.75", "5.50", "5.40", "5.70", "5.60", "5.35", "5.35", "5.00", "5.70", "5.10",
                    "5.45", "5.45", "4.95", "5.40", "5.50", "5.35", "5.55", "5.25", "5.40", "5.55", "6.25"});
        for (int row = 0; row < 22; ++row)
            d.table.setRowTitle(row, "Player " + std::to_string(row + 1));
        d.choices.MultiColNonParametric = true;
        d.choices.OrdinaryAnova = false;
        notes(d, {"Time (s) to run from a point on the first base line to a point short of",
                  "second base, each of 22 players trying three ways of rounding first",
                  "base, from Hollander and Wolfe (1973), Nonparametric Statistical",
                  "Methods, p. 140. Matched columns without assuming Gaussian data: the", "Friedman test."});
        ok &= save(d, folder, "rounding_times_matched.OXD");
    }
    {
        DataSet d;
        d.chooseFormat(DataFormat::XY);
        d.table.setTitle("Speed and stopping distance of cars");
        const char* speed[] = {"4",  "4",  "7",  "7",  "8",  "9",  "10", "10", "10", "11", "11", "12", "12",
                               "12", "12", "13", "13", "13", "13", "14", "14", "14", "14", "15", "15", "15",
                               "16", "16", "17", "17", "17", "18", "18", "18", "18", "19", "19", "19", "20",
                               "20", "20", "20", "20", "22", "23", "24", "24", "24", "24", "25"};
        const char* distance[] = {"2",  "10", "4",  "22", "16", "10", "18", "26", "34", "17",  "28", "14", "20",
                                  "24", "28", "26", "34", "34", "46", "26", "36", "60", "80",  "20", "26", "54",
                                  "32", "40", "32", "40", "50", "42", "56", "76", "84", "36",  "46", "68", "32",
                                  "48", "52", "56", "64", "66", "54", "70", "92", "93", "120", "85"};
        for (int row = 0; row < 50; ++row) {
            ombrix::core::enterCellText(d, row, 0, speed[row], '.', nullptr);
            ombrix::core::enterCellText(d, row, 1, distance[row], '.', nullptr);
        }
        d.table.setColumnTitle(0, "Speed (mph)");
        d.table.setColumnTitle(1, "Distance (ft)");
        notes(d, {"Speed of 50 cars and the distance taken to stop, recorded in the 1920s,",
                  "from Ezekiel (1930), Methods of Correlation Analysis, Wiley."});
        ok &= save(d, folder, "car_stopping_xy.OXD");
    }
    {
        DataSet d;
        d.chooseFormat(DataFormat::TwoByTwo);
        d.table.setTitle("Lady tasting tea");
        d.twoByTwo.counts = {3, 1, 1, 3};
        d.twoByTwo.titles = {"Said milk", "Said tea", "Milk first", "Tea first"};
        notes(d, {"Eight cups of tea, four with the milk poured first: the lady's guesses,",
                  "from R. A. Fisher (1935), The Design of Experiments, chapter 2."});
        ok &= save(d, folder, "tea_tasting_2x2.OXD");
    }
    {
        DataSet d;
        d.chooseFormat(DataFormat::LargerTable);
        d.table.setTitle("Hair and eye colour of 592 students");
        typeColumn(d, 0, "Brown eyes", {"68", "119", "26", "7"});
        typeColumn(d, 1, "Blue eyes", {"20", "84", "17", "94"});
        typeColumn(d, 2, "Hazel eyes", {"15", "54", "14", "10"});
        typeColumn(d, 3, "Green eyes", {"5", "29", "14", "16"});
        d.table.setRowTitle(0, "Black hair");
        d.table.setRowTitle(1, "Brown hair");
        d.table.setRowTitle(2, "Red hair");
        d.table.setRowTitle(3, "Blond hair");
        notes(d, {"Hair and eye colour of 592 statistics students, from Snee (1974),",
                  "Graphical display of two-way contingency tables, The American", "Statistician 28, 9-12."});
        ok &= save(d, folder, "hair_eye_colour_table.OXD");
    }
    {
        DataSet d;
        d.chooseFormat(DataFormat::MultipleRegression);
        d.table.setTitle("Stack loss of a nitric acid plant");
        typeColumn(d, 0, "Stack loss", {"42", "37", "37", "28", "18", "18", "19", "20", "15", "14", "14",
                                        "13", "11", "12", "8",  "7",  "8",  "8",  "9",  "15", "15"});
        typeColumn(d, 1, "Air flow", {"80", "80", "75", "62", "62", "62", "62", "62", "58", "58", "58",
                                      "58", "58", "58", "50", "50", "50", "50", "50", "56", "70"});
        typeColumn(d, 2, "Water temp", {"27", "27", "25", "24", "22", "23", "24", "24", "23", "18", "18",
                                        "17", "18", "19", "18", "18", "19", "19", "20", "20", "20"});
        typeColumn(d, 3, "Acid conc", {"89", "88", "90", "87", "87", "87", "93", "93", "87", "80", "89",
                                       "88", "82", "93", "89", "86", "72", "79", "80", "82", "91"});
        d.choices.DependentColumn = 0;
        d.choices.IndependentColumns[1] = d.choices.IndependentColumns[2] = d.choices.IndependentColumns[3] = true;
        notes(d, {"21 days of operation of a plant oxidising ammonia to nitric acid: the",
                  "stack loss (tenths of a percent of ammonia lost) with air flow, cooling",
                  "water temperature and acid concentration, from Brownlee (1965),",
                  "Statistical Theory and Methodology in Science and Engineering, p. 454."});
        ok &= save(d, folder, "stack_loss_multiple_regression.OXD");
    }
    return ok ? 0 : 1;
}
