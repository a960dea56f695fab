// Import, Export, Copy and Paste in a data set window: the dialogs driven
// as a user would, the clipboard and files checked as other programs see them.
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>

#include "analyses/report_chars.h"
#include "app/data_exchange.h"
#include "app/grid_models.h"
#include "core/clipboard_text.h"
#include "tests/app/app_test_support.h"

namespace ombrix::app::testing {
namespace {

class DataExchangeTest : public GridTest {
protected:
    QString writeFile(const char* name, const QByteArray& bytes)
    {
        QFile file(path(QLatin1String(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    Real value(int row, int column) const { return form->dataSet().table.value(row, column); }
};

// A file with a UTF-8 title line and an unreadable value: the dialog
// previews it and says how many values stay blank; OK puts the columns, their
// titles and the values at the current cell.
TEST_F(DataExchangeTest, ImportThroughTheDialog)
{
    const QString file = writeFile("dose.csv", "Dose (\xc2\xb5g/ml),Response\r\n1,2.5\r\n2,none\r\n4,3.25\r\n");
    int previewRows = 0;
    QString message;
    asker.dialogScript = [&](QDialog& dialog) {
        auto& import = dynamic_cast<ImportDialog&>(dialog);
        previewRows = import.preview()->model()->rowCount();
        message = import.messageLabel()->text();
        import.accept();
    };
    grid->goToCell(0, 1);
    ASSERT_TRUE(form->importFile(file));
    EXPECT_EQ(previewRows, 3);
    EXPECT_TRUE(message.startsWith(QStringLiteral("1 value"))) << message.toStdString();
    const core::DataTable& table = form->dataSet().table;
    EXPECT_EQ(table.column(1).title, "Dose (\xc2\xb5g/ml)");
    EXPECT_EQ(table.column(2).title, "Response");
    EXPECT_EQ(value(2, 1), 4);
    EXPECT_EQ(value(2, 2), 3.25L);
    EXPECT_TRUE(table.isBlank(1, 2));  // "none" is no number
    EXPECT_TRUE(table.isBlank(0, 0));
    EXPECT_TRUE(form->dataSet().modified && form->dataSet().resultsStale);
}

// Indexed import refuses one column for both values and groups and stays
// open; with two columns each group gets a column titled by its number.
// A binary file is refused before any dialog.
TEST_F(DataExchangeTest, IndexedImportAndRefusals)
{
    const QString file = writeFile("groups.txt", "5\t2\n6\t1\n7\t2\n");
    QString refusal;
    asker.dialogScript = [&](QDialog& dialog) {
        auto& import = dynamic_cast<ImportDialog&>(dialog);
        import.indexed()->setChecked(true);
        import.valueColumn()->setValue(1);
        import.groupColumn()->setValue(1);
        import.accept();
        refusal = import.messageLabel()->text();
        import.groupColumn()->setValue(2);
        import.accept();
    };
    ASSERT_TRUE(form->importFile(file));
    EXPECT_EQ(refusal.toStdString(), core::SameValueAndGroupColumnMessage);
    EXPECT_EQ(form->dataSet().table.column(0).title, "2");
    EXPECT_EQ(value(1, 0), 7);
    EXPECT_EQ(value(0, 1), 6);

    asker.dialogScript = [](QDialog&) { ADD_FAILURE() << "no dialog for a file that is not text"; };
    EXPECT_FALSE(form->importFile(writeFile("image.bin", QByteArray("\x89PNG\0\0\x01", 7))));
    EXPECT_EQ(asker.messages.value(0).toStdString(), core::NotTextFileMessage);
}

// Copy asks about titles by the selection's shape and offers an HTML table;
// Ctrl+C on the grid is that Copy.
TEST_F(DataExchangeTest, CopyCarriesTheTitlesAsked)
{
    typeColumn(form->dataSet(), 0, {"1.5", "", "3"}, "Dose");
    form->dataModel()->everythingChanged();
    grid->selectColumn(0);
    asker.yesNoCancel = {Answer::Yes};
    pressKey(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(asker.questions.value(0).toStdString(), core::IncludeColumnTitlesQuestion);
    const QMimeData* copied = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->text(), QStringLiteral("Dose\r\n1.5\r\n\r\n3.0\r\n"));  // as the grid shows it
    EXPECT_TRUE(copied->html().contains(QStringLiteral("Dose")));

    grid->clearSelection();
    grid->goToCell(2, 0);
    mainForm->commandAction(Command::Copy)->trigger();  // one cell, no question
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("3.0\r\n"));
    EXPECT_EQ(asker.questions.size(), 1);
}

// A block from a spreadsheet in a decimal-comma locale lands from the
// current cell; transposed, its lines become columns.
TEST_F(DataExchangeTest, PasteFromASpreadsheet)
{
    mainForm->settings().decimalSeparator = QLatin1Char(',');
    QGuiApplication::clipboard()->setText(QStringLiteral("1,5\t2\r\n3\t4,25\r\n"));
    grid->goToCell(2, 1);
    EXPECT_TRUE(mainForm->commandAction(Command::Paste)->isEnabled());
    mainForm->commandAction(Command::Paste)->trigger();
    EXPECT_EQ(value(2, 1), 1.5L);
    EXPECT_EQ(value(2, 2), 2);
    EXPECT_EQ(value(3, 1), 3);
    EXPECT_EQ(value(3, 2), 4.25L);
    EXPECT_TRUE(form->isWindowModified());

    grid->goToCell(0, 4);
    mainForm->commandAction(Command::TransposePaste)->trigger();
    EXPECT_EQ(value(0, 4), 1.5L);
    EXPECT_EQ(value(1, 4), 2);
    EXPECT_EQ(value(0, 5), 3);
}

// Export writes the table as text another program (and Import) reads back
// digit for digit; at the results step it writes the report's lines.
TEST_F(DataExchangeTest, ExportRoundTripAndReport)
{
    core::DataSet& data = form->dataSet();
    data.table.setTitle("Trial");
    typeColumn(data, 0, {"0.1", "123456789.125", "-2.5e-7"}, "Dose (\xc2\xb5g)");
    typeColumn(data, 1, {"3", "", "1e12"}, "Y");
    asker.saveNames = {path(QStringLiteral("trial.CSV"))};
    mainForm->commandAction(Command::Export)->trigger();
    QFile written(path(QStringLiteral("trial.CSV")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().startsWith("Trial\r\nDose (\xc2\xb5g),Y\r\n0.1,3\r\n"));

    TAnalysisForm* back = mainForm->newDocument();
    ASSERT_TRUE(back->importFile(path(QStringLiteral("trial.CSV"))));
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 2; ++column)
            EXPECT_EQ(back->dataSet().table.value(row, column), data.table.value(row, column)) << row << column;
    EXPECT_EQ(back->dataSet().table.title(), "Trial");

    mainForm->activateDocument(form);
    ASSERT_TRUE(form->goToStep(Step::Results));
    asker.saveNames = {path(QStringLiteral("report.txt"))};
    mainForm->commandAction(Command::Export)->trigger();
    QFile report(path(QStringLiteral("report.txt")));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_TRUE(report.readAll().contains("\r\n"));
}

// Export as PDF writes the page shown: the report's lines as text a PDF
// reader finds, and the data table in its columns with the titles.
TEST_F(DataExchangeTest, ExportAsPdfOfTheStepShown)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const auto pdfText = [](const QString& file) {
        QProcess extract;
        extract.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), file, QStringLiteral("-")});
        extract.waitForFinished(20000);
        return QString::fromUtf8(extract.readAllStandardOutput());
    };
    TAnalysisForm* sleep = mainForm->openFileByName(example("sleep_paired.OXD"));
    ASSERT_NE(sleep, nullptr);
    ASSERT_TRUE(sleep->goToStep(Step::Results));
    asker.saveNames = {path(QStringLiteral("report.pdf")), path(QStringLiteral("table.pdf"))};
    ASSERT_TRUE(mainForm->exportPdf());
    const QString report = pdfText(path(QStringLiteral("report.pdf")));
    for (int i = 0; i < sleep->resultsBuffer().indexedLineCount(); ++i) {
        const QString line = QString::fromStdString(analyses::stripMarks(sleep->resultsBuffer().line(i))).simplified();
        if (!line.isEmpty()) {
            EXPECT_TRUE(report.simplified().contains(line)) << line.toStdString();
        }
    }
    ASSERT_TRUE(sleep->goToStep(Step::EnterData));
    ASSERT_TRUE(mainForm->exportPdf());
    const QString table = pdfText(path(QStringLiteral("table.pdf")));
    EXPECT_TRUE(table.contains(QStringLiteral("Drug 1")) && table.contains(QStringLiteral("Drug 2")));
    EXPECT_TRUE(table.contains(QStringLiteral("Page 1 of 1")));

    // The statistics grid: one printed row per statistic, its values beside it.
    asker.saveNames = {path(QStringLiteral("stats.pdf"))};
    ASSERT_TRUE(sleep->goToStep(Step::ColumnStats));
    ASSERT_TRUE(mainForm->exportPdf());
    const QStringList statsLines = pdfText(path(QStringLiteral("stats.pdf"))).split(QLatin1Char('\n'));
    const auto meanLine = std::find_if(statsLines.begin(), statsLines.end(), [](const QString& line) {
        return line.contains(QRegularExpression(QStringLiteral("^Mean +0.75 +2.33")));
    });
    ASSERT_NE(meanLine, statsLines.end());
    EXPECT_FALSE(meanLine->contains(QStringLiteral("Median")));
}

}  // namespace
}  // namespace ombrix::app::testing
