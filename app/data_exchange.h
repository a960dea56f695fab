#pragma once

#include <QDialog>

#include <functional>

#include "core/text_export.h"
#include "core/text_import.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QTableView;

// The dialogs of data exchange with other programs: Import (a preview of a
// delimited text file and what of it to take), Export (arrangement, titles
// and decimals of a data table written as text) and the titles question of
// a copied sheet.
namespace ombrix::app {

// The "Import" dialog over the temporary table of a file. OK checks the
// choices with the document (checkChoices) and stays open with its message.
class ImportDialog final : public QDialog {
    Q_OBJECT
public:
    ImportDialog(const core::TextTable& source, const QString& fileName, QWidget* parent = nullptr);

    // The choices as the engine takes them (0-based), without the start cell.
    core::ImportOptions options() const;
    // Runs on OK: an empty text accepts, any other is shown and the dialog stays.
    void setChoiceCheck(std::function<QString(const core::ImportOptions&)> check) { m_check = std::move(check); }

    QTableView* preview() const { return m_preview; }
    QCheckBox* rowRange() const { return m_rowRange; }
    QSpinBox* fromRow() const { return m_fromRow; }
    QSpinBox* toRow() const { return m_toRow; }
    QCheckBox* filter() const { return m_filter; }
    QSpinBox* filterColumn() const { return m_filterColumn; }
    QComboBox* condition() const { return m_condition; }
    QLineEdit* filterValue() const { return m_filterValue; }
    QRadioButton* allColumns() const { return m_allColumns; }
    QRadioButton* columnRange() const { return m_columnRange; }
    QRadioButton* indexed() const { return m_indexed; }
    QSpinBox* fromColumn() const { return m_fromColumn; }
    QSpinBox* toColumn() const { return m_toColumn; }
    QSpinBox* valueColumn() const { return m_valueColumn; }
    QSpinBox* groupColumn() const { return m_groupColumn; }
    QLabel* messageLabel() const { return m_message; }

    void accept() override;

private:
    void syncEnabled();

    const core::TextTable& m_source;
    std::function<QString(const core::ImportOptions&)> m_check;
    QTableView* m_preview = nullptr;
    QCheckBox* m_rowRange = nullptr;
    QSpinBox* m_fromRow = nullptr;
    QSpinBox* m_toRow = nullptr;
    QCheckBox* m_filter = nullptr;
    QSpinBox* m_filterColumn = nullptr;
    QComboBox* m_condition = nullptr;
    QLineEdit* m_filterValue = nullptr;
    QRadioButton* m_allColumns = nullptr;
    QRadioButton* m_columnRange = nullptr;
    QRadioButton* m_indexed = nullptr;
    QSpinBox* m_fromColumn = nullptr;
    QSpinBox* m_toColumn = nullptr;
    QSpinBox* m_valueColumn = nullptr;
    QSpinBox* m_groupColumn = nullptr;
    QLabel* m_message = nullptr;
};

// The "Export" dialog: arrangement, titles and decimal separator.
class ExportDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ExportDialog(QWidget* parent = nullptr);
    // The choices; the caller sets the separator from the file name.
    core::ExportOptions options() const;

    QRadioButton* indexArrangement() const { return m_index; }
    QCheckBox* sheetTitle() const { return m_sheetTitle; }
    QCheckBox* columnTitles() const { return m_columnTitles; }
    QRadioButton* comma() const { return m_comma; }

private:
    QRadioButton* m_index = nullptr;
    QCheckBox* m_sheetTitle = nullptr;
    QCheckBox* m_columnTitles = nullptr;
    QRadioButton* m_comma = nullptr;
};

// "Copy to clipboard": whether a copied sheet takes its row and column titles.
class CopyTitlesDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CopyTitlesDialog(QWidget* parent = nullptr);
    bool rowTitles() const;
    bool columnTitles() const;

private:
    QCheckBox* m_rowTitles = nullptr;
    QCheckBox* m_columnTitles = nullptr;
};

}  // namespace ombrix::app
