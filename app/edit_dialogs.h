#pragma once

#include <QDialog>

#include <optional>

#include "core/editing.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

// The dialogs of the Data menu's editing commands and of Insert and Delete
// cells. They only gather the choices; the data set window runs the command.
namespace ombrix::app {

// "Transform": the list of transforms and the constant K, shown for the
// transforms that take it. OK, or a double-click on the list, runs it.
class TransformDialog final : public QDialog {
    Q_OBJECT
public:
    explicit TransformDialog(char decimalSeparator, QWidget* parent = nullptr);

    core::TransformKind kind() const;
    void setKind(core::TransformKind kind);
    // K as typed; the transform's own default when the text is no number.
    Real k() const;

    QListWidget* list() const { return m_list; }
    QLineEdit* kField() const { return m_k; }

private:
    void kindChosen();
    void syncOk();

    char m_decimalSeparator;
    QListWidget* m_list = nullptr;
    QLabel* m_kLabel = nullptr;
    QLineEdit* m_k = nullptr;
    QPushButton* m_ok = nullptr;
};

// "Combine Variables": a new variable for the current column from two
// columns and an operator.
class CombineDialog final : public QDialog {
    Q_OBJECT
public:
    // titles: the column titles, shown beside the names in the lists.
    CombineDialog(int targetColumn, const QStringList& titles, QWidget* parent = nullptr);

    int firstColumn() const;
    int secondColumn() const;
    core::CombineOperator op() const;

    QComboBox* firstList() const { return m_first; }
    QComboBox* secondList() const { return m_second; }
    QRadioButton* operatorButton(core::CombineOperator op) const;

private:
    QComboBox* m_first = nullptr;
    QComboBox* m_second = nullptr;
    QButtonGroup* m_operators = nullptr;
};

// "Number Format": automatic or fixed decimals for the columns the label names.
class NumberFormatDialog final : public QDialog {
    Q_OBJECT
public:
    // shared: the setting all the columns have (-1 automatic), or nothing.
    NumberFormatDialog(const QString& columnsLabel, std::optional<int> shared, QWidget* parent = nullptr);

    // -1 for automatic decimals.
    int decimals() const;

    QRadioButton* automatic() const { return m_automatic; }
    QRadioButton* fixed() const { return m_fixed; }
    QSpinBox* digits() const { return m_digits; }

private:
    QRadioButton* m_automatic = nullptr;
    QRadioButton* m_fixed = nullptr;
    QSpinBox* m_digits = nullptr;
};

// "Insert " and "Delete": shift cells, entire rows or entire columns. A
// double-click on a choice confirms it.
class ShiftDialog final : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Insert, Delete };
    ShiftDialog(Mode mode, core::ShiftKind preselected, QWidget* parent = nullptr);

    core::ShiftKind kind() const;
    QRadioButton* choice(core::ShiftKind kind) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QButtonGroup* m_choices = nullptr;
};

}  // namespace ombrix::app
