#pragma once

#include <QList>
#include <QMainWindow>
#include <QStringList>

#include <map>
#include <memory>

#include "app/analysis_form.h"
#include "app/shell_context.h"

class QAction;
class QActionGroup;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QSettings;
class QTimer;

namespace ombrix::app {

// Every command of the menus and the tool bar.
enum class Command {
    NewFile,
    OpenFile,
    Close,
    Save,
    SaveAs,
    PrinterSetup,
    Print,
    PrintPreview,
    ExportPdf,
    ImportData,
    Export,
    Exit,
    Undo,
    Redo,
    Cut,
    Copy,
    Paste,
    TransposePaste,
    AppendToNotes,
    Clear,
    ClearAll,
    SelectColumn,
    SelectRow,
    SelectAll,
    DeleteCells,
    InsertCells,
    ViewNotes,
    Transform,
    CombineVariables,
    NumberFormat,
    Exclude,
    NextStep,
    PreviousStep,
    StepDataFormat,
    StepEnterData,
    StepColumnStats,
    StepChooseTest,
    StepResults,
    StepGraph,
    Cascade,
    Tile,
    Duplicate,
    NextWindow,
    HelpContents,
    HelpSearch,
    Guide,
    About,
    NewAnalysis,
};

inline constexpr int MaxDocuments = 10;

inline constexpr const char* TooManyDocumentsMessage =
    "You can open up to 10 files (data sets) at one time. Close one and try again.";
inline constexpr const char* FileNotFoundMessage = "File not found.";
inline constexpr const char* DuplicateFileName = "OMBRIX$$.TMP";

// The main window: the document windows in a multiple-document area, the
// menus, the tool bar of step buttons and the status line. It owns the
// document list (at most ten), the recently used files and the settings.
class TMainForm final : public QMainWindow {
    Q_OBJECT
public:
    // The settings are read from settingsFile now and written back to it when
    // the window closes. progress is the process's busy state: while a
    // calculation runs, the file, step and window commands do nothing.
    TMainForm(QSettings& settingsFile, workflow::CalculationProgress& progress, Asker& asker,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    ShellSettings& settings() { return m_settings; }
    ShellContext& context() { return m_context; }

    // The open document windows, in the order they were opened.
    QList<TAnalysisForm*> documents() const;
    TAnalysisForm* activeDocument() const;
    void activateDocument(TAnalysisForm* form);

    QAction* commandAction(Command command) const;
    QMenu* fileMenu() const { return m_fileMenu; }
    // The items of the recently used files under the File menu.
    QList<QAction*> recentFileActions() const { return m_recentActions; }

    // Start: open the file named on the command line, or show a new document.
    void startWith(const QString& fileName);

    // The commands; each returns what it did, for the tests.
    TAnalysisForm* newDocument();
    void newAnalysis();
    // Opens a data file as the Open command does; a file already open is
    // brought to the front.
    TAnalysisForm* openFileByName(const QString& path);
    TAnalysisForm* openRecent(int index);
    // Opens one of the example data sets shipped with the guide as a new,
    // untitled document.
    TAnalysisForm* openExample(const QString& name);
    void openWithDialog();
    bool closeActiveDocument();
    TAnalysisForm* duplicateActiveDocument();
    bool saveActiveDocument(TAnalysisForm::SaveMode mode);
    // Exit: every document is asked to close, then the settings are written.
    void exitProgram();

    // File > Print, Print Preview and Export as PDF: the page of the active
    // document shown (report, graph, data table or statistics), paginated.
    void printDocument();
    void printPreview();
    bool exportPdf();
    void printerSetup();

    // A later start handed over a file name (possibly empty).
    void handOverReceived(const QString& fileName);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    QAction* addCommand(Command command, const QString& caption, const QKeySequence& shortcut = {});
    void addDocument(TAnalysisForm* form);
    TAnalysisForm* openDataFile(const QString& path, bool asNewName);
    int freeDefaultNumber() const;
    void rebuildRecentMenu();
    void rebuildWindowMenu();
    void updateCommands();
    void addRecent(const QString& path);
    void stepCommand(Step step);
    // Opening a file or an example takes the place of an untouched active
    // document; false (after saying why) when ten are open already.
    bool roomForDocument(TAnalysisForm*& replaced);
    QPrinter& printer();
    // Runs what had to wait for the end of a calculation.
    void whenCalculationEnds();
    bool calculating() const { return m_context.progress.calculating(); }

    QSettings& m_settingsFile;
    ShellSettings m_settings;
    ShellContext m_context;

    QMdiArea* m_mdi;
    std::map<Command, QAction*> m_actions;
    QActionGroup* m_stepGroup;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recentActions;
    QLabel* m_stepLabel;

    QTimer* m_calculationWatch;
    std::unique_ptr<QPrinter> m_printer;  // the page setup, kept for the session
    bool m_exitPending = false;
    QStringList m_pendingOpens;
};

}  // namespace ombrix::app
