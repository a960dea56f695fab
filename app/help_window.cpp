#include "app/help_window.h"

#include <QAction>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTextDocumentFragment>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "app/analysis_form.h"
#include "app/main_form.h"

// The resources live in a static library: nothing refers to their
// registration, so the linker would drop it unless it is asked for.
static void loadHelpResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(ombrix_help);
        return true;
    }();
    (void)loaded;
}

namespace ombrix::app {

namespace {

constexpr HelpPage Pages[] = {
    {"index.html", "Contents"},
    {"steps.html", "The six steps"},
    {"data_formats.html", "Choosing a data format"},
    {"entering_data.html", "Entering data"},
    {"importing.html", "Importing a text file"},
    {"column_statistics.html", "Column statistics"},
    {"choosing_a_test.html", "How to choose a test"},
    {"reading_results.html", "Reading a report"},
    {"one_sample_t_test.html", "One-sample t test"},
    {"wilcoxon_signed_rank.html", "Wilcoxon signed rank test"},
    {"unpaired_t_test.html", "Unpaired t test"},
    {"mann_whitney.html", "Mann-Whitney test"},
    {"paired_t_test.html", "Paired t test"},
    {"wilcoxon_matched_pairs.html", "Wilcoxon matched pairs test"},
    {"one_way_anova.html", "One-way ANOVA"},
    {"post_tests.html", "Post tests after ANOVA"},
    {"repeated_measures_anova.html", "Repeated measures ANOVA"},
    {"kruskal_wallis.html", "Kruskal-Wallis test"},
    {"friedman.html", "Friedman test"},
    {"linear_regression.html", "Linear regression"},
    {"pearson_correlation.html", "Pearson correlation"},
    {"spearman_correlation.html", "Spearman correlation"},
    {"two_by_two.html", "Two-by-two tables"},
    {"larger_table.html", "Larger contingency tables"},
    {"multiple_regression.html", "Multiple regression"},
    {"correlation_matrix.html", "Correlation matrix"},
    {"graphs.html", "Graphs"},
    {"examples.html", "Example data sets"},
};

const QString ResourcePrefix = QStringLiteral("qrc:/help/");
const QString ExampleScheme = QStringLiteral("example");

const char* columnTestPage(const core::AnalysisChoices& c)
{
    switch (c.ColumnCategory) {
    case core::ColumnCategory::None: break;
    case core::ColumnCategory::One:
        return c.OneColNonParametric ? "wilcoxon_signed_rank.html" : "one_sample_t_test.html";
    case core::ColumnCategory::Two:
        if (c.TwoColUnpaired)
            return c.TwoColNonParametric ? "mann_whitney.html" : "unpaired_t_test.html";
        return c.TwoColNonParametric ? "wilcoxon_matched_pairs.html" : "paired_t_test.html";
    case core::ColumnCategory::ThreeOrMore:
        if (c.OrdinaryAnova)
            return c.MultiColNonParametric ? "kruskal_wallis.html" : "one_way_anova.html";
        return c.MultiColNonParametric ? "friedman.html" : "repeated_measures_anova.html";
    }
    return ChoosingTestPage;
}

const char* formatAnchor(core::DataFormat format)
{
    switch (format) {
    case core::DataFormat::XY: return "xy";
    case core::DataFormat::Raw: return "raw";
    case core::DataFormat::MeanSDN: return "mean_sd";
    case core::DataFormat::MeanSEMN: return "mean_sem";
    case core::DataFormat::TwoByTwo: return "two_by_two";
    case core::DataFormat::LargerTable: return "larger_table";
    case core::DataFormat::MultipleRegression: return "multiple_regression";
    }
    return "raw";
}

// The outermost widget above w: the main window for a document or a dialog.
QWidget* outermost(QWidget* w)
{
    while (w && w->parentWidget())
        w = w->parentWidget();
    return w;
}

HelpWindow* helpWindowFor(QWidget* parent)
{
    QWidget* window = parent ? parent->window() : nullptr;
    QWidget* owner = window && window->isModal() ? window : outermost(parent);
    if (owner)
        if (auto* existing = owner->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly))
            return existing;
    auto* help = new HelpWindow(owner);
    if (auto* mainForm = qobject_cast<TMainForm*>(owner))
        QObject::connect(help, &HelpWindow::exampleRequested, mainForm, &TMainForm::openExample);
    return help;
}

}  // namespace

std::span<const HelpPage> helpPages()
{
    return Pages;
}

QString analysisHelpPage(const core::DataSet& dataSet)
{
    const core::AnalysisChoices& c = dataSet.choices;
    switch (dataSet.format) {
    case core::DataFormat::Raw:
    case core::DataFormat::MeanSDN:
    case core::DataFormat::MeanSEMN: return QLatin1String(columnTestPage(c));
    case core::DataFormat::XY:
        switch (c.XYTest) {
        case core::XYTest::LinearRegression: return QStringLiteral("linear_regression.html");
        case core::XYTest::Pearson: return QStringLiteral("pearson_correlation.html");
        case core::XYTest::Spearman: return QStringLiteral("spearman_correlation.html");
        }
        break;
    case core::DataFormat::TwoByTwo: return QStringLiteral("two_by_two.html");
    case core::DataFormat::LargerTable: return QStringLiteral("larger_table.html");
    case core::DataFormat::MultipleRegression:
        return c.MultRegAnalysis ? QStringLiteral("multiple_regression.html")
                                 : QStringLiteral("correlation_matrix.html");
    }
    return QLatin1String(ChoosingTestPage);
}

QString helpPageForStep(const TAnalysisForm& form)
{
    switch (form.currentStep()) {
    case Step::DataFormat: return QStringLiteral("data_formats.html");
    case Step::EnterData:
        return QStringLiteral("entering_data.html#") + QLatin1String(formatAnchor(form.dataSet().format));
    case Step::ColumnStats: return QStringLiteral("column_statistics.html");
    case Step::ChooseTest: return QLatin1String(ChoosingTestPage);
    case Step::Results: return analysisHelpPage(form.dataSet());
    case Step::Graph: return QStringLiteral("graphs.html");
    }
    return QLatin1String(HelpContentsPage);
}

QByteArray exampleFileText(const QString& name)
{
    loadHelpResources();
    QString file = name;
    if (!file.endsWith(QLatin1String(".OXD"), Qt::CaseInsensitive))
        file += QLatin1String(".OXD");
    // Only plain names: a link must not reach other resources.
    if (file.contains(QLatin1Char('/')))
        return {};
    QFile example(QStringLiteral(":/help/examples/") + file);
    if (!example.open(QIODevice::ReadOnly))
        return {};
    return example.readAll();
}

QString helpPageText(const QString& file)
{
    loadHelpResources();
    QFile page(QStringLiteral(":/help/") + file);
    if (file.contains(QLatin1Char('/')) || !page.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(page.readAll());
}

QUrl helpPageUrl(const QString& page)
{
    return QUrl(ResourcePrefix + page);
}

void HelpBrowser::doSetSource(const QUrl& name, QTextDocument::ResourceType type)
{
    if (name.scheme() == ExampleScheme) {
        Q_EMIT exampleRequested(name.path());
        return;
    }
    QTextBrowser::doSetSource(name, type);
}

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    loadHelpResources();
    setWindowTitle(tr("Ombrix Guide"));
    setObjectName(QStringLiteral("helpWindow"));

    m_browser = new HelpBrowser(this);
    m_browser->setOpenExternalLinks(false);
    m_contents = new QListWidget(this);
    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(tr("Search the guide"));
    m_search->setClearButtonEnabled(true);

    auto* tools = new QToolBar(this);
    QAction* back = tools->addAction(tr("Back"), m_browser, &QTextBrowser::backward);
    QAction* forward = tools->addAction(tr("Forward"), m_browser, &QTextBrowser::forward);
    tools->addAction(tr("Contents"), this, [this] { showPage(QLatin1String(HelpContentsPage)); });
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    auto* side = new QWidget(this);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(m_search);
    sideLayout->addWidget(m_contents);
    auto* split = new QSplitter(this);
    split->addWidget(side);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 1);
    split->setSizes({220, 680});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(tools);
    layout->addWidget(split, 1);
    resize(960, 700);

    fillContents({});
    connect(m_contents, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(m_contents, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(m_search, &QLineEdit::textChanged, this, &HelpWindow::search);
    // Enter shows the first page found, as a search box usually does.
    connect(m_search, &QLineEdit::returnPressed, this, [this] {
        if (m_contents->count() > 0)
            showPage(m_contents->item(0)->data(Qt::UserRole).toString());
    });
    connect(m_browser, &HelpBrowser::exampleRequested, this, &HelpWindow::exampleRequested);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::markPage);
}

void HelpWindow::markPage(const QUrl& page)
{
    // The browser announces a new page before source() returns it.
    const QString file = page.fileName();
    for (int i = 0; i < m_contents->count(); ++i)
        if (m_contents->item(i)->data(Qt::UserRole).toString() == file) {
            const QSignalBlocker quiet(m_contents);
            m_contents->setCurrentRow(i);
            return;
        }
    m_contents->clearSelection();
}

void HelpWindow::showPage(const QString& page)
{
    m_browser->setSource(helpPageUrl(page));
}

QString HelpWindow::currentPage() const
{
    QString page = m_browser->source().toString();
    if (page.startsWith(ResourcePrefix))
        page.remove(0, ResourcePrefix.size());
    return page;
}

void HelpWindow::startSearch()
{
    m_search->setFocus();
    m_search->selectAll();
}

void HelpWindow::search(const QString& words)
{
    if (m_search->text() != words)
        m_search->setText(words);
    fillContents(words);
}

void HelpWindow::fillContents(const QString& words)
{
    const QStringList wanted = words.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    m_contents->clear();
    for (const HelpPage& page : Pages) {
        if (!wanted.isEmpty()) {
            const QString text = QTextDocumentFragment::fromHtml(helpPageText(QLatin1String(page.file))).toPlainText();
            const bool all = std::all_of(wanted.begin(), wanted.end(),
                                         [&](const QString& w) { return text.contains(w, Qt::CaseInsensitive); });
            if (!all)
                continue;
        }
        auto* item = new QListWidgetItem(QString::fromUtf8(page.title), m_contents);
        item->setData(Qt::UserRole, QLatin1String(page.file));
    }
    markPage(m_browser->source());
}

HelpWindow* showHelpPage(QWidget* parent, const QString& page)
{
    HelpWindow* help = helpWindowFor(parent);
    help->showPage(page);
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

HelpWindow* showHelpSearch(QWidget* parent)
{
    HelpWindow* help = helpWindowFor(parent);
    if (help->browser()->source().isEmpty())
        help->showPage(QLatin1String(HelpContentsPage));
    help->show();
    help->raise();
    help->activateWindow();
    help->startSearch();
    return help;
}

}  // namespace ombrix::app
