#include "app/main_form.h"

#include "app/data_grid_view.h"

#include <QAction>
#include <QClipboard>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>

#include "app/about_dialog.h"
#include "app/help_window.h"
#include "core/atomic_file.h"
#include "core/oxd_file.h"
#include "graphs/print_document.h"
#include "workflow/document_io.h"

namespace ombrix::app {

namespace {

const QString DataFileFilter = QStringLiteral("Ombrix data file (*.OXD *.oxd);;Any file (*)");

QMdiSubWindow* subWindowOf(TAnalysisForm* form)
{
    return form ? qobject_cast<QMdiSubWindow*>(form->parentWidget()) : nullptr;
}

bool sameFile(const QString& a, const QString& b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

Command stepCommandOf(Step step)
{
    switch (step) {
    case Step::DataFormat: return Command::StepDataFormat;
    case Step::EnterData: return Command::StepEnterData;
    case Step::ColumnStats: return Command::StepColumnStats;
    case Step::ChooseTest: return Command::StepChooseTest;
    case Step::Results: return Command::StepResults;
    case Step::Graph: return Command::StepGraph;
    }
    return Command::StepDataFormat;
}

QString stepName(Step step)
{
    switch (step) {
    case Step::DataFormat: return QObject::tr("Data Format");
    case Step::EnterData: return QObject::tr("Enter & Edit Data");
    case Step::ColumnStats: return QObject::tr("Column Stats");
    case Step::ChooseTest: return QObject::tr("Choose Test");
    case Step::Results: return QObject::tr("Results");
    case Step::Graph: return QObject::tr("Graph");
    }
    return {};
}

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

SettingsDefaults currentDefaults()
{
    SettingsDefaults defaults;
    defaults.systemDecimalSeparator = regionalDecimalSeparator();
    defaults.defaultFolder = defaultDataFolder();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        defaults.screenSize = screen->availableGeometry().size();
    return defaults;
}

}  // namespace

TMainForm::TMainForm(QSettings& settingsFile, workflow::CalculationProgress& progress, Asker& asker, QWidget* parent)
    : QMainWindow(parent)
    , m_settingsFile(settingsFile)
    , m_settings(readSettings(settingsFile, currentDefaults()))
    , m_context{asker, progress, m_settings, typingDecimalSeparator(), true, QString()}
    , m_mdi(new QMdiArea(this))
    , m_stepGroup(new QActionGroup(this))
    , m_stepLabel(new QLabel(this))
    , m_calculationWatch(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Ombrix"));
    setCentralWidget(m_mdi);
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    statusBar()->addPermanentWidget(m_stepLabel);

    createActions();
    createMenus();
    createToolBar();
    rebuildRecentMenu();

    connect(m_mdi, &QMdiArea::subWindowActivated, this, &TMainForm::updateCommands);
    m_calculationWatch->setInterval(200);
    connect(m_calculationWatch, &QTimer::timeout, this, &TMainForm::whenCalculationEnds);
    // Paste is offered while the clipboard holds text.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TMainForm::updateCommands);

    resize(m_settings.windowSize);
    updateCommands();
}

TMainForm::~TMainForm() = default;

QAction* TMainForm::addCommand(Command command, const QString& caption, const QKeySequence& shortcut)
{
    auto* action = new QAction(caption, this);
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    m_actions[command] = action;
    return action;
}

QAction* TMainForm::commandAction(Command command) const
{
    const auto found = m_actions.find(command);
    return found == m_actions.end() ? nullptr : found->second;
}

void TMainForm::createActions()
{
    const auto on = [this](Command command, auto slot) {
        connect(commandAction(command), &QAction::triggered, this, slot);
    };
    // Whatever a document does is refused while a calculation reads it.
    const auto onDocument = [this](Command command, void (TAnalysisForm::*method)()) {
        connect(commandAction(command), &QAction::triggered, this, [this, method] {
            if (TAnalysisForm* form = activeDocument(); form && !calculating())
                (form->*method)();
        });
    };

    addCommand(Command::NewFile, tr("&New File"), QKeySequence(Qt::CTRL | Qt::Key_N));
    addCommand(Command::OpenFile, tr("&Open Ombrix File"), QKeySequence(Qt::CTRL | Qt::Key_O));
    addCommand(Command::Close, tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W));
    addCommand(Command::Save, tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S));
    addCommand(Command::SaveAs, tr("Save &As..."));
    addCommand(Command::PrinterSetup, tr("Printer Set&up..."));
    addCommand(Command::Print, tr("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    addCommand(Command::PrintPreview, tr("Print Pre&view..."));
    addCommand(Command::ExportPdf, tr("Export as P&DF..."));
    addCommand(Command::ImportData, tr("&Import Data (text)..."));
    addCommand(Command::Export, tr("&Export..."));
    addCommand(Command::Exit, tr("E&xit Ombrix"), QKeySequence(Qt::ALT | Qt::Key_F4));

    addCommand(Command::Undo, tr("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    addCommand(Command::Redo, tr("&Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    commandAction(Command::Redo)
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    addCommand(Command::Cut, tr("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X));
    addCommand(Command::Copy, tr("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C));
    addCommand(Command::Paste, tr("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V));
    addCommand(Command::TransposePaste, tr("T&ranspose Paste"));
    addCommand(Command::AppendToNotes, tr("Append to &Notes"));
    addCommand(Command::Clear, tr("Cl&ear"), QKeySequence(Qt::Key_Delete));
    addCommand(Command::ClearAll, tr("C&lear All"));
    addCommand(Command::SelectColumn, tr("Select C&olumn"), QKeySequence(Qt::CTRL | Qt::Key_Space));
    addCommand(Command::SelectRow, tr("Select &Row"), QKeySequence(Qt::SHIFT | Qt::Key_Space));
    addCommand(Command::SelectAll, tr("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A));
    addCommand(Command::DeleteCells, tr("&Delete cells..."));
    addCommand(Command::InsertCells, tr("&Insert cells..."));
    addCommand(Command::ViewNotes, tr("View No&tes"), QKeySequence(Qt::CTRL | Qt::Key_T));

    addCommand(Command::Transform, tr("&Transform"));
    addCommand(Command::CombineVariables, tr("Combine &Variables"));
    addCommand(Command::NumberFormat, tr("&Number Format"));
    addCommand(Command::Exclude, tr("&Exclude"), QKeySequence(Qt::CTRL | Qt::Key_E));

    addCommand(Command::NextStep, tr("&Next Step"), QKeySequence(Qt::Key_F10));
    addCommand(Command::PreviousStep, tr("&Previous Step"), QKeySequence(Qt::Key_F9));
    addCommand(Command::StepDataFormat, tr("&1st. Data Format"), QKeySequence(Qt::SHIFT | Qt::Key_F1));
    addCommand(Command::StepEnterData, tr("&Enter && Edit Data"), QKeySequence(Qt::SHIFT | Qt::Key_F2));
    addCommand(Command::StepColumnStats, tr("&Column Stats"), QKeySequence(Qt::SHIFT | Qt::Key_F3));
    addCommand(Command::StepChooseTest, tr("C&hoose Test"), QKeySequence(Qt::SHIFT | Qt::Key_F4));
    addCommand(Command::StepResults, tr("&Results"), QKeySequence(Qt::SHIFT | Qt::Key_F5));
    addCommand(Command::StepGraph, tr("&Graph"), QKeySequence(Qt::SHIFT | Qt::Key_F6));

    addCommand(Command::Cascade, tr("&Cascade"));
    addCommand(Command::Tile, tr("&Tile"));
    addCommand(Command::Duplicate, tr("&Duplicate"));
    addCommand(Command::NextWindow, tr("Next Window"), QKeySequence(QKeySequence::NextChild));

    addCommand(Command::HelpContents, tr("&Contents"));
    addCommand(Command::HelpSearch, tr("&Search for Help On..."));
    addCommand(Command::Guide, tr("&Guide"));
    addCommand(Command::About, tr("&About Ombrix"));

    addCommand(Command::NewAnalysis, tr("New"));
    commandAction(Command::NewAnalysis)->setToolTip(tr("Start a new data set"));

    // Commands whose dialogs and engines come later stay visible but disabled.
    for (const Command later : {Command::Cut})
        commandAction(later)->setEnabled(false);

    on(Command::NewFile, [this] { newDocument(); });
    on(Command::NewAnalysis, [this] { newAnalysis(); });
    on(Command::OpenFile, [this] { openWithDialog(); });
    on(Command::Close, [this] { closeActiveDocument(); });
    on(Command::Save, [this] { saveActiveDocument(TAnalysisForm::SaveMode::Save); });
    on(Command::SaveAs, [this] { saveActiveDocument(TAnalysisForm::SaveMode::SaveAs); });
    on(Command::Exit, [this] { exitProgram(); });
    on(Command::PrinterSetup, [this] { printerSetup(); });
    on(Command::Print, [this] { printDocument(); });
    on(Command::PrintPreview, [this] { printPreview(); });
    on(Command::ExportPdf, [this] { exportPdf(); });

    onDocument(Command::Clear, &TAnalysisForm::clearSelection);
    onDocument(Command::ClearAll, &TAnalysisForm::clearAll);
    onDocument(Command::SelectColumn, &TAnalysisForm::selectColumn);
    onDocument(Command::SelectRow, &TAnalysisForm::selectRow);
    onDocument(Command::SelectAll, &TAnalysisForm::selectAll);
    onDocument(Command::ViewNotes, &TAnalysisForm::showNotes);
    onDocument(Command::Copy, &TAnalysisForm::copy);
    onDocument(Command::Export, &TAnalysisForm::exportCurrent);
    onDocument(Command::ImportData, &TAnalysisForm::importData);
    onDocument(Command::Paste, &TAnalysisForm::pasteCells);
    onDocument(Command::TransposePaste, &TAnalysisForm::transposePasteCells);
    onDocument(Command::AppendToNotes, &TAnalysisForm::appendToNotes);
    onDocument(Command::Exclude, &TAnalysisForm::toggleExclusion);
    onDocument(Command::Transform, &TAnalysisForm::transformCells);
    onDocument(Command::CombineVariables, &TAnalysisForm::combineVariables);
    onDocument(Command::NumberFormat, &TAnalysisForm::numberFormat);
    onDocument(Command::InsertCells, &TAnalysisForm::insertCells);
    onDocument(Command::DeleteCells, &TAnalysisForm::deleteCells);
    onDocument(Command::Undo, &TAnalysisForm::undo);
    onDocument(Command::Redo, &TAnalysisForm::redo);

    on(Command::NextStep, [this] {
        if (TAnalysisForm* form = activeDocument(); form && !calculating())
            form->nextStep();
        updateCommands();
    });
    on(Command::PreviousStep, [this] {
        if (TAnalysisForm* form = activeDocument(); form && !calculating())
            form->previousStep();
        updateCommands();
    });
    for (const Step step : AllSteps) {
        QAction* action = commandAction(stepCommandOf(step));
        action->setCheckable(true);
        m_stepGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, step] { stepCommand(step); });
    }

    on(Command::Cascade, [this] {
        if (!calculating())
            m_mdi->cascadeSubWindows();
    });
    on(Command::Tile, [this] {
        if (!calculating())
            m_mdi->tileSubWindows();
    });
    on(Command::Duplicate, [this] { duplicateActiveDocument(); });
    on(Command::NextWindow, [this] {
        if (!calculating())
            m_mdi->activateNextSubWindow();
    });
    on(Command::HelpContents, [this] { showHelpPage(this, QLatin1String(HelpContentsPage)); });
    on(Command::HelpSearch, [this] { showHelpSearch(this); });
    on(Command::Guide, [this] { showHelpPage(this, QLatin1String(ChoosingTestPage)); });
    on(Command::About, [this] { showAbout(this); });
    // F1 explains what the active data set window shows: its step, or at the
    // results step the analysis its choices select.
    auto* contextHelp = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(contextHelp, &QShortcut::activated, this, [this] {
        const TAnalysisForm* form = activeDocument();
        showHelpPage(this, form ? helpPageForStep(*form) : QLatin1String(HelpContentsPage));
    });
}

void TMainForm::createMenus()
{
    QMenuBar* bar = menuBar();
    const auto add = [this](QMenu* menu, std::initializer_list<Command> commands) {
        for (const Command command : commands)
            menu->addAction(commandAction(command));
    };

    m_fileMenu = bar->addMenu(tr("&File"));
    add(m_fileMenu, {Command::NewFile, Command::OpenFile, Command::Close, Command::Save, Command::SaveAs});
    m_fileMenu->addSeparator();
    add(m_fileMenu, {Command::PrinterSetup, Command::Print, Command::PrintPreview, Command::ExportPdf});
    m_fileMenu->addSeparator();
    add(m_fileMenu, {Command::ImportData, Command::Export});
    m_fileMenu->addSeparator();
    add(m_fileMenu, {Command::Exit});
    m_recentSeparator = m_fileMenu->addSeparator();

    QMenu* edit = bar->addMenu(tr("&Edit"));
    add(edit, {Command::Undo, Command::Redo});
    edit->addSeparator();
    add(edit, {Command::Cut, Command::Copy, Command::Paste, Command::TransposePaste, Command::AppendToNotes});
    edit->addSeparator();
    add(edit, {Command::Clear, Command::ClearAll});
    edit->addSeparator();
    add(edit, {Command::SelectColumn, Command::SelectRow, Command::SelectAll});
    edit->addSeparator();
    add(edit, {Command::DeleteCells, Command::InsertCells});
    edit->addSeparator();
    add(edit, {Command::ViewNotes});

    QMenu* data = bar->addMenu(tr("&Data"));
    add(data, {Command::Transform, Command::CombineVariables, Command::NumberFormat, Command::Exclude});

    QMenu* steps = bar->addMenu(tr("&Steps"));
    add(steps, {Command::NextStep, Command::PreviousStep});
    steps->addSeparator();
    add(steps, {Command::StepDataFormat, Command::StepEnterData, Command::StepColumnStats, Command::StepChooseTest,
                Command::StepResults, Command::StepGraph});

    m_windowMenu = bar->addMenu(tr("&Window"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &TMainForm::rebuildWindowMenu);
    rebuildWindowMenu();

    QMenu* help = bar->addMenu(tr("&Help"));
    add(help, {Command::HelpContents, Command::HelpSearch, Command::Guide});
    help->addSeparator();
    add(help, {Command::About});
}

void TMainForm::createToolBar()
{
    QToolBar* tools = addToolBar(tr("Steps"));
    tools->setObjectName(QStringLiteral("steps"));
    tools->setMovable(false);
    tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Short captions on the buttons; the menus keep the full ones.
    const std::pair<Command, QString> captions[] = {
        {Command::OpenFile, tr("Open")},
        {Command::PreviousStep, tr("Previous")},
        {Command::StepDataFormat, tr("1 Format")},
        {Command::StepEnterData, tr("2 Data")},
        {Command::StepColumnStats, tr("3 Column Stats")},
        {Command::StepChooseTest, tr("4 Choose Test")},
        {Command::StepResults, tr("5 Results")},
        {Command::StepGraph, tr("6 Graph")},
        {Command::NextStep, tr("Next")},
    };
    for (const auto& [command, caption] : captions)
        commandAction(command)->setIconText(caption);
    tools->addAction(commandAction(Command::NewAnalysis));
    tools->addAction(commandAction(Command::OpenFile));
    tools->addAction(commandAction(Command::Save));
    tools->addSeparator();
    tools->addAction(commandAction(Command::PreviousStep));
    for (const Step step : AllSteps)
        tools->addAction(commandAction(stepCommandOf(step)));
    tools->addAction(commandAction(Command::NextStep));
}

QList<TAnalysisForm*> TMainForm::documents() const
{
    QList<TAnalysisForm*> forms;
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (auto* form = qobject_cast<TAnalysisForm*>(sub->widget()); form && !form->isClosed())
            forms.append(form);
    return forms;
}

TAnalysisForm* TMainForm::activeDocument() const
{
    QMdiSubWindow* sub = m_mdi->currentSubWindow();
    auto* form = sub ? qobject_cast<TAnalysisForm*>(sub->widget()) : nullptr;
    return form && !form->isClosed() ? form : nullptr;
}

void TMainForm::activateDocument(TAnalysisForm* form)
{
    if (QMdiSubWindow* sub = subWindowOf(form)) {
        if (sub->isMinimized())
            sub->showNormal();
        m_mdi->setActiveSubWindow(sub);
    }
    updateCommands();
}

void TMainForm::addDocument(TAnalysisForm* form)
{
    const TAnalysisForm* previous = activeDocument();
    const QMdiSubWindow* previousSub = subWindowOf(const_cast<TAnalysisForm*>(previous));
    QMdiSubWindow* sub = m_mdi->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    connect(form, &TAnalysisForm::stepChanged, this, &TMainForm::updateCommands);
    connect(form, &TAnalysisForm::documentStateChanged, this, &TMainForm::updateCommands);
    connect(form, &TAnalysisForm::saved, this, &TMainForm::addRecent);
    connect(sub, &QObject::destroyed, this, [this] { QTimer::singleShot(0, this, &TMainForm::updateCommands); });
    // The grid's own pop-up menu: the clipboard and cell commands of the menus.
    if (DataGridView* grid = form->dataGrid()) {
        auto* transposePaste = new QAction(tr("Transpose P&aste"), grid);
        connect(transposePaste, &QAction::triggered, commandAction(Command::TransposePaste), &QAction::trigger);
        connect(commandAction(Command::TransposePaste), &QAction::enabledChanged, transposePaste, &QAction::setEnabled);
        transposePaste->setEnabled(commandAction(Command::TransposePaste)->isEnabled());
        grid->setContextMenuPolicy(Qt::ActionsContextMenu);
        const auto separator = [grid] {
            auto* action = new QAction(grid);
            action->setSeparator(true);
            return action;
        };
        grid->addActions({commandAction(Command::Undo), separator(), commandAction(Command::Copy),
                          commandAction(Command::Paste), transposePaste, commandAction(Command::Clear), separator(),
                          commandAction(Command::InsertCells), commandAction(Command::DeleteCells), separator(),
                          commandAction(Command::Exclude), commandAction(Command::Transform),
                          commandAction(Command::NumberFormat)});
    }
    if (!previous || (previousSub && previousSub->isMaximized()))
        sub->showMaximized();
    else
        sub->show();
    m_mdi->setActiveSubWindow(sub);
    updateCommands();
}

int TMainForm::freeDefaultNumber() const
{
    const QList<TAnalysisForm*> open = documents();
    for (int n = 1; n <= MaxDocuments; ++n) {
        const QString name = defaultDocumentName(n);
        const bool used = std::any_of(open.begin(), open.end(), [&name](const TAnalysisForm* form) {
            return form->documentName().compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!used)
            return n;
    }
    return 1;
}

TAnalysisForm* TMainForm::newDocument()
{
    if (calculating())
        return nullptr;
    if (documents().size() >= MaxDocuments) {
        m_context.asker.tell(this, QString::fromUtf8(TooManyDocumentsMessage), MessageKind::Warning);
        return nullptr;
    }
    auto* form = new TAnalysisForm(std::make_unique<core::DataSet>(), m_context);
    form->setDefaultName(freeDefaultNumber());
    addDocument(form);
    return form;
}

void TMainForm::newAnalysis()
{
    if (calculating())
        return;
    if (documents().isEmpty()) {
        newDocument();
        return;
    }
    switch (m_context.asker.askNewFile(this)) {
    case NewFileChoice::CloseAndCreate:
        if (closeActiveDocument())
            newDocument();
        break;
    case NewFileChoice::CreateAnother: newDocument(); break;
    case NewFileChoice::Duplicate: duplicateActiveDocument(); break;
    case NewFileChoice::Cancel: break;
    }
}

TAnalysisForm* TMainForm::openDataFile(const QString& path, bool asNewName)
{
    core::OpenResult result;
    {
        statusBar()->showMessage(tr("Reading data..."));
        statusBar()->repaint();
        BusyCursor busy;
        result = workflow::openDocument(path.toStdString());
        statusBar()->clearMessage();
    }
    if (!result.dataSet) {
        m_context.asker.tell(this, QString::fromStdString(result.message), MessageKind::Critical, path);
        return nullptr;
    }
    const QString warning = QString::fromStdString(result.warning);
    auto* form = new TAnalysisForm(std::move(result.dataSet), m_context);
    if (asNewName)
        form->setDefaultName(freeDefaultNumber());
    else
        form->setFilePath(path);
    addDocument(form);
    form->goToStep(Step::EnterData);
    if (!warning.isEmpty())
        m_context.asker.tell(this, warning, MessageKind::Warning, path);
    return form;
}

TAnalysisForm* TMainForm::openFileByName(const QString& path)
{
    if (calculating() || path.isEmpty())
        return nullptr;
    const QString absolute = QFileInfo(path).absoluteFilePath();
    // A second window on the same file would let one save overwrite the other.
    for (TAnalysisForm* form : documents())
        if (!form->filePath().isEmpty() && sameFile(form->filePath(), absolute)) {
            activateDocument(form);
            addRecent(form->filePath());
            return form;
        }
    if (!QFileInfo(absolute).isFile()) {
        m_context.asker.tell(this, QString::fromUtf8(FileNotFoundMessage), MessageKind::Critical, absolute);
        return nullptr;
    }
    if (static_cast<std::uintmax_t>(QFileInfo(absolute).size()) > core::MaxFileBytes) {
        m_context.asker.tell(this, QString::fromUtf8(core::TooLargeMessage), MessageKind::Critical, absolute);
        return nullptr;
    }
    if (core::DetectFileFormat(absolute.toStdString()) == 0) {
        m_context.asker.tell(this, QString::fromUtf8(core::NotADataFileMessage), MessageKind::Critical, absolute);
        return nullptr;
    }
    if (const auto version = core::ReadFileVersion(absolute.toStdString()); version && *version > 3.1L) {
        m_context.asker.tell(this, QString::fromUtf8(core::NewerVersionMessage), MessageKind::Critical, absolute);
        return nullptr;
    }
    TAnalysisForm* replaced = nullptr;
    if (!roomForDocument(replaced))
        return nullptr;
    if (replaced)
        subWindowOf(replaced)->close();
    TAnalysisForm* form = openDataFile(absolute, false);
    if (form)
        addRecent(absolute);
    return form;
}

bool TMainForm::roomForDocument(TAnalysisForm*& replaced)
{
    TAnalysisForm* active = activeDocument();
    replaced = active && active->isUntouched() ? active : nullptr;
    if (documents().size() - (replaced ? 1 : 0) >= MaxDocuments) {
        m_context.asker.tell(this, QString::fromUtf8(TooManyDocumentsMessage), MessageKind::Warning);
        return false;
    }
    return true;
}

TAnalysisForm* TMainForm::openExample(const QString& name)
{
    if (calculating())
        return nullptr;
    const QByteArray text = exampleFileText(name);
    if (text.isEmpty())
        return nullptr;
    TAnalysisForm* replaced = nullptr;
    if (!roomForDocument(replaced))
        return nullptr;
    core::OpenResult result = workflow::openDocumentText(std::string_view(text.constData(), text.size()));
    if (!result.dataSet)
        return nullptr;
    if (replaced)
        subWindowOf(replaced)->close();
    // Untitled, so that Save asks where to keep the user's copy.
    auto* form = new TAnalysisForm(std::move(result.dataSet), m_context);
    form->setDefaultName(freeDefaultNumber());
    addDocument(form);
    form->goToStep(Step::EnterData);
    // The link was followed in the help window: show what it opened.
    raise();
    activateWindow();
    return form;
}

TAnalysisForm* TMainForm::openRecent(int index)
{
    const QStringList& entries = m_settings.recentFiles.entries();
    if (calculating() || index < 0 || index >= entries.size())
        return nullptr;
    QString name = entries.at(index);
    if (QFileInfo(name).isRelative())
        name = QDir(defaultDataFolder()).filePath(name);
    return openFileByName(name);
}

void TMainForm::openWithDialog()
{
    if (calculating())
        return;
    const QString path = m_context.asker.openFileName(this, tr("Open"), m_settings.dataFolder, DataFileFilter);
    if (path.isEmpty())
        return;
    m_settings.dataFolder = QFileInfo(path).absolutePath();
    openFileByName(path);
}

bool TMainForm::closeActiveDocument()
{
    if (calculating())
        return false;
    QMdiSubWindow* sub = subWindowOf(activeDocument());
    return sub && sub->close();
}

TAnalysisForm* TMainForm::duplicateActiveDocument()
{
    if (calculating())
        return nullptr;
    TAnalysisForm* source = activeDocument();
    if (!source)
        return nullptr;
    if (documents().size() >= MaxDocuments) {
        m_context.asker.tell(this, QString::fromUtf8(TooManyDocumentsMessage), MessageKind::Warning);
        return nullptr;
    }
    source->commitPendingEdits();

    // A folder of this process's own, so that no other program (or a second
    // copy of this one) can race for the file's name.
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        m_context.asker.tell(this, tr("Could not write to %1.").arg(QLatin1String(DuplicateFileName)),
                             MessageKind::Critical);
        return nullptr;
    }
    const QString path = folder.filePath(QLatin1String(DuplicateFileName));
    // The copy is written, so the window's own data set keeps its modified
    // flag and its compatibility-warning mark.
    core::DataSet copy = source->dataSet();
    const core::SaveResult written = workflow::saveDocument(copy, path.toStdString());
    if (!written.ok) {
        m_context.asker.tell(
            this,
            tr("Error writing to %1: %2.").arg(QLatin1String(DuplicateFileName), QString::fromStdString(written.error)),
            MessageKind::Critical);
        return nullptr;
    }
    TAnalysisForm* duplicate = openDataFile(path, true);
    if (duplicate) {
        // Never saved: closing it asks before its content is lost.
        duplicate->noteChange();
        duplicate->refreshViews();
        duplicate->goToStep(source->currentStep() == Step::DataFormat ? Step::DataFormat : Step::EnterData);
    }
    return duplicate;
}

bool TMainForm::saveActiveDocument(TAnalysisForm::SaveMode mode)
{
    TAnalysisForm* form = activeDocument();
    return form && !calculating() && form->save(mode);
}

void TMainForm::exitProgram()
{
    close();
}

void TMainForm::stepCommand(Step step)
{
    if (TAnalysisForm* form = activeDocument(); form && !calculating())
        form->goToStep(step);
    updateCommands();
}

void TMainForm::addRecent(const QString& path)
{
    m_settings.recentFiles.add(path);
    rebuildRecentMenu();
}

void TMainForm::rebuildRecentMenu()
{
    for (QAction* action : std::as_const(m_recentActions)) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const QStringList& entries = m_settings.recentFiles.entries();
    m_recentSeparator->setVisible(!entries.isEmpty());
    for (int i = 0; i < entries.size(); ++i) {
        QString name = entries.at(i);
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name), this);
        connect(action, &QAction::triggered, this, [this, i] { openRecent(i); });
        m_fileMenu->addAction(action);
        m_recentActions.append(action);
    }
}

void TMainForm::rebuildWindowMenu()
{
    m_windowMenu->clear();
    m_windowMenu->addAction(commandAction(Command::Cascade));
    m_windowMenu->addAction(commandAction(Command::Tile));
    m_windowMenu->addAction(commandAction(Command::Duplicate));
    m_windowMenu->addAction(commandAction(Command::NextWindow));
    const QList<TAnalysisForm*> open = documents();
    if (open.isEmpty())
        return;
    m_windowMenu->addSeparator();
    const TAnalysisForm* active = activeDocument();
    for (int i = 0; i < open.size(); ++i) {
        TAnalysisForm* form = open.at(i);
        QString name = form->documentName();
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(name));
        item->setCheckable(true);
        item->setChecked(form == active);
        connect(item, &QAction::triggered, this, [this, form] {
            if (!calculating() && documents().contains(form))
                activateDocument(form);
        });
    }
}

void TMainForm::updateCommands()
{
    TAnalysisForm* form = activeDocument();
    const bool open = form != nullptr;
    for (const Command command :
         {Command::Close, Command::Save, Command::SaveAs, Command::ClearAll, Command::ViewNotes, Command::NextStep,
          Command::PreviousStep, Command::Cascade, Command::Tile, Command::Duplicate, Command::NextWindow})
        commandAction(command)->setEnabled(open);
    // Commands on cells only where a grid is shown, so that Delete and the
    // selection keys keep their usual meaning in the other steps' fields.
    const bool grid = open && form->activeGrid();
    for (const Command command : {Command::Clear, Command::SelectColumn, Command::SelectRow, Command::Exclude})
        commandAction(command)->setEnabled(grid);
    const bool results = open && form->currentStep() == Step::Results;
    commandAction(Command::SelectAll)->setEnabled(grid || results);
    // Copying the data grid comes with the clipboard commands; the
    // statistics grid and the report copy already.
    commandAction(Command::Copy)->setEnabled(open && form->canCopy());
    commandAction(Command::Export)->setEnabled(open && form->canExport());
    for (const Command command : {Command::Print, Command::PrintPreview, Command::ExportPdf})
        commandAction(command)->setEnabled(open && form->canPrint());
    commandAction(Command::ImportData)->setEnabled(open && form->canImport());
    commandAction(Command::Paste)->setEnabled(open && form->canPaste());
    commandAction(Command::TransposePaste)->setEnabled(open && form->canPaste());
    commandAction(Command::AppendToNotes)->setEnabled(open && form->canAppendToNotes());
    const bool cells = open && form->canEditCells();
    for (const Command command : {Command::Transform, Command::CombineVariables, Command::NumberFormat,
                                  Command::InsertCells, Command::DeleteCells})
        commandAction(command)->setEnabled(cells);
    // "Undo Transform": the menu names the step it takes back.
    QAction* undo = commandAction(Command::Undo);
    undo->setEnabled(open && form->canUndo());
    undo->setText(undo->isEnabled() ? tr("&Undo %1").arg(form->undoLabel()) : tr("&Undo"));
    QAction* redo = commandAction(Command::Redo);
    redo->setEnabled(open && form->canRedo());
    redo->setText(redo->isEnabled() ? tr("&Redo %1").arg(form->redoLabel()) : tr("&Redo"));
    for (const Step step : AllSteps) {
        QAction* action = commandAction(stepCommandOf(step));
        action->setEnabled(open && form->isStepEnabled(step));
        action->setChecked(open && form->currentStep() == step);
    }
    if (open)
        m_stepLabel->setText(tr("Step %1 of %2: %3")
                                 .arg(stepIndex(form->currentStep()) + 1)
                                 .arg(StepCount)
                                 .arg(stepName(form->currentStep())));
    else
        m_stepLabel->clear();
}

void TMainForm::handOverReceived(const QString& fileName)
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    if (fileName.isEmpty())
        return;
    if (calculating()) {
        m_pendingOpens.append(fileName);
        m_calculationWatch->start();
        return;
    }
    openFileByName(fileName);
}

void TMainForm::startWith(const QString& fileName)
{
    if (!fileName.isEmpty() && openFileByName(fileName))
        return;
    if (documents().isEmpty())
        newDocument();
}

void TMainForm::whenCalculationEnds()
{
    if (calculating())
        return;
    m_calculationWatch->stop();
    const QStringList pending = std::exchange(m_pendingOpens, {});
    for (const QString& name : pending)
        openFileByName(name);
    if (std::exchange(m_exitPending, false))
        close();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (calculating()) {
        // Exit waits for the calculation, which reads a document, to end.
        m_exitPending = true;
        m_calculationWatch->start();
        event->ignore();
        return;
    }
    for (TAnalysisForm* form : documents()) {
        activateDocument(form);
        QMdiSubWindow* sub = subWindowOf(form);
        if (sub && !sub->close()) {
            event->ignore();
            return;
        }
    }
    m_settings.windowSize = (isMaximized() || isFullScreen()) ? normalGeometry().size() : size();
    writeSettings(m_settingsFile, m_settings);
    event->accept();
}

QPrinter& TMainForm::printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void TMainForm::printerSetup()
{
    QPageSetupDialog dialog(&printer(), this);
    dialog.exec();
}

void TMainForm::printDocument()
{
    TAnalysisForm* form = activeDocument();
    if (!form || calculating() || !form->canPrint())
        return;
    QPrintDialog dialog(&printer(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const PrintJob job = form->printJob();
    graphs::printPages(printer(), job.header, job.content);
}

void TMainForm::printPreview()
{
    TAnalysisForm* form = activeDocument();
    if (!form || calculating() || !form->canPrint())
        return;
    const PrintJob job = form->printJob();
    QPrintPreviewDialog preview(&printer(), this);
    preview.setWindowTitle(tr("Print Preview - %1").arg(form->documentName()));
    preview.resize(size() * 9 / 10);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&job](QPrinter* target) { graphs::printPages(*target, job.header, job.content); });
    preview.exec();
}

bool TMainForm::exportPdf()
{
    TAnalysisForm* form = activeDocument();
    if (!form || calculating() || !form->canPrint())
        return false;
    const QString folder = form->hasDefaultName() ? m_settings.dataFolder : QFileInfo(form->filePath()).absolutePath();
    const QString proposed = QDir(folder.isEmpty() ? QDir::currentPath() : folder)
                                 .filePath(QFileInfo(form->documentName()).completeBaseName() + QStringLiteral(".pdf"));
    const QString path = m_context.asker.saveFileName(this, tr("Export as PDF"), proposed, tr("PDF document (*.pdf)"));
    if (path.isEmpty())
        return false;
    const PrintJob job = form->printJob();
    const QByteArray pdf = graphs::pagesPdf(job.header, job.content, printer().pageLayout().pageSize());
    const std::string error = pdf.isEmpty()
                                  ? std::string("The document could not be drawn.")
                                  : core::replaceFileAtomically(QFile::encodeName(path).toStdString(),
                                                                std::string_view(pdf.constData(), pdf.size()));
    if (!error.empty()) {
        m_context.asker.tell(this, tr("The PDF document could not be written."), MessageKind::Critical,
                             path + QLatin1Char('\n') + QString::fromStdString(error));
        return false;
    }
    return true;
}

}  // namespace ombrix::app
