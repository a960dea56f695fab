#include "app/asker.h"

#include "app/data_exchange.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QRegularExpression>
#include <QVBoxLayout>

namespace ombrix::app {

namespace {

QString boxTitle()
{
    return QStringLiteral("Ombrix");
}

}  // namespace

Asker::~Asker() = default;

bool DialogAsker::askYesNo(QWidget* parent, const QString& question)
{
    return QMessageBox::question(parent, boxTitle(), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

Answer DialogAsker::askYesNoCancel(QWidget* parent, const QString& question)
{
    const auto button = QMessageBox::question(
        parent, boxTitle(), question, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    if (button == QMessageBox::No)
        return Answer::No;
    return Answer::Cancel;
}

void DialogAsker::tell(QWidget* parent, const QString& message, MessageKind kind, const QString& detail)
{
    QMessageBox box(kind == MessageKind::Critical ? QMessageBox::Critical : QMessageBox::Warning, boxTitle(), message,
                    QMessageBox::Ok, parent);
    box.setInformativeText(detail);
    box.exec();
}

bool DialogAsker::tellWithCheckBox(QWidget* parent, const QString& message, const QString& checkBoxCaption)
{
    QMessageBox box(QMessageBox::Warning, boxTitle(), message, QMessageBox::Ok, parent);
    auto* checkBox = new QCheckBox(checkBoxCaption, &box);
    box.setCheckBox(checkBox);
    box.exec();
    return checkBox->isChecked();
}

QString DialogAsker::openFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString DialogAsker::saveFileName(QWidget* parent, const QString& title, const QString& proposedPath,
                                  const QString& filter)
{
    QFileDialog dialog(parent, title, proposedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets the one of the filter chosen.
    const auto suffixOf = [](const QString& nameFilter) {
        const qsizetype star = nameFilter.indexOf(QLatin1String("*."));
        if (star < 0)
            return QString();
        QString suffix = nameFilter.mid(star + 2);
        const qsizetype end = suffix.indexOf(QRegularExpression(QStringLiteral("[ );]")));
        return end < 0 ? suffix : suffix.left(end);
    };
    dialog.setDefaultSuffix(suffixOf(filter.section(QLatin1String(";;"), 0, 0)));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&](const QString& chosen) { dialog.setDefaultSuffix(suffixOf(chosen)); });
    dialog.selectFile(proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

NewFileChoice DialogAsker::askNewFile(QWidget* parent)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QObject::tr("Create a new file"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* text = new QLabel(QObject::tr("Ombrix allows you to open up to ten files at once, each in its own "
                                        "window. Do you want to:"),
                            &dialog);
    text->setWordWrap(true);
    layout->addWidget(text);

    auto* group = new QButtonGroup(&dialog);
    const QString captions[] = {
        QObject::tr("Close the file you are working on and create a new one."),
        QObject::tr("Create a new empty file, in addition to the one(s) open now."),
        QObject::tr("Duplicate the current file, so you can edit and analyze the copies independently."),
    };
    for (int i = 0; i < 3; ++i) {
        auto* button = new QRadioButton(captions[i], &dialog);
        group->addButton(button, i);
        layout->addWidget(button);
    }
    group->button(1)->setChecked(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return NewFileChoice::Cancel;
    switch (group->checkedId()) {
    case 0: return NewFileChoice::CloseAndCreate;
    case 2: return NewFileChoice::Duplicate;
    default: return NewFileChoice::CreateAnother;
    }
}

int DialogAsker::chooseItem(QWidget* parent, const QString& title, const QString& label, const QStringList& items,
                            int current)
{
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent, title, label, items, current, false, &ok);
    return ok ? static_cast<int>(items.indexOf(chosen)) : -1;
}

bool DialogAsker::askCopyTitles(QWidget* parent, bool& rowTitles, bool& columnTitles)
{
    CopyTitlesDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    rowTitles = dialog.rowTitles();
    columnTitles = dialog.columnTitles();
    return true;
}

bool DialogAsker::runDialog(QDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace ombrix::app
