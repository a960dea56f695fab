#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

// Every question and message box of the shell goes through an Asker, so that
// the flows behind them can be driven without a modal dialog (the tests give
// their own answers).
namespace ombrix::app {

enum class Answer { Yes, No, Cancel };

// The icon of a message box: what was asked for failed (Critical), or was
// done but not wholly, or cannot be done now (Warning).
enum class MessageKind { Warning, Critical };

// The three choices of the "Create a new file" dialog.
enum class NewFileChoice { CloseAndCreate, CreateAnother, Duplicate, Cancel };

class Asker {
public:
    virtual ~Asker();

    virtual bool askYesNo(QWidget* parent, const QString& question) = 0;
    virtual Answer askYesNoCancel(QWidget* parent, const QString& question) = 0;
    // A message with an OK button; detail, when given, below it (the file concerned).
    virtual void tell(QWidget* parent, const QString& message, MessageKind kind, const QString& detail = {}) = 0;
    // A message with a check box and an OK button; true when the box was checked.
    virtual bool tellWithCheckBox(QWidget* parent, const QString& message, const QString& checkBoxCaption) = 0;
    // The name chosen, or empty when cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& proposedPath,
                                 const QString& filter) = 0;
    virtual NewFileChoice askNewFile(QWidget* parent) = 0;
    // One of items (the current one preselected); its index, or -1 when cancelled.
    virtual int chooseItem(QWidget* parent, const QString& title, const QString& label, const QStringList& items,
                           int current) = 0;
    // The "Copy to clipboard" question of a copied sheet; false on Cancel.
    virtual bool askCopyTitles(QWidget* parent, bool& rowTitles, bool& columnTitles) = 0;
    // A dialog of the program's own (Import, Export) run to its end; true on OK.
    virtual bool runDialog(QDialog& dialog) = 0;
};

// The real dialogs.
class DialogAsker final : public Asker {
public:
    bool askYesNo(QWidget* parent, const QString& question) override;
    Answer askYesNoCancel(QWidget* parent, const QString& question) override;
    void tell(QWidget* parent, const QString& message, MessageKind kind, const QString& detail) override;
    bool tellWithCheckBox(QWidget* parent, const QString& message, const QString& checkBoxCaption) override;
    QString openFileName(QWidget* parent, const QString& title, const QString& folder, const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& proposedPath,
                         const QString& filter) override;
    NewFileChoice askNewFile(QWidget* parent) override;
    int chooseItem(QWidget* parent, const QString& title, const QString& label, const QStringList& items,
                   int current) override;
    bool askCopyTitles(QWidget* parent, bool& rowTitles, bool& columnTitles) override;
    bool runDialog(QDialog& dialog) override;
};

}  // namespace ombrix::app
